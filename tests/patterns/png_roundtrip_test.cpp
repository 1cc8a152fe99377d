// PNG files: 8- and 16-bit RGBA round trips, widening of 8-bit samples, and
// errors that name the file for a missing file, a file that is no PNG, a
// truncated PNG and an unwritable path.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/PngFile.h"
#include "tests/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;

class PngFile : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (folder_ / name).string(); }

  // Entries of the folder other than `keep`: no temporary files left.
  std::vector<std::string> Leftovers(const std::string& keep = "") const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_))
      if (entry.path().filename() != keep) names.push_back(entry.path().filename().string());
    return names;
  }

  ScratchFolder scratch_{"png-test"};
  const fs::path folder_ = scratch_.Path();
};

// Expects `call` to throw std::runtime_error whose message contains `path`
// and `reason`.
template <typename Call>
void ExpectError(Call call, const std::string& path, const std::string& reason) {
  try {
    call();
    ADD_FAILURE() << "no error for " << path;
  } catch (const std::runtime_error& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find(path), std::string::npos) << message;
    EXPECT_NE(message.find(reason), std::string::npos) << message;
  }
}

TEST_F(PngFile, EightBitRoundTripWidensEverySampleBy257) {
  // 5 x 3 so that rows are not a multiple of any alignment; every byte value
  // from 0 to 255 across the channels, first and last included.
  constexpr int W = 5, H = 3;
  std::vector<std::uint8_t> pixels(W * H * 4);
  for (std::size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = static_cast<std::uint8_t>(i * 17 % 256);
  pixels.front() = 0;
  pixels.back() = 255;
  WritePng(Path("a.png"), W, H, pixels.data());
  const Image image = ReadPng(Path("a.png"));
  EXPECT_EQ(image.width, W);
  EXPECT_EQ(image.height, H);
  EXPECT_EQ(image.bitDepth, 8);
  ASSERT_EQ(image.rgba.size(), pixels.size());
  for (std::size_t i = 0; i < pixels.size(); ++i)
    EXPECT_EQ(image.rgba[i], pixels[i] * 257) << "sample " << i;
  EXPECT_EQ(image.rgba.back(), 65535);
  EXPECT_TRUE(Leftovers("a.png").empty());
}

TEST_F(PngFile, SixteenBitRoundTripKeepsEverySampleAndByteOrder) {
  // Values whose two bytes differ (0x0102, 0xFF00, ...) catch swapped bytes;
  // alpha below full catches any premultiplication on the way.
  constexpr int W = 7, H = 4;
  std::vector<std::uint16_t> pixels(W * H * 4);
  for (std::size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = static_cast<std::uint16_t>(i * 2731 + 0x0102);
  pixels[0] = 0xFF00;
  pixels[3] = 0x0001;  // alpha of the first pixel, nearly transparent
  WritePng16(Path("b.png"), W, H, pixels.data());
  const Image image = ReadPng(Path("b.png"));
  EXPECT_EQ(image.width, W);
  EXPECT_EQ(image.height, H);
  EXPECT_EQ(image.bitDepth, 16);
  EXPECT_EQ(image.rgba, pixels);
}

TEST_F(PngFile, RewritingReplacesTheFileWhole) {
  const std::vector<std::uint16_t> big(64 * 64 * 4, 0x1234), small(2 * 1 * 4, 0xABCD);
  WritePng16(Path("c.png"), 64, 64, big.data());
  WritePng16(Path("c.png"), 2, 1, small.data());
  const Image image = ReadPng(Path("c.png"));
  EXPECT_EQ(image.width, 2);
  EXPECT_EQ(image.height, 1);
  EXPECT_EQ(image.rgba, small);
  EXPECT_TRUE(Leftovers("c.png").empty());
}

TEST_F(PngFile, ToRgba16RoundsClampedValues) {
  const std::vector<float> in = {0.0f, 1.0f, 0.5f, -0.25f, 1.5f, 0.14f, 1.0f / 65535.0f, 0.75f};
  const std::vector<std::uint16_t> want = {0, 65535, 32768, 0, 65535, 9175, 1, 49151};
  EXPECT_EQ(ToRgba16(in), want);
}

TEST_F(PngFile, ReadingFailsWithThePathAndTheReason) {
  ExpectError([&] { ReadPng(Path("missing.png")); }, Path("missing.png"), "No such file");

  std::ofstream(Path("text.png")) << "this is not a PNG file at all";
  ExpectError([&] { ReadPng(Path("text.png")); }, Path("text.png"), "not a PNG");

  std::ofstream(Path("empty.png")).close();
  ExpectError([&] { ReadPng(Path("empty.png")); }, Path("empty.png"), "not a PNG");

  // A valid file cut after its signature and part of its header.
  const std::vector<std::uint8_t> pixels(16 * 16 * 4, 200);
  WritePng(Path("whole.png"), 16, 16, pixels.data());
  std::ifstream whole(Path("whole.png"), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(whole)), std::istreambuf_iterator<char>());
  std::ofstream(Path("cut.png"), std::ios::binary) << bytes.substr(0, 20);
  ExpectError([&] { ReadPng(Path("cut.png")); }, Path("cut.png"), "");
}

TEST_F(PngFile, WritingFailsWithoutLeavingAFile) {
  const std::vector<std::uint8_t> pixels(4 * 4 * 4, 9);
  const std::string nowhere = Path("no-such-folder/x.png");
  ExpectError([&] { WritePng(nowhere, 4, 4, pixels.data()); }, nowhere, "cannot create");
  ExpectError([&] { WritePng(Path("zero.png"), 0, 4, pixels.data()); }, Path("zero.png"), "0x4");
  ExpectError([&] { WritePng16(Path("null.png"), 4, 4, nullptr); }, Path("null.png"), "no pixels");
  EXPECT_TRUE(Leftovers().empty());
}

}  // namespace

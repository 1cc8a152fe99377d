// The reader's inputs: PNG files and raw RGBA streams, read as untrusted
// files: sizes checked before anything is allocated, a bad file reported as
// an error frame, a stream that ends inside a frame said so.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "imaging/PngFile.h"
#include "tools/sync-read/FrameSources.h"

namespace {

class FrameSources : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/sync-read-sources-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::string dir_;
};

std::string RawFrames(int width, int height, int frames) {
  std::string bytes;
  for (int f = 0; f < frames; ++f)
    for (int i = 0; i < width * height; ++i) bytes += {char(f * 50), char(f * 50), char(f * 50), '\xff'};
  return bytes;
}

std::vector<InputFrame> ReadAll(FrameSource& source) {
  std::vector<InputFrame> frames;
  InputFrame frame;
  while (source.Next(frame)) frames.push_back(frame);
  return frames;
}

TEST_F(FrameSources, RawStreamFramesAndATruncatedEnd) {
  struct Case {
    const char* name;
    std::string bytes;
    std::size_t frames;
    bool lastIsError;
  };
  const Case cases[] = {
      {"three whole frames", RawFrames(4, 3, 3), 3, false},
      {"and half a frame", RawFrames(4, 3, 3) + std::string(24, '\0'), 4, true},
      {"empty", "", 0, false},
  };
  for (const Case& c : cases) {
    const auto source = OpenRawStream(Write("raw", c.bytes), 4, 3);
    const auto frames = ReadAll(*source);
    ASSERT_EQ(frames.size(), c.frames) << c.name;
    for (std::size_t i = 0; i < frames.size(); ++i) {
      const bool error = c.lastIsError && i + 1 == frames.size();
      EXPECT_EQ(frames[i].name, "frame " + std::to_string(i)) << c.name;
      EXPECT_EQ(frames[i].error.empty(), !error) << c.name << ": " << frames[i].error;
      if (error) {
        EXPECT_NE(frames[i].error.find("24 of 48 bytes"), std::string::npos) << frames[i].error;
        continue;
      }
      ASSERT_EQ(frames[i].image.luma.size(), 12u) << c.name;
      EXPECT_EQ(frames[i].image.luma[0], i * 50) << c.name;
    }
  }
}

TEST_F(FrameSources, RawStreamRefusesSizesBeyondTheLimits) {
  const std::string path = Write("raw", "");
  for (const auto& [width, height] : {std::pair{0, 10}, {10, -1}, {kMaxFrameSide + 1, 1},
                                      {10000, 10000}})
    EXPECT_THROW(OpenRawStream(path, width, height), std::runtime_error) << width << "x" << height;
  EXPECT_THROW(OpenRawStream(dir_ + "/missing", 4, 4), std::runtime_error);
}

// A header that claims 100000 x 100000 pixels is refused before libpng
// would allocate for it.
TEST_F(FrameSources, PngFilesGoodBadAndHuge) {
  const std::uint8_t pixels[2 * 2 * 4] = {255, 255, 255, 255, 0, 0, 0, 255,
                                          255, 0,   0,   255, 0, 0, 255, 255};
  const std::string good = dir_ + "/good.png";
  WritePng(good, 2, 2, pixels);
  std::string huge("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\x01\x86\xa0\0\x01\x86\xa0\x08\x06\0\0\0", 29);
  const std::string truncated = Write("truncated.png", std::string("\x89PNG\r\n\x1a\n", 8));
  const auto source = OpenPngFiles({good, Write("text.png", "hello"), Write("huge.png", huge),
                                    truncated, dir_ + "/missing.png"});
  const auto frames = ReadAll(*source);
  ASSERT_EQ(frames.size(), 5u);
  EXPECT_EQ(frames[0].error, "");
  EXPECT_EQ(frames[0].image.luma, (std::vector<std::uint8_t>{255, 0, 76, 29}));
  const char* errors[] = {"", "not a PNG file (bad signature)",
                          "image of 100000x100000 pixels is larger than accepted",
                          "not a PNG file (no image header)", "cannot open"};
  for (std::size_t i = 1; i < frames.size(); ++i) {
    EXPECT_NE(frames[i].error.find(errors[i]), std::string::npos) << frames[i].error;
    EXPECT_TRUE(frames[i].image.luma.empty());
  }
}

}  // namespace

// The raw formats read as FFmpeg writes them: one frame of distinct 10-bit
// planes, written by us as yuv422p10le or gbrp10le, repacked by FFmpeg
// (v210 by its encoder, which FFmpeg has instead of a pixel format) into
// every other format of the same sampling (no conversion of values),
// must read back as the same planes; a stream that ends inside a frame is
// said so; a 16-bit PNG keeps its depth.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "imaging/PngFile.h"
#include "tools/capture/CaptureSources.h"

namespace {

constexpr int kWidth = 50, kHeight = 3;  // 50: v210 pads rows to 48 pixels

std::string Scratch() {
  char pattern[] = "/tmp/capture-test-XXXXXX";
  return ::mkdtemp(pattern) ? pattern : "";
}

// Planar 16-bit little-endian words of planes of the given widths.
std::string Planar(const std::vector<std::vector<std::uint16_t>>& planes) {
  std::string bytes;
  for (const auto& plane : planes)
    for (std::uint16_t v : plane) bytes += {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
  return bytes;
}

// Distinct codes from 4 to 1019: FFmpeg's v210 encoder clips to the codes
// SDI allows, so 0-3 and 1020-1023 would not survive the repacking.
std::vector<std::uint16_t> Distinct(int count, int seed) {
  std::vector<std::uint16_t> v;
  for (int i = 0; i < count; ++i) v.push_back(static_cast<std::uint16_t>(4 + (seed + 37 * i) % 1016));
  return v;
}

CaptureFrame ReadOne(const std::string& path, RawFormat format) {
  auto source = OpenRawCaptures(path, kWidth, kHeight, format);
  CapturedInput input;
  EXPECT_TRUE(source->Next(input));
  EXPECT_EQ(input.error, "");
  return input.frame;
}

TEST(RawCaptures, FormatsReadAsFfmpegWritesThem) {
  const std::string dir = Scratch();
  const int chroma = (kWidth + 1) / 2;
  const std::vector<std::vector<std::uint16_t>> yuv{Distinct(kWidth * kHeight, 5), Distinct(chroma * kHeight, 300),
                                                    Distinct(chroma * kHeight, 700)};
  const std::vector<std::vector<std::uint16_t>> gbr{Distinct(kWidth * kHeight, 9), Distinct(kWidth * kHeight, 400),
                                                    Distinct(kWidth * kHeight, 800)};
  std::ofstream(dir + "/in.yuv422p10le", std::ios::binary) << Planar(yuv);
  std::ofstream(dir + "/in.gbrp10le", std::ios::binary) << Planar(gbr);
  struct Case {
    const char* from;
    const char* to;
    RawFormat fromFormat, toFormat;
  };
  const Case cases[] = {{"yuv422p10le", "v210", RawFormat::Yuv422p10le, RawFormat::V210},
                        {"gbrp10le", "gbrp10le", RawFormat::Gbrp10le, RawFormat::Gbrp10le}};
  for (const Case& c : cases) {
    const std::string in = dir + "/in." + c.from, out = dir + "/out." + c.to;
    const std::string command = std::string(VELTRIMA_FFMPEG) + " -v error -y -f rawvideo -pix_fmt " + c.from +
                                " -s " + std::to_string(kWidth) + "x" + std::to_string(kHeight) + " -i " + in +
                                " -f rawvideo " +
                                (c.toFormat == RawFormat::V210 ? "-c:v v210 " : "-pix_fmt " + std::string(c.to) + " ") + out;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const CaptureFrame ours = ReadOne(in, c.fromFormat), theirs = ReadOne(out, c.toFormat);
    EXPECT_EQ(ours.bits, 10);
    EXPECT_EQ(theirs.bits, 10);
    for (std::size_t p = 0; p < 3; ++p) EXPECT_EQ(ours.planes[p], theirs.planes[p]) << c.to << " plane " << p;
  }
  // gbrp10le's planes are G, B, R: the frame holds R', G', B'.
  const CaptureFrame rgb = ReadOne(dir + "/in.gbrp10le", RawFormat::Gbrp10le);
  EXPECT_EQ(rgb.planes[0], gbr[2]);
  EXPECT_EQ(rgb.planes[1], gbr[0]);
  // A short stream: the frame says so.
  std::ofstream(dir + "/short", std::ios::binary) << std::string(100, '\0');
  auto source = OpenRawCaptures(dir + "/short", kWidth, kHeight, RawFormat::V210);
  CapturedInput input;
  ASSERT_TRUE(source->Next(input));
  EXPECT_NE(input.error.find("100 of 768 bytes"), std::string::npos) << input.error;
  EXPECT_FALSE(source->Next(input));
  std::system(("rm -rf '" + dir + "'").c_str());
}

TEST(PngCaptures, KeepTheFilesDepth) {
  const std::string dir = Scratch();
  const std::uint16_t deep[4] = {64 * 64, 940 * 64, 1023 * 64 + 63, 65535};
  WritePng16(dir + "/deep.png", 1, 1, deep);
  const std::uint8_t shallow[4] = {16, 235, 255, 255};
  WritePng(dir + "/shallow.png", 1, 1, shallow);
  auto source = OpenPngCaptures({dir + "/deep.png", dir + "/shallow.png"});
  CapturedInput input;
  ASSERT_TRUE(source->Next(input));
  EXPECT_EQ(input.frame.bits, 16);
  EXPECT_EQ(input.frame.planes[2][0], 1023 * 64 + 63);
  ASSERT_TRUE(source->Next(input));
  EXPECT_EQ(input.frame.bits, 8);
  EXPECT_EQ(input.frame.planes[0][0], 16);
  EXPECT_EQ(input.frame.planes[1][0], 235);
  std::system(("rm -rf '" + dir + "'").c_str());
}

}  // namespace

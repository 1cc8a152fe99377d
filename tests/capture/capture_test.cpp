// The raw formats read as FFmpeg writes them: one frame of distinct 10-bit
// planes, written by us as yuv422p10le or gbrp10le, repacked by FFmpeg
// (v210 by its encoder, which FFmpeg has instead of a pixel format) into
// every other format of the same sampling (no conversion of values),
// must read back as the same planes; a stream that ends inside a frame is
// said so; a 16-bit PNG keeps its depth. Video files FFmpeg encodes
// losslessly from such planes (FFV1 in 4:2:0, 4:2:2, 4:4:4 and R'G'B' at 8
// to 12 bits, v210 in QuickTime, 16-bit big-endian PNG frames) read back as
// the same planes, subsampling and tags as written.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

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

TEST(VideoCaptures, KeepPlanesDepthAndTagsAsCoded) {
  const std::string dir = Scratch();
  constexpr int kW = 50, kH = 4;
  struct Case {
    const char* pixFmt;  // planes written as this raw format
    int bits, shiftX, shiftY;
    bool rgb;
    const char* encode;  // codec and container
    const char* decodesTo;
    const char* range;  // QuickTime's colour atom holds no range; PNG is full
  };
  const Case cases[] = {
      {"yuv420p10le", 10, 1, 1, false, "-c:v ffv1 out.mkv", "yuv420p10le", "narrow"},
      {"yuv422p10le", 10, 1, 0, false, "-c:v v210 out.mov", "yuv422p10le", ""},
      {"yuv444p12le", 12, 0, 0, false, "-c:v ffv1 out.mkv", "yuv444p12le", "narrow"},
      {"yuv420p", 8, 1, 1, false, "-c:v ffv1 out.mkv", "yuv420p", "narrow"},
      {"gbrp10le", 10, 0, 0, true, "-c:v ffv1 out.mkv", "gbrp10le", "narrow"},
      {"rgb48be", 16, 0, 0, true, "-c:v png out.mkv", "rgb48be", "full"},
  };
  for (const Case& c : cases) {
    const int cw = (kW + (1 << c.shiftX) - 1) >> c.shiftX, ch = (kH + (1 << c.shiftY) - 1) >> c.shiftY;
    std::vector<std::vector<std::uint16_t>> planes{Distinct(kW * kH, 5), Distinct(cw * ch, 300), Distinct(cw * ch, 700)};
    for (auto& plane : planes)
      for (auto& v : plane) v = static_cast<std::uint16_t>(v % (1 << c.bits));
    std::string bytes;
    if (std::string(c.pixFmt) == "rgb48be") {  // interleaved R, G, B, big-endian words
      for (std::size_t i = 0; i < planes[0].size(); ++i)
        for (std::size_t p = 0; p < 3; ++p)
          bytes += {static_cast<char>(planes[p][i] >> 8), static_cast<char>(planes[p][i] & 0xFF)};
    } else if (c.bits == 8) {
      for (const auto& plane : planes)
        for (std::uint16_t v : plane) bytes += static_cast<char>(v);
    } else {
      // gbrp10le holds G, B, R.
      bytes = c.rgb ? Planar({planes[1], planes[2], planes[0]}) : Planar(planes);
    }
    std::ofstream(dir + "/in.raw", std::ios::binary) << bytes;
    const std::string command = "cd '" + dir + "' && " + VELTRIMA_FFMPEG + " -v error -y -f rawvideo -pix_fmt " +
                                c.pixFmt + " -s " + std::to_string(kW) + "x" + std::to_string(kH) +
                                " -i in.raw -vf setparams=range=tv:color_trc=smpte2084:color_primaries=bt2020:colorspace=bt2020nc " +
                                c.encode;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::string file = dir + "/" + (std::string(c.encode).find(".mov") != std::string::npos ? "out.mov" : "out.mkv");
    auto source = OpenVideoCaptures(file);
    CapturedInput input;
    ASSERT_TRUE(source->Next(input)) << c.pixFmt;
    ASSERT_EQ(input.error, "") << c.pixFmt;
    const CaptureFrame& f = input.frame;
    EXPECT_EQ(f.bits, c.bits) << c.pixFmt;
    EXPECT_EQ(f.colour, c.rgb ? CaptureColour::Rgb : CaptureColour::YCbCr) << c.pixFmt;
    EXPECT_EQ(f.chromaShiftX, c.shiftX) << c.pixFmt;
    EXPECT_EQ(f.chromaShiftY, c.shiftY) << c.pixFmt;
    for (std::size_t p = 0; p < 3; ++p) EXPECT_EQ(f.planes[p], planes[p]) << c.pixFmt << " plane " << p;
    const DeclaredTags tags = source->Declared();
    EXPECT_EQ(tags.pixelFormat, c.decodesTo);
    EXPECT_EQ(tags.range, c.range) << c.pixFmt;
    EXPECT_EQ(tags.transfer, "smpte2084") << c.pixFmt;
    EXPECT_EQ(tags.primaries, "bt2020") << c.pixFmt;
    EXPECT_FALSE(source->Next(input)) << c.pixFmt;
  }
  // A file cut short decodes nothing: said so, not a crash.
  std::system(("head -c 300 '" + dir + "/out.mkv' > '" + dir + "/cut.mkv'").c_str());
  try {
    auto source = OpenVideoCaptures(dir + "/cut.mkv");
    CapturedInput input;
    ASSERT_TRUE(source->Next(input));
    EXPECT_NE(input.error, "");
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("cut.mkv"), std::string::npos) << error.what();
  }
  std::system(("rm -rf '" + dir + "'").c_str());
}

// Numbered sequences: the files from 0 (or 1) to the first missing, one
// %d or %0Nd field, "%%" a percent sign; anything else refused by name.
TEST(NumberedFiles, ExpandOneFieldFromZeroOrOne) {
  const std::string dir = Scratch();
  for (const char* name : {"a-000.png", "a-001.png", "a-002.png", "a-004.png", "b1.png", "b2.png", "c%-0.png"})
    std::ofstream(dir + "/" + name) << "x";
  struct Case {
    const char* pattern;
    std::vector<std::string> files;  // empty: refused
  };
  const Case cases[] = {
      {"a-%03d.png", {"a-000.png", "a-001.png", "a-002.png"}},  // stops at the first missing
      {"b%d.png", {"b1.png", "b2.png"}},                         // from 1 where 0 is absent
      {"c%%-%d.png", {"c%-0.png"}},                              // "%%" is a '%'
      {"a-%03d-%d.png", {}},
      {"a-%s.png", {}},
      {"none-%d.png", {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> want;
    for (const auto& file : c.files) want.push_back(dir + "/" + file);
    try {
      EXPECT_EQ(NumberedFiles(dir + "/" + c.pattern), want) << c.pattern;
    } catch (const std::runtime_error& error) {
      EXPECT_TRUE(want.empty()) << c.pattern << ": " << error.what();
      EXPECT_NE(std::string(error.what()).find(c.pattern), std::string::npos) << error.what();
    }
  }
  std::system(("rm -rf '" + dir + "'").c_str());
}

}  // namespace

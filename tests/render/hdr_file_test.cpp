// veltrima-render's files of a plug-in that draws a video signal (the
// stand-in signal_plugin.cpp, and the HDR plug-in's BT.2111 bars): ffprobe shows the signal's tags, the
// mastering display (for the "Peak nits" the plug-in draws for) and the
// content light level measured from the frames; decoded back by the file's
// own tags (DecodedFiles.h), FFV1 at 10, 12 and 16 bits and 16-bit PNG
// give exactly the drawn codes, ProRes 4444 and HEVC within one code; a
// 16-bit PNG carries its cICP chunk, read here byte by byte; 8 bits of PQ
// are refused. Every signal in every codec: signal_codecs_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "imaging/PngFile.h"
#include "tests/render/DecodedFiles.h"
#include "tests/render/signal_plugin_codes.h"
#include "tests/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 480, kHeight = 64;
const std::string kPlugin = std::string("--plugin '") + SIGNAL_PLUGIN_PATH + "' --size 480x64 -q";

// SMPTE ST 2084, written here apart from signal/.
double PqNits(double e) {
  const double m1 = 2610.0 / 16384, m2 = 2523.0 / 4096 * 128, c1 = 3424.0 / 4096,
               c2 = 2413.0 / 4096 * 32, c3 = 2392.0 / 4096 * 32;
  e = std::clamp(e, 0.0, 1.0);
  const double p = std::pow(e, 1 / m2);
  return 10000 * std::pow(std::max(p - c1, 0.0) / (c2 - c3 * p), 1 / m1);
}

// MaxFALL of the stand-in's frame in PQ narrow: the mean over its columns
// of each band's brightest component.
unsigned PqNarrowMaxFall() {
  double sum = 0;
  for (int band = 0; band < kBandCount; ++band) {
    const BandCodes& c = kBands[band];
    const int brightest = std::max({c.r, c.g, c.b});
    sum += PqNits((brightest - 64) / 876.0) * (BandLeft(band + 1, kWidth) - BandLeft(band, kWidth));
  }
  return static_cast<unsigned>(std::lround(sum / kWidth));
}

// The band a column lies in, or -1 within `margin` of a band's edge.
int BandAt(int x, int margin) {
  for (int band = 0; band < kBandCount; ++band)
    if (x >= BandLeft(band, kWidth) + margin && x < BandLeft(band + 1, kWidth) - margin)
      return band;
  return -1;
}

// Every band's interior against its drawn codes, over the bands `checked`
// accepts: the largest difference of a decoded code, and where it lies.
struct Worst {
  double difference = 0;
  std::string where;
};
std::ostream& operator<<(std::ostream& out, const Worst& worst) {
  return out << worst.difference << " (" << worst.where << ")";
}

Worst WorstDifference(const DecodedSignal& codes, int margin, const std::function<bool(int)>& checked) {
  Worst worst;
  for (int y = margin; y < kHeight - margin; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const int band = BandAt(x, margin);
      if (band < 0 || !checked(band)) continue;
      const auto pixel = static_cast<std::size_t>(y * kWidth + x);
      const int drawn[3] = {kBands[band].r, kBands[band].g, kBands[band].b};
      for (int c = 0; c < 3; ++c) {
        const double decoded = codes.Code(pixel, c);
        const double difference = std::fabs(std::round(decoded) - drawn[c]);
        if (difference <= worst.difference) continue;
        worst.difference = difference;
        worst.where = "at " + std::to_string(x) + "," + std::to_string(y) + " channel " +
                      std::to_string(c) + ": decoded " + std::to_string(decoded) + ", drawn " +
                      std::to_string(drawn[c]) + ", " + codes.format;
      }
    }
  return worst;
}

bool Anywhere(int) { return true; }

class HdrFiles : public ::testing::Test {
 protected:
  // Runs a command in the test's folder: its exit code and its output, both streams.
  std::pair<int, std::string> Shell(const std::string& command) const {
    return ShellIn(folder_, command + " 2>&1");
  }
  std::pair<int, std::string> Render(const std::string& arguments) const {
    return Shell(std::string("'") + VELTRIMA_RENDER_PATH + "' " + kPlugin + " " + arguments);
  }
  std::pair<int, std::string> RenderHdr(const std::string& arguments) const {
    return Shell(std::string("'") + VELTRIMA_RENDER_PATH + "' --plugin hdr -q " + arguments);
  }
  // ffprobe's description of the stream and of its first frame, as key=value lines.
  std::string Probe(const std::string& file) const {
    return Shell("ffprobe -v error -select_streams v:0 -show_streams -show_frames "
                 "-read_intervals '%+#1' -of flat '" + file + "'")
        .second;
  }
  std::string Path(const std::string& file) const { return (folder_ / file).string(); }

  ScratchFolder scratch_{"veltrima-hdr-test"};
  const fs::path folder_ = scratch_.Path();
};

::testing::AssertionResult Shows(const std::string& probe, const std::string& line) {
  if (probe.find(line) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "ffprobe shows no " << line << " in:\n" << probe;
}

// The value ffprobe gives `key` in the lines that begin with `where` (a
// fraction such as "177/250" as its quotient); NaN when no line has it.
double ProbedValue(const std::string& probe, const std::string& where, const std::string& key) {
  for (std::size_t line = probe.find(where); line != std::string::npos;
       line = probe.find(where, line + 1)) {
    const std::string text = probe.substr(line, probe.find('\n', line) - line);
    const std::size_t at = text.find("." + key + "=");
    if (at == std::string::npos) continue;
    std::string value = text.substr(at + key.size() + 2);
    value.erase(std::remove(value.begin(), value.end(), '"'), value.end());
    const std::size_t slash = value.find('/');
    return slash == std::string::npos
               ? std::stod(value)
               : std::stod(value.substr(0, slash)) / std::stod(value.substr(slash + 1));
  }
  return NAN;
}

// The tags, mastering display and content light level ffprobe shows for a
// file at `peakNits` with content light `maxCll`, `maxFall`; `inFrame`:
// also in the first frame's side data (HEVC's SEI).
void ExpectHdrMetadata(const std::string& probe, double peakNits, double maxCll, double maxFall,
                       bool inFrame) {
  const std::pair<const char*, double> expected[] = {
      {"red_x", 0.708},         {"red_y", 0.292},         {"green_x", 0.170},
      {"green_y", 0.797},       {"blue_x", 0.131},        {"blue_y", 0.046},
      {"white_point_x", 0.3127}, {"white_point_y", 0.3290}, {"min_luminance", 0.0001},
      {"max_luminance", peakNits}, {"max_content", maxCll}, {"max_average", maxFall}};
  for (const char* where : {"streams.stream.0.side_data_list", "frames.frame.0.side_data_list"}) {
    if (where[0] == 'f' && !inFrame) continue;
    for (const auto& [key, value] : expected)
      EXPECT_NEAR(ProbedValue(probe, where, key), value, value * 1e-6) << where << " " << key;
  }
}

// `rgb`: the file holds RGB, matrix "gbr" (H.273's 0); else Y'CbCr by BT.2020's.
void ExpectPqNarrowTags(const std::string& probe, bool rgb) {
  for (const char* tag : {"color_range=\"tv\"", rgb ? "color_space=\"gbr\"" : "color_space=\"bt2020nc\"",
                          "color_transfer=\"smpte2084\"", "color_primaries=\"bt2020\""})
    EXPECT_TRUE(Shows(probe, std::string("streams.stream.0.") + tag));
}

void ExpectPqNarrowMetadata(const std::string& probe, bool rgb, bool inFrame) {
  ExpectPqNarrowTags(probe, rgb);
  ExpectHdrMetadata(probe, 1000, 10000, PqNarrowMaxFall(), inFrame);
}

TEST_F(HdrFiles, FfvOneHoldsEveryDrawnCodeAtTenTwelveAndSixteenBits) {
  for (const int depth : {10, 12, 16}) {
    SCOPED_TRACE("--depth " + std::to_string(depth));
    const std::string file = "pq" + std::to_string(depth) + ".mkv";
    const auto [code, output] = Render("--depth " + std::to_string(depth) + " -o " + file);
    ASSERT_EQ(code, 0) << output;
    ExpectPqNarrowMetadata(Probe(file), true, false);
    const DecodedSignal codes = DecodeSignalFile(Path(file));
    ASSERT_EQ(codes.signal.size(), static_cast<std::size_t>(kWidth * kHeight));
    const Worst worst = WorstDifference(codes, 0, Anywhere);
    EXPECT_EQ(worst.difference, 0) << worst;
  }
}

TEST_F(HdrFiles, ProResAndHevcDecodeByTheirTagsWithinOneCode) {
  struct Case {
    const char* arguments;
    const char* file;
    const char* codecName;
    bool seiInFrames;
    int margin;  // columns and rows kept from band edges, where compression rings
  };
  const Case cases[] = {
      {"", "pq.mov", "prores", false, 4},
      {"", "pq.mp4", "hevc", true, 8},  // .mp4 with a PQ signal: HEVC by default
      {"--codec hevc-444", "pq444.mkv", "hevc", true, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const auto [code, output] = Render(std::string(c.arguments) + " -o " + c.file);
    ASSERT_EQ(code, 0) << output;
    const std::string probe = Probe(c.file);
    EXPECT_TRUE(Shows(probe, std::string("codec_name=\"") + c.codecName + "\""));
    ExpectPqNarrowMetadata(probe, false, c.seiInFrames);
    const DecodedSignal codes = DecodeSignalFile(Path(c.file));
    ASSERT_EQ(codes.signal.size(), static_cast<std::size_t>(kWidth * kHeight));
    // Narrow-range YUV reaches 4 to 1019; the full-range bands lie outside.
    const auto narrowBands = [](int band) { return kBands[band].r >= 4 && kBands[band].r <= 1019; };
    const Worst worst = WorstDifference(codes, c.margin, narrowBands);
    EXPECT_LE(worst.difference, 1) << worst;
    // A grey keeps its code exactly as Y: nothing squeezed into narrow range again.
    const auto black = static_cast<std::size_t>(kHeight / 2 * kWidth + BandLeft(1, kWidth) + 20);
    EXPECT_NEAR(codes.Code(black, 1), 64, 0.5);
  }
}

TEST_F(HdrFiles, HevcWarnsOfFourTwoZero) {
  const auto [code, output] = Render("--codec hevc -o pq.mkv");
  ASSERT_EQ(code, 0) << output;
  EXPECT_NE(output.find("--codec hevc halves the colour resolution (4:2:0)"), std::string::npos)
      << output;
}

TEST_F(HdrFiles, FullRangeHlgIsTaggedSo) {
  const auto [code, output] = Render("--set 'Signal=HLG Full' --set 'Peak nits=2000' -o hlg.mkv");
  ASSERT_EQ(code, 0) << output;
  const std::string probe = Probe("hlg.mkv");
  for (const char* tag : {"color_range=\"pc\"", "color_transfer=\"arib-std-b67\"",
                          "color_primaries=\"bt2020\""})
    EXPECT_TRUE(Shows(probe, tag));
  // HLG white (1023 full) on a 2,000-nit display is 2,000 nits.
  EXPECT_NEAR(ProbedValue(probe, "streams.stream.0.side_data_list", "max_content"), 2000, 0);
  EXPECT_NEAR(ProbedValue(probe, "streams.stream.0.side_data_list", "max_luminance"), 2000, 0);
  const DecodedSignal codes = DecodeSignalFile(Path("hlg.mkv"));
  const Worst worst = WorstDifference(codes, 0, Anywhere);
  EXPECT_EQ(worst.difference, 0) << worst;
}

// "Peak nits" is an integer: the plug-in draws for 1500 when sent 1500.4
// (and for 10,000 when sent more), and the file says the same.
TEST_F(HdrFiles, PeakNitsIsTheWholeNumberThePlugInDrawsFor) {
  for (const auto& [sent, drawn] : {std::pair<const char*, double>{"1500.4", 1500},
                                    std::pair<const char*, double>{"1500.5", 1501},
                                    std::pair<const char*, double>{"12000", 10000}}) {
    SCOPED_TRACE(sent);
    const auto [code, output] =
        Render(std::string("--set 'Signal=HLG Full' --set 'Peak nits=") + sent + "' -o hlg.mkv");
    ASSERT_EQ(code, 0) << output;
    const std::string probe = Probe("hlg.mkv");
    EXPECT_EQ(ProbedValue(probe, "streams.stream.0.side_data_list", "max_luminance"), drawn);
    // HLG white on that display.
    EXPECT_EQ(ProbedValue(probe, "streams.stream.0.side_data_list", "max_content"), drawn);
  }
}

TEST_F(HdrFiles, SdrNarrowIsBt709InItsOwnRangeWithoutHdrMetadata) {
  const auto [code, output] = Render("--set 'Signal=SDR Narrow' -o sdr.mov");
  ASSERT_EQ(code, 0) << output;
  const std::string probe = Probe("sdr.mov");
  for (const char* tag : {"color_space=\"bt709\"", "color_transfer=\"bt709\"",
                          "color_primaries=\"bt709\""})
    EXPECT_TRUE(Shows(probe, tag));
  EXPECT_EQ(probe.find("Mastering display"), std::string::npos) << probe;
  const DecodedSignal codes = DecodeSignalFile(Path("sdr.mov"));
  const auto narrowBands = [](int band) { return kBands[band].r >= 4 && kBands[band].r <= 1019; };
  const Worst worst = WorstDifference(codes, 4, narrowBands);
  EXPECT_LE(worst.difference, 1) << worst;
}

TEST_F(HdrFiles, SixteenBitPngCarriesCicpAndTheExactCodes) {
  struct Case {
    const char* signal;
    std::array<int, 4> cicp;  // primaries, transfer, matrix, full range
  };
  for (const Case& c : {Case{"PQ Narrow", {9, 16, 0, 0}}, Case{"HLG Full", {9, 18, 0, 1}},
                        Case{"SDR Narrow", {1, 1, 0, 0}}}) {
    SCOPED_TRACE(c.signal);
    const auto [code, output] = Render(std::string("--set 'Signal=") + c.signal + "' -o s.png");
    ASSERT_EQ(code, 0) << output;
    const auto chunks = PngChunks(Path("s.png"));
    const auto cicp = std::find_if(chunks.begin(), chunks.end(),
                                   [](const auto& chunk) { return chunk.first == "cICP"; });
    ASSERT_NE(cicp, chunks.end());
    const auto idat = std::find_if(chunks.begin(), chunks.end(),
                                   [](const auto& chunk) { return chunk.first == "IDAT"; });
    EXPECT_LT(cicp - chunks.begin(), idat - chunks.begin());
    ASSERT_EQ(cicp->second.size(), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(static_cast<unsigned char>(cicp->second[i]), c.cicp[i]) << i;
    const Image image = ReadPng(Path("s.png"));
    ASSERT_EQ(image.bitDepth, 16);
    for (int x = 0; x < kWidth; ++x) {
      const BandCodes& drawn = kBands[BandAt(x, 0)];
      const int codes[3] = {drawn.r, drawn.g, drawn.b};
      // H.273's rule of the range at 16 bits: narrow 64 c, full 65535 c / 1023.
      const bool narrow = c.cicp[3] == 0;
      for (int channel = 0; channel < 3; ++channel)
        ASSERT_EQ(image.rgba[static_cast<std::size_t>(4 * x + channel)],
                  std::lround(ValueOfSignal(SignalOfCode(codes[channel], narrow), narrow, 16)))
            << "x " << x;
    }
  }
}

TEST_F(HdrFiles, EightBitsOfPqOrHlgAreRefusedInOneLine) {
  for (const std::string& arguments :
       {std::string("--depth 8 -o pq.mkv"), std::string("--set 'Signal=HLG Narrow' --depth 8 -o h.png"),
        std::string("--codec h264 -o pq.mp4"), std::string("-o -")}) {
    SCOPED_TRACE(arguments);
    const auto [code, output] = Render(arguments);
    EXPECT_EQ(code, 2);
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
    EXPECT_NE(output.find("in 8 bits bands"), std::string::npos) << output;
  }
  EXPECT_TRUE(fs::is_empty(folder_));
}

// The HDR plug-in's BT.2111 PQ Narrow bars at 1920x1080, the clip the files
// are for: its 16-bit PNG holds the drawn codes exactly (the plug-in's own
// tests hold those to BT.2111), FFV1 decodes to them everywhere, ProRes
// 4444 and HEVC within one code wherever the bars are flat around a pixel
// (compression rings at edges). MaxCLL is 10,000: the super-white step.
TEST_F(HdrFiles, Bt2111PqNarrowBarsAsProResFfv1AndHevc) {
  const std::string bars = "--set 'Pattern=BT.2111 Bars' --set 'Signal=PQ Narrow' ";
  const auto [pngCode, pngOutput] = RenderHdr(bars + "-o bars.png");
  ASSERT_EQ(pngCode, 0) << pngOutput;
  const Image drawn = ReadPng(Path("bars.png"));
  ASSERT_EQ(drawn.width, 1920);
  // The drawn codes, read by the PNG's cICP chunk (narrow: 16-bit c 64).
  const DecodedSignal drawnCodes = DecodeSignalFile(Path("bars.png"));
  ASSERT_EQ(drawnCodes.range, AVCOL_RANGE_MPEG);
  const auto codeAt = [&](std::size_t pixel, int channel) {
    return static_cast<int>(std::lround(drawnCodes.Code(pixel, channel)));
  };
  // A pixel is flat when every pixel within `margin` of it has its codes.
  const auto flatMask = [&](int margin) {
    const int w = drawn.width, h = drawn.height;
    const auto same = [&](int a, int b) {
      for (int c = 0; c < 3; ++c)
        if (drawn.rgba[4 * static_cast<std::size_t>(a) + static_cast<std::size_t>(c)] !=
            drawn.rgba[4 * static_cast<std::size_t>(b) + static_cast<std::size_t>(c)])
          return false;
      return true;
    };
    std::vector<char> across(static_cast<std::size_t>(w * h), 0), flat(across.size(), 0);
    for (int y = 0; y < h; ++y)
      for (int x = margin; x < w - margin; ++x) {
        bool all = true;
        for (int d = -margin; d <= margin && all; ++d) all = same(y * w + x, y * w + x + d);
        across[static_cast<std::size_t>(y * w + x)] = all;
      }
    for (int y = margin; y < h - margin; ++y)
      for (int x = margin; x < w - margin; ++x) {
        bool all = true;
        for (int d = -margin; d <= margin && all; ++d)
          all = across[static_cast<std::size_t>((y + d) * w + x)] && same(y * w + x, (y + d) * w + x);
        flat[static_cast<std::size_t>(y * w + x)] = all;
      }
    return flat;
  };
  struct Case {
    const char* arguments;
    const char* file;
    const char* codecName;
    bool seiInFrames;
    int margin;  // 0: every pixel, exactly
  };
  const Case cases[] = {{"--depth 10", "bars.mkv", "ffv1", false, 0},
                        {"", "bars.mov", "prores", false, 8},
                        {"", "bars.mp4", "hevc", true, 32}};  // 32x32 transforms
  double maxFall = -1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const auto [code, output] = RenderHdr(bars + c.arguments + " -o " + c.file);
    ASSERT_EQ(code, 0) << output;
    const std::string probe = Probe(c.file);
    EXPECT_TRUE(Shows(probe, std::string("codec_name=\"") + c.codecName + "\""));
    ExpectPqNarrowTags(probe, std::string(c.codecName) == "ffv1");
    const char* lists[] = {"streams.stream.0.side_data_list", "frames.frame.0.side_data_list"};
    for (const char* where : lists) {
      if (where[0] == 'f' && !c.seiInFrames) continue;
      EXPECT_EQ(ProbedValue(probe, where, "max_content"), 10000) << where;
      EXPECT_EQ(ProbedValue(probe, where, "max_luminance"), 1000) << where;
      EXPECT_NEAR(ProbedValue(probe, where, "min_luminance"), 0.0001, 1e-10) << where;
      EXPECT_NEAR(ProbedValue(probe, where, "red_x"), 0.708, 1e-9) << where;
      // Every file of the clip states the same measure of the same frames.
      const double fall = ProbedValue(probe, where, "max_average");
      EXPECT_GT(fall, 0) << where;
      if (maxFall < 0) maxFall = fall;
      EXPECT_EQ(fall, maxFall) << where;
    }
    const DecodedSignal codes = DecodeSignalFile(Path(c.file));
    ASSERT_EQ(codes.signal.size(), drawn.rgba.size() / 4);
    const std::vector<char> flat = c.margin > 0 ? flatMask(c.margin) : std::vector<char>();
    Worst worst;
    std::size_t compared = 0;
    for (std::size_t i = 0; i < codes.signal.size(); ++i) {
      if (c.margin > 0 && !flat[i]) continue;
      ++compared;
      for (int ch = 0; ch < 3; ++ch) {
        const double difference =
            std::fabs(std::round(codes.Code(i, ch)) - codeAt(i, ch));
        if (difference <= worst.difference) continue;
        worst.difference = difference;
        worst.where = "pixel " + std::to_string(i % 1920) + "," + std::to_string(i / 1920) +
                      " channel " + std::to_string(ch) + ": drawn " + std::to_string(codeAt(i, ch)) +
                      ", decoded " + std::to_string(codes.Code(i, ch));
      }
    }
    EXPECT_GT(compared, codes.signal.size() / 4);  // most of the picture is flat
    EXPECT_LE(worst.difference, c.margin > 0 ? 1 : 0) << worst;
  }
}

}  // namespace

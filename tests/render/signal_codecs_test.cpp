// Every signal in every codec and container the render tool writes, from
// the stand-in signal_plugin.cpp's bands: each file decoded back through
// FFmpeg's libraries by its own tags (range, matrix, transfer, primaries,
// chroma location; a PNG's cICP chunk) holds the codes drawn, at its own
// depth by its range's rule (H.273: narrow (219 E' + 16) 2^(n-8), full
// (2^n - 1) E'): exactly where the codec is lossless, within one code in
// flat areas where it is not; its 4:2:0 colour edges lie where the picture's
// do; or the tool refused the signal with one line and left no file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <ostream>
#include <string>

#include "signal/Signal.h"
#include "tests/ScratchFolder.h"
#include "tests/render/DecodedFiles.h"
#include "tests/render/signal_plugin_codes.h"

namespace {

namespace fs = std::filesystem;
using veltrima::signal::Range;
using veltrima::signal::Transfer;

// Bands 128 pixels wide: flat areas of lossy codecs lie a transform's size
// (32 pixels for HEVC) from every edge.
constexpr int kWidth = 1536, kHeight = 128;

enum class Keeps { Exactly, WithinOne, Nothing };

// A codec in a container, as the tool writes it for a signal.
struct Row {
  const char* name;
  const char* arguments;  // everything but the signal, -o included
  const char* file;
  int bits;               // the depth written (ProRes decodes at 12 bits)
  bool narrow, full;      // the ranges the file keeps
  Keeps keeps;
  int margin;             // columns and rows left out beside band edges
  const char* refusal;    // words of the one line refusing every signal, for a codec that keeps none
};

std::ostream& operator<<(std::ostream& out, const Row& row) { return out << row.name; }

constexpr Row kRows[] = {
    {"Ffv1", "-o f.mkv", "f.mkv", 10, true, true, Keeps::Exactly, 0, nullptr},
    // --depth 8 draws through an 8-bit framebuffer, which holds a code as
    // 255ths of full scale: a narrow code reaches 8 bits rounded twice.
    {"Ffv1EightBits", "--depth 8 -o f.mkv", "f.mkv", 8, true, true, Keeps::WithinOne, 0, nullptr},
    {"Ffv1TwelveBits", "--depth 12 -o f.mkv", "f.mkv", 12, true, true, Keeps::Exactly, 0, nullptr},
    {"Ffv1SixteenBits", "--depth 16 -o f.mkv", "f.mkv", 16, true, true, Keeps::Exactly, 0, nullptr},
    {"PngImage", "-o f.png", "f.png", 16, true, true, Keeps::Exactly, 0, nullptr},
    {"PngImageEightBits", "--depth 8 -o f.png", "f.png", 8, true, true, Keeps::WithinOne, 0,
     nullptr},
    // FFmpeg's PNG decoder says full range whatever the container says.
    {"PngInMov", "--codec png -o f.mov", "f.mov", 16, false, true, Keeps::Exactly, 0, nullptr},
    {"PngInMp4", "--codec png -o f.mp4", "f.mp4", 16, false, true, Keeps::Exactly, 0, nullptr},
    // QuickTime's colour atom has no range, and RGB without one reads as full.
    {"QtrleMov", "--codec qtrle -o f.mov", "f.mov", 8, false, false, Keeps::Nothing, 0, "range"},
    // H.264 and HEVC say the range in the bitstream, in every container.
    {"H264Mkv", "--codec h264 -o f.mkv", "f.mkv", 8, true, true, Keeps::WithinOne, 16, nullptr},
    {"H264Mov", "--codec h264 -o f.mov", "f.mov", 8, true, true, Keeps::WithinOne, 16, nullptr},
    {"H264Mp4", "--codec h264 -o f.mp4", "f.mp4", 8, true, true, Keeps::WithinOne, 16, nullptr},
    {"H264FourTwoZero", "--codec h264 --pix-fmt yuv420p -o f.mp4", "f.mp4", 8, true, true, Keeps::WithinOne, 16,
     nullptr},
    {"H264LosslessMkv", "--codec h264-lossless -o f.mkv", "f.mkv", 8, true, true, Keeps::Exactly, 0,
     nullptr},
    {"H264LosslessMov", "--codec h264-lossless -o f.mov", "f.mov", 8, true, true, Keeps::Exactly, 0,
     nullptr},
    {"H264LosslessMp4", "--codec h264-lossless -o f.mp4", "f.mp4", 8, true, true, Keeps::Exactly, 0,
     nullptr},
    // ProRes has no range flag: decoders read it as narrow.
    {"ProResMov", "-o f.mov", "f.mov", 10, true, false, Keeps::WithinOne, 4, nullptr},
    {"ProResMkv", "--codec prores -o f.mkv", "f.mkv", 10, true, false, Keeps::WithinOne, 4, nullptr},
    {"ProResXqMov", "--codec prores-xq -o f.mov", "f.mov", 10, true, false, Keeps::WithinOne, 4,
     nullptr},
    {"HevcMkv", "--codec hevc -o f.mkv", "f.mkv", 10, true, true, Keeps::WithinOne, 32, nullptr},
    {"HevcMov", "--codec hevc -o f.mov", "f.mov", 10, true, true, Keeps::WithinOne, 32, nullptr},
    {"HevcMp4", "--codec hevc -o f.mp4", "f.mp4", 10, true, true, Keeps::WithinOne, 32, nullptr},
    {"Hevc444Mkv", "--codec hevc-444 -o f.mkv", "f.mkv", 10, true, true, Keeps::WithinOne, 32,
     nullptr},
    {"Hevc444Mp4", "--codec hevc-444 -o f.mp4", "f.mp4", 10, true, true, Keeps::WithinOne, 32,
     nullptr},
    // DXT blocks keep no code; HAP lives in .mov, which says no range.
    {"Hap", "--codec hap -o f.mov", "f.mov", 8, false, false, Keeps::Nothing, 0, "DXT"},
    {"HapAlpha", "--codec hap-alpha -o f.mov", "f.mov", 8, false, false, Keeps::Nothing, 0, "DXT"},
    {"HapQ", "--codec hap-q -o f.mov", "f.mov", 8, false, false, Keeps::Nothing, 0, "DXT"},
};

class SignalCodecs : public ::testing::TestWithParam<Row> {
 protected:
  std::pair<int, std::string> Render(const std::string& signal) const {
    return ShellIn(folder_, std::string("'") + VELTRIMA_RENDER_PATH + "' --plugin '" +
                                SIGNAL_PLUGIN_PATH + "' --size 1536x128 -q --set 'Signal=" + signal +
                                "' " + GetParam().arguments + " 2>&1");
  }
  std::string Path() const { return (folder_ / GetParam().file).string(); }

  ScratchFolder scratch_{"veltrima-signal-codecs"};
  const fs::path folder_ = scratch_.Path();
};

// The band a column lies in, or -1 within `margin` of a band's edge.
int BandAt(int x, int margin) {
  for (int band = 0; band < kBandCount; ++band)
    if (x >= BandLeft(band, kWidth) + margin && x < BandLeft(band + 1, kWidth) - margin)
      return band;
  return -1;
}

// What the tool answers a signal with, from the row: "" for a file, else
// words of its one-line refusal.
std::string RefusalOf(const Row& row, const veltrima::signal::Signal& signal) {
  if (signal.transfer != Transfer::Sdr && row.bits == 8) return "in 8 bits bands";
  if (row.refusal) return row.refusal;
  const bool kept = signal.range == Range::Narrow ? row.narrow : row.full;
  return kept ? "" : "range";
}

void ExpectTags(const DecodedSignal& decoded, const veltrima::signal::Signal& signal) {
  const bool sdr = signal.transfer == Transfer::Sdr;
  EXPECT_EQ(decoded.range, signal.range == Range::Narrow ? AVCOL_RANGE_MPEG : AVCOL_RANGE_JPEG);
  EXPECT_EQ(decoded.primaries, sdr ? AVCOL_PRI_BT709 : AVCOL_PRI_BT2020);
  EXPECT_EQ(decoded.transfer, signal.transfer == Transfer::Pq    ? AVCOL_TRC_SMPTE2084
                              : signal.transfer == Transfer::Hlg ? AVCOL_TRC_ARIB_STD_B67
                                                                 : AVCOL_TRC_BT709);
  // H.273: matrix 0 (GBR) for RGB samples.
  EXPECT_EQ(decoded.matrix, decoded.rgb ? AVCOL_SPC_RGB : sdr ? AVCOL_SPC_BT709 : AVCOL_SPC_BT2020_NCL);
  if (decoded.halvesChroma) {
    EXPECT_EQ(decoded.chromaLocation, AVCHROMA_LOC_LEFT);
  }
}

// Every flat band's samples against the drawn codes at the depth written:
// exactly the nearest value (a half either way), or within one more.
void ExpectCodes(const DecodedSignal& decoded, const Row& row) {
  const bool narrow = decoded.Narrow();
  const bool narrowYuv = decoded.Narrow() && !decoded.rgb;
  const double allowed = (row.keeps == Keeps::Exactly ? 0.5 : 1.5) + 1e-9;
  double worst = 0;
  std::string where;
  for (int y = row.margin; y < kHeight - row.margin; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const int band = BandAt(x, row.margin);
      if (band < 0) continue;
      const int drawn[3] = {kBands[band].r, kBands[band].g, kBands[band].b};
      // Narrow Y'CbCr holds 4 to 1019 (at 10 bits); the full-range extremes lie outside.
      if (narrowYuv && std::any_of(drawn, drawn + 3, [](int c) { return c < 4 || c > 1019; }))
        continue;
      const auto pixel = static_cast<std::size_t>(y * kWidth + x);
      for (int c = 0; c < 3; ++c) {
        const double wanted = std::clamp(ValueOfSignal(SignalOfCode(drawn[c], narrow), narrow, row.bits),
                                         0.0, std::ldexp(1.0, row.bits) - 1);
        const double got = std::round(ValueOfSignal(decoded.signal[pixel][static_cast<std::size_t>(c)],
                                                    narrow, row.bits));
        if (std::fabs(got - wanted) <= worst) continue;
        worst = std::fabs(got - wanted);
        where = "at " + std::to_string(x) + "," + std::to_string(y) + " channel " +
                std::to_string(c) + ": " + std::to_string(got) + " for code " +
                std::to_string(drawn[c]) + " (" + std::to_string(wanted) + " at " +
                std::to_string(row.bits) + " bits), " + decoded.format;
      }
    }
  EXPECT_LE(worst, allowed) << where;
}

// 4:2:0: each colour edge between bands lies within a quarter pixel of the
// picture's edge in the decoded chroma.
void ExpectChromaEdgesInPlace(const DecodedSignal& decoded) {
  for (int band = 1; band < kBandCount; ++band) {
    const int edge = BandLeft(band, kWidth);
    const double found = ChromaEdgeAt(decoded, kHeight / 2, edge, 8);
    if (!std::isnan(found)) {
      EXPECT_NEAR(found, edge, 0.25) << "the edge before band " << band;
    }
  }
}

TEST_P(SignalCodecs, EverySignalDecodesToItsCodesOrIsRefusedInOneLine) {
  const Row& row = GetParam();
  for (const auto& named : veltrima::signal::kSignals) {
    SCOPED_TRACE(std::string(named.name));
    fs::remove(Path());
    const auto [code, output] = Render(std::string(named.name));
    const std::string refusal = RefusalOf(row, named.signal);
    if (!refusal.empty()) {
      EXPECT_EQ(code, 2) << output;
      EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
      EXPECT_NE(output.find(refusal), std::string::npos) << output;
      // A range refused names a codec that keeps it.
      if (refusal == "range") {
        EXPECT_NE(output.find("ffv1"), std::string::npos) << output;
      }
      EXPECT_TRUE(fs::is_empty(folder_));
      continue;
    }
    ASSERT_EQ(code, 0) << output;
    const DecodedSignal decoded = DecodeSignalFile(Path());
    ASSERT_EQ(decoded.signal.size(), static_cast<std::size_t>(kWidth * kHeight));
    EXPECT_GE(decoded.bits, row.bits);
    ExpectTags(decoded, named.signal);
    ExpectCodes(decoded, row);
    if (decoded.halvesChroma) ExpectChromaEdgesInPlace(decoded);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryCodec, SignalCodecs, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& row) {
                           return std::string(row.param.name);
                         });

}  // namespace

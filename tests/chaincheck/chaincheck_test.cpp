// The identity strip read back from Chain Check frames made from the
// layout, through what a chain does to a picture: levels squeezed or
// expanded, another depth, scaling by 0.5x to 2x, a shift, noise, blur.
// And the layout's own promises: steps large enough to take a median, all
// inside the frame, no part over another.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "chaincheck/Layout.h"
#include "chaincheck/StripReader.h"
#include "signal/CodeRules.h"

namespace {

using namespace chaincheck;
namespace sig = veltrima::signal;

// A float picture of 10-bit luma codes, before a depth is chosen.
struct Picture {
  int width = 0, height = 0;
  std::vector<double> v;
  double& At(int x, int y) { return v[static_cast<std::size_t>(y) * width + x]; }
  double At(int x, int y) const { return v[static_cast<std::size_t>(y) * width + x]; }
};

Picture Draw(const StripContent& content, int width, int height) {
  const Layout layout = MakeLayout(content, width, height);
  const sig::LumaWeights w = sig::LumaWeightsOf(sig::MatrixOf(content.signal.transfer));
  auto luma = [&](const Codes& c) { return w.red * c[0] + w.green * c[1] + w.blue * c[2]; };
  Picture p{width, height, std::vector<double>(static_cast<std::size_t>(width) * height, luma(layout.background))};
  for (const Area& a : layout.areas)
    for (int y = std::max(a.box.y0, 0); y < std::min(a.box.y1, height); ++y)
      for (int x = std::max(a.box.x0, 0); x < std::min(a.box.x1, width); ++x) p.At(x, y) = luma(a.codes);
  return p;
}

// Bilinear resampling by `factor`, pixel centres aligned, then a shift.
Picture Resample(const Picture& in, double factor, int shiftX, int shiftY) {
  Picture out{static_cast<int>(std::lround(in.width * factor)), static_cast<int>(std::lround(in.height * factor)), {}};
  out.v.assign(static_cast<std::size_t>(out.width) * out.height, in.At(0, 0));
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) {
      const double sx = std::clamp((x - shiftX + 0.5) / factor - 0.5, 0.0, in.width - 1.0);
      const double sy = std::clamp((y - shiftY + 0.5) / factor - 0.5, 0.0, in.height - 1.0);
      const int x0 = static_cast<int>(sx), y0 = static_cast<int>(sy);
      const int x1 = std::min(x0 + 1, in.width - 1), y1 = std::min(y0 + 1, in.height - 1);
      const double fx = sx - x0, fy = sy - y0;
      out.At(x, y) = (in.At(x0, y0) * (1 - fx) + in.At(x1, y0) * fx) * (1 - fy) +
                     (in.At(x0, y1) * (1 - fx) + in.At(x1, y1) * fx) * fy;
    }
  return out;
}

// The picture's codes through a level change (code · gain + offset, at 10
// bits), written at `bits`, with uniform noise of ± `noise` codes.
GreyImage Capture(const Picture& p, double gain, double offset, int bits, double noise) {
  GreyImage image{p.width, p.height, (1 << bits) - 1, {}};
  std::mt19937 random(7);
  std::uniform_real_distribution<double> jitter(-noise, noise);
  for (double v : p.v) {
    const double code = std::clamp(v * gain + offset + (noise > 0 ? jitter(random) : 0.0), 0.0, 1023.0);
    image.values.push_back(static_cast<std::uint16_t>(std::lround(code * image.maxValue / 1023.0)));
  }
  return image;
}

struct StripCase {
  const char* name;
  const char* signal;
  int peak;
  int frame;
  int width, height;
  double factor;
  int shift;
  double gain, offset;  // 10-bit levels
  int bits;
  double noise;  // codes at 10 bits
};

const StripCase kStripCases[] = {
    {"PqNarrow1080", "PQ Narrow", 1000, 0, 1920, 1080, 1.0, 0, 1, 0, 10, 0},
    {"PqFull2160", "PQ Full", 4000, 65535, 3840, 2160, 1.0, 0, 1, 0, 16, 0},
    {"Hlg720", "HLG Narrow", 1000, 12345, 1280, 720, 1.0, 0, 1, 0, 8, 0},
    {"SdrFullOddSize", "SDR Full", 100, 77, 1366, 768, 1.0, 0, 1, 0, 10, 0},
    {"HalfSize", "PQ Narrow", 10000, 4242, 1920, 1080, 0.5, 0, 1, 0, 10, 0},
    {"DoubleSize", "HLG Full", 600, 3, 1280, 720, 2.0, 0, 1, 0, 10, 0},
    {"ShrunkAndShifted", "PQ Narrow", 1000, 999, 1920, 1080, 0.7, 5, 1, 0, 10, 0},
    {"SqueezedTwice", "PQ Full", 1000, 1, 1920, 1080, 1.0, 0, 876.0 / 1023 * 876 / 1023, 64 + 64 * 876.0 / 1023, 10, 0},
    {"Expanded", "PQ Narrow", 1000, 2, 1920, 1080, 1.0, 0, 1023.0 / 876, -64 * 1023.0 / 876, 10, 0},
    {"DimAndNoisy", "SDR Narrow", 203, 40000, 1920, 1080, 1.0, 0, 0.4, 100, 8, 20},
    {"ScaledNoisy16Bit", "HLG Narrow", 1000, 31, 3840, 2160, 0.6, 2, 1, 0, 16, 8},
};

void PrintTo(const StripCase& c, std::ostream* out) { *out << c.name; }

class StripRoundTrip : public testing::TestWithParam<StripCase> {};

TEST_P(StripRoundTrip, ReadsWhatWasSent) {
  const StripCase& c = GetParam();
  StripContent sent;
  sent.signal = sig::SignalNamed(c.signal).value();
  sent.peakNits = c.peak;
  sent.frame = static_cast<std::uint16_t>(c.frame);
  Picture picture = Draw(sent, c.width, c.height);
  if (c.factor != 1.0 || c.shift != 0) picture = Resample(picture, c.factor, c.shift, c.shift);
  const StripReading read = ReadStrip(Capture(picture, c.gain, c.offset, c.bits, c.noise));
  ASSERT_EQ(read.status, StripReading::Status::Decoded) << c.name;
  EXPECT_TRUE(read.content == sent) << c.name << ": read peak " << read.content.peakNits << " frame "
                                    << read.content.frame;
  const Box strip = MakeLayout(sent, c.width, c.height).strip;
  EXPECT_NEAR(read.left, strip.x0 * c.factor + c.shift, 1.5) << c.name;
  EXPECT_NEAR(read.cell, strip.Width() * c.factor / kStripCells, 0.1) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Chains, StripRoundTrip, testing::ValuesIn(kStripCases),
                         [](const testing::TestParamInfo<StripCase>& param) { return param.param.name; });

// What must not be read as a strip: no picture, a flat one, noise, and the
// strip with one data cell turned over (its CRC no longer matches).
TEST(StripReader, FindsNoStripWhereThereIsNone) {
  EXPECT_EQ(ReadStrip(GreyImage{}).status, StripReading::Status::NotFound);
  EXPECT_EQ(ReadStrip(GreyImage{4, 4, 1023, std::vector<std::uint16_t>(3)}).status,
            StripReading::Status::NotFound) << "values short of the size";
  EXPECT_EQ(ReadStrip(GreyImage{64, 64, 255, std::vector<std::uint16_t>(64 * 64, 128)}).status,
            StripReading::Status::NotFound);
  GreyImage noise{640, 360, 1023, {}};
  std::mt19937 random(1);
  for (int i = 0; i < 640 * 360; ++i) noise.values.push_back(static_cast<std::uint16_t>(random() % 1024));
  EXPECT_NE(ReadStrip(noise).status, StripReading::Status::Decoded);

  StripContent sent;
  Picture picture = Draw(sent, 1920, 1080);
  const Layout layout = MakeLayout(sent, 1920, 1080);
  const int cell = kGuardCells + 20;
  const int x0 = layout.strip.x0 + cell * layout.strip.Width() / kStripCells;
  const double white = picture.At(layout.strip.x0 + 1, layout.strip.y0 + 1);
  const double black = picture.At(0, layout.strip.y0);
  const double flipped = picture.At(x0 + 4, layout.strip.y0 + 4) == white ? black : white;
  for (int y = layout.strip.y0; y < layout.strip.y1; ++y)
    for (int x = x0; x < x0 + layout.strip.Width() / kStripCells; ++x) picture.At(x, y) = flipped;
  EXPECT_EQ(ReadStrip(Capture(picture, 1, 0, 10, 0)).status, StripReading::Status::Unreadable);
}

// Every field through the cells and back, and the encoder's clamping.
TEST(StripFormat, EveryFieldSurvivesTheCells) {
  for (const auto& named : sig::kSignals)
    for (int peak : {0, 100, 1000, 10000, 65535})
      for (int frame : {0, 1, 256, 65535}) {
        StripContent c;
        c.signal = named.signal;
        c.peakNits = peak;
        c.frame = static_cast<std::uint16_t>(frame);
        const StripDecode d = DecodeStrip(EncodeStrip(c));
        ASSERT_EQ(d.fault, StripFault::None) << named.name << " " << peak << " " << frame;
        EXPECT_TRUE(d.content == c) << named.name << " " << peak << " " << frame;
      }
  StripContent big;
  big.peakNits = 100000;
  EXPECT_EQ(DecodeStrip(EncodeStrip(big)).content.peakNits, 65535);
  StripCells cells = EncodeStrip(StripContent{});
  cells[0] = false;
  EXPECT_EQ(DecodeStrip(cells).fault, StripFault::Guards);
}

// The layout's promises at every size it is made for: inside the frame,
// steps at least 32 x 32 at 1920 x 1080 (and so at least 21 x 21 at 1280 x
// 720), the ramp one code per column, nothing over the strip.
TEST(ChainCheckLayout, KeepsItsPromisesAtEverySize) {
  const std::pair<int, int> sizes[] = {{1280, 720}, {1920, 1080}, {3840, 2160}, {1366, 768}, {1920, 1200}, {2048, 1080}};
  for (const auto& named : sig::kSignals)
    for (const auto& [width, height] : sizes) {
      StripContent c;
      c.signal = named.signal;
      const Layout layout = MakeLayout(c, width, height);
      const std::string where = std::string(named.name) + " " + std::to_string(width) + "x" + std::to_string(height);
      const int minStep = 32 * std::min(width * 1080, height * 1920) / (1920 * 1080);
      int steps = 0, rampCodes = 0;
      for (const Area& a : layout.areas) {
        EXPECT_TRUE(a.box.x0 >= 0 && a.box.y0 >= 0 && a.box.x1 <= width && a.box.y1 <= height &&
                    a.box.Width() > 0 && a.box.Height() > 0)
            << where << ": part " << static_cast<int>(a.part) << " " << a.index << " outside";
        if (a.part == Part::GreyStep) {
          ++steps;
          EXPECT_GE(std::min(a.box.Width(), a.box.Height()), minStep) << where << " step " << a.index;
        }
        if (a.part == Part::Ramp) {
          EXPECT_EQ(a.box.Width(), 1) << where;
          EXPECT_EQ(a.codes[0], a.index) << where;
          ++rampCodes;
        }
        const bool overStrip = a.box.x0 < layout.strip.x1 && a.box.x1 > layout.strip.x0 &&
                               a.box.y0 < layout.strip.y1 && a.box.y1 > layout.strip.y0;
        if (a.part != Part::StripCell) {
          EXPECT_FALSE(overStrip) << where << " part " << static_cast<int>(a.part);
        }
      }
      EXPECT_EQ(steps, static_cast<int>(GreyStepCodes(c.signal.range).size())) << where;
      EXPECT_EQ(rampCodes, 1024) << where;
    }
}

// The grey steps cover the whole code range: narrow from 4 below black to
// 1019 above white, with black and white themselves; strictly rising.
TEST(ChainCheckLayout, GreyStepsSpanTheCodeRange) {
  for (sig::Range range : {sig::Range::Narrow, sig::Range::Full}) {
    const std::vector<int> codes = GreyStepCodes(range);
    EXPECT_TRUE(std::is_sorted(codes.begin(), codes.end()) &&
                std::adjacent_find(codes.begin(), codes.end()) == codes.end());
    EXPECT_NE(std::find(codes.begin(), codes.end(), sig::BlackCode(range)), codes.end());
    EXPECT_NE(std::find(codes.begin(), codes.end(), sig::WhiteCode(range)), codes.end());
    EXPECT_EQ(codes.front(), range == sig::Range::Narrow ? 4 : 0);
    EXPECT_EQ(codes.back(), range == sig::Range::Narrow ? 1019 : 1023);
  }
}

// The BT.709 colours carried in BT.2020 agree with BT.2111's own bars
// (row 5, at the bars' level: PQ 58 %, HLG 75 %) to a code.
TEST(ChainCheckLayout, Bt709ColoursMatchTheBt2111Bars) {
  struct Bars {
    const char* signal;
    int level;  // the bars' code
    Codes yellow, cyan, green, magenta, red, blue;
  };
  const Bars bars[] = {
      {"PQ Narrow", 573, {569, 572, 381}, {485, 566, 571}, {474, 565, 368}, {537, 362, 564}, {531, 351, 257}, {318, 236, 563}},
      {"HLG Narrow", 721, {713, 719, 316}, {538, 709, 718}, {512, 706, 296}, {651, 286, 705}, {639, 269, 164}, {227, 147, 702}},
  };
  for (const Bars& b : bars) {
    const sig::Signal s = sig::SignalNamed(b.signal).value();
    const std::pair<Codes, std::array<bool, 3>> colours[] = {
        {b.yellow, {true, true, false}}, {b.cyan, {false, true, true}},  {b.green, {false, true, false}},
        {b.magenta, {true, false, true}}, {b.red, {true, false, false}}, {b.blue, {false, false, true}}};
    for (const auto& [expected, on] : colours) {
      const Codes got = Bt709ColourInBt2020(s, 1000, b.level, on[0], on[1], on[2]);
      for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(got[static_cast<std::size_t>(i)], expected[static_cast<std::size_t>(i)], 1)
            << b.signal << " " << on[0] << on[1] << on[2] << " channel " << i;
    }
  }
}

}  // namespace

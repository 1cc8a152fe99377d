// Colour Bars and Gradients: every cell edge of the three bar rows, the band
// rows, separator rows and ramp steps, at sizes that divide evenly and at
// sizes that do not. Both patterns paint every pixel with full coverage, so
// they are rendered in transparent mode and must stay opaque.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PatternKit.h"

namespace patterns {
namespace {

// The first column x with x * parts / W >= k: ceil(k W / parts).
int FirstColumn(int k, int parts, int W) { return (k * W + parts - 1) / parts; }

struct Segment {
  int first, last;  // columns, inclusive
  Rgba colour;
};

void ExpectSegmentEdges(const Frame& f, const std::vector<Segment>& segments,
                        const std::vector<int>& rows, const std::string& what) {
  for (int y : rows)
    for (std::size_t i = 0; i < segments.size(); ++i) {
      const Segment& s = segments[i];
      const std::string name = what + " cell " + std::to_string(i) + " row " + std::to_string(y);
      ExpectAt(f, s.first, y, s.colour, name + " first column");
      ExpectAt(f, s.last, y, s.colour, name + " last column");
    }
}

struct Size {
  int w, h;
};
void PrintTo(const Size& s, std::ostream* out) { *out << s.w << "x" << s.h; }

class ColourBars : public ::testing::TestWithParam<Size> {};

TEST_P(ColourBars, EveryCellEdgeInAllThreeRows) {
  const auto [W, H] = GetParam();
  const Frame f = RenderFirstFrame(W, H, {{kPattern, kColourBars}, {kBackground, 1}});
  const float q = 0.75f;
  const Rgba top[7] = {Opaque(q, q, q), Opaque(q, q, 0), Opaque(0, q, q), Opaque(0, q, 0),
                       Opaque(q, 0, q), Opaque(q, 0, 0), Opaque(0, 0, q)};
  const Rgba middle[7] = {Opaque(0, 0, q), kOpaqueBlack, Opaque(q, 0, q), kOpaqueBlack,
                          Opaque(0, q, q), kOpaqueBlack, Opaque(q, q, q)};

  // Seven bars: bar = min(6, x * 7 / W).
  std::vector<Segment> topBars, middleBars;
  for (int k = 0; k < 7; ++k) {
    const int first = FirstColumn(k, 7, W), last = k == 6 ? W - 1 : FirstColumn(k + 1, 7, W) - 1;
    topBars.push_back({first, last, top[k]});
    middleBars.push_back({first, last, middle[k]});
  }
  // Rows: top while y < H * 2 / 3, middle while y < H * 3 / 4.
  const int middleRow = H * 2 / 3, bottomRow = H * 3 / 4;
  ExpectSegmentEdges(f, topBars, {0, middleRow - 1}, "top");
  ExpectSegmentEdges(f, middleBars, {middleRow, bottomRow - 1}, "middle");

  // Bottom row: four cells of five quarter-bars (x * 28 / W), then three
  // pluge strips of a third of a bar (x * 21 / W = 15, 16, 17), then black.
  const int c5 = FirstColumn(5, 28, W), c10 = FirstColumn(10, 28, W), c15 = FirstColumn(15, 28, W),
            c20 = FirstColumn(20, 28, W);
  const int p16 = FirstColumn(16, 21, W), p17 = FirstColumn(17, 21, W), p18 = FirstColumn(18, 21, W);
  const std::vector<Segment> bottom = {
      {0, c5 - 1, Opaque(0.0f, 0.13f, 0.30f)},    // -I
      {c5, c10 - 1, kWhite},                      // white
      {c10, c15 - 1, Opaque(0.20f, 0.0f, 0.42f)}, // +Q
      {c15, c20 - 1, kOpaqueBlack},               // black
      {c20, p16 - 1, kOpaqueBlack},               // pluge 0 %
      {p16, p17 - 1, Opaque(0.02f, 0.02f, 0.02f)},// pluge 2 %
      {p17, p18 - 1, Opaque(0.04f, 0.04f, 0.04f)},// pluge 4 %
      {p18, W - 1, kOpaqueBlack},                 // to the right edge
  };
  ExpectSegmentEdges(f, bottom, {bottomRow, H - 1}, "bottom");

  // Full coverage everywhere: opaque in transparent mode.
  ExpectAlphaEverywhere(f, 1.0f, "colour bars in transparent mode");
}

TEST(ColourBars, At1920x1080RowsAndTheWhiteCellWhereDocumented) {
  // Rows 0 to 719 top colours, 720 to 809 middle colours, 810 to 1079 the
  // bottom row, whose white cell spans x = 343 to 685. Probed in bar 0
  // (grey 75 %, then blue 75 %, then -I) and around the white cell.
  const Frame f = RenderFirstFrame(1920, 1080, {{kPattern, kColourBars}});
  const Rgba grey = Opaque(0.75f, 0.75f, 0.75f), blue = Opaque(0, 0, 0.75f);
  const Rgba minusI = Opaque(0.0f, 0.13f, 0.30f), plusQ = Opaque(0.20f, 0.0f, 0.42f);
  ExpectAt(f, 100, 719, grey, "last top row");
  ExpectAt(f, 100, 720, blue, "first middle row");
  ExpectAt(f, 100, 809, blue, "last middle row");
  ExpectAt(f, 100, 810, minusI, "first bottom row");
  for (int y : {810, 1079}) {
    ExpectAt(f, 342, y, minusI, "last column of -I");
    ExpectAt(f, 343, y, kWhite, "first column of the white cell");
    ExpectAt(f, 685, y, kWhite, "last column of the white cell");
    ExpectAt(f, 686, y, plusQ, "first column of +Q");
  }
  // Bar 6 (from x = 1646) is black in the bottom row, the pluge's 4 % strip
  // just left of it.
  ExpectAt(f, 1645, 1000, Opaque(0.04f, 0.04f, 0.04f), "last column of the 4 % strip");
  ExpectAt(f, 1646, 1000, kOpaqueBlack, "first column of bar 6, bottom row");
}

INSTANTIATE_TEST_SUITE_P(Sizes, ColourBars,
                         ::testing::Values(Size{1920, 1080}, Size{100, 50}, Size{333, 101}),
                         [](const auto& test) {
                           return std::to_string(test.param.w) + "x" + std::to_string(test.param.h);
                         });

// Gradients: four bands; within a band a smooth ramp above the separator
// row ys and 32 steps below it.
struct Band {
  int firstRow, lastRow, separator;
  float r, g, b;
};
struct GradientCase {
  int w, h;
  std::vector<Band> bands;
};
void PrintTo(const GradientCase& c, std::ostream* out) { *out << c.w << "x" << c.h; }

class Gradients : public ::testing::TestWithParam<GradientCase> {};

TEST_P(Gradients, BandsSeparatorsAndSteps) {
  const GradientCase& c = GetParam();
  const int W = c.w;
  const Frame f = RenderFirstFrame(W, c.h, {{kPattern, kGradients}, {kBackground, 1}});
  for (const Band& band : c.bands) {
    const std::string name = "band from row " + std::to_string(band.firstRow);
    auto level = [&](float v) { return Opaque(band.r * v, band.g * v, band.b * v); };
    // Smooth: v = x / (W - 1), exactly 0 in the first column and 1 in the last.
    for (int y : {band.firstRow, band.separator - 1}) {
      ExpectAt(f, 0, y, kOpaqueBlack, name + " smooth, first column");
      ExpectAt(f, W - 1, y, level(1.0f), name + " smooth, last column");
      const int x = W / 3;
      ExpectAt(f, x, y, level(static_cast<float>(x) / static_cast<float>(W - 1)), name + " smooth");
    }
    // The separator row is black across the whole width.
    ExpectRegion(f, 0, band.separator, W - 1, band.separator, kOpaqueBlack, name + " separator");
    // Stepped: step k = min(31, x * 32 / W) starts at ceil(k W / 32), v = k / 31.
    for (int y : {band.separator + 1, band.lastRow}) {
      ExpectAt(f, 0, y, kOpaqueBlack, name + " step 0");
      ExpectAt(f, W - 1, y, level(1.0f), name + " step 31");
      for (int k = 1; k < 32; ++k) {
        const int first = FirstColumn(k, 32, W);
        ExpectAt(f, first, y, level(static_cast<float>(k) / 31.0f),
                 name + " first column of step " + std::to_string(k));
        ExpectAt(f, first - 1, y, level(static_cast<float>(k - 1) / 31.0f),
                 name + " last column of step " + std::to_string(k - 1));
      }
    }
  }
  ExpectAlphaEverywhere(f, 1.0f, "gradients in transparent mode");
}

TEST(Gradients, At1920x1080StepsAre60ColumnsWide) {
  // Red band: row 180 is the black separator, rows 181 to 269 the steps;
  // step k covers x = 60k to 60k + 59 at level k / 31.
  const Frame f = RenderFirstFrame(1920, 1080, {{kPattern, kGradients}});
  const Rgba step1 = Opaque(1.0f / 31.0f, 0, 0), step2 = Opaque(2.0f / 31.0f, 0, 0);
  for (int y : {181, 269}) {
    ExpectAt(f, 59, y, kOpaqueBlack, "last column of step 0");
    ExpectAt(f, 60, y, step1, "first column of step 1");
    ExpectAt(f, 119, y, step1, "last column of step 1");
    ExpectAt(f, 120, y, step2, "first column of step 2");
    ExpectAt(f, 1859, y, Opaque(30.0f / 31.0f, 0, 0), "last column of step 30");
    ExpectAt(f, 1860, y, Opaque(1, 0, 0), "first column of step 31");
  }
  ExpectAt(f, 1919, 179, Opaque(1, 0, 0), "last smooth row, last column");
  ExpectAt(f, 1919, 180, kOpaqueBlack, "separator row");
  ExpectAt(f, 1919, 270, Opaque(0, 1, 0), "first row of the green band, last column");
}

// band = min(3, y * 4 / H); y0 = band H / 4, y1 = (band + 1) H / 4; the
// separator ys = y0 + (y1 - y0) * 2 / 3.
INSTANTIATE_TEST_SUITE_P(
    Sizes, Gradients,
    ::testing::Values(
        // 1080 rows: bands of 270, red smooth 0-179, black 180, stepped 181-269.
        GradientCase{1920, 1080,
                     {{0, 269, 180, 1, 0, 0}, {270, 539, 450, 0, 1, 0},
                      {540, 809, 720, 0, 0, 1}, {810, 1079, 990, 1, 1, 1}}},
        // 50 rows: y * 4 / 50 puts row 12 in band 0 (whose split row is
        // 0 + 12 * 2 / 3 = 8) and row 13 first in band 1 (y0 = 12,
        // ys = 12 + 13 * 2 / 3 = 20); row 37 is band 2, row 38 band 3.
        GradientCase{100, 50,
                     {{0, 12, 8, 1, 0, 0}, {13, 24, 20, 0, 1, 0},
                      {25, 37, 33, 0, 0, 1}, {38, 49, 45, 1, 1, 1}}}),
    [](const auto& test) {
      return std::to_string(test.param.w) + "x" + std::to_string(test.param.h);
    });

}  // namespace
}  // namespace patterns

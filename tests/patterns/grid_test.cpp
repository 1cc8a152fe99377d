// Panel Grid: borders and accents of neighbouring panels, fills, the circle's
// soft edge, labels in both modes, the coordinate tag and the offset strip.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PatternKit.h"

namespace patterns {
namespace {

constexpr Rgba kFillOdd = Opaque(0.06f, 0.07f, 0.10f);
constexpr Rgba kFillEven = Opaque(0.16f, 0.15f, 0.19f);
constexpr Rgba kAccentOdd = Opaque(0.1f, 0.8f, 1.0f);
constexpr Rgba kAccentEven = Opaque(1.0f, 0.78f, 0.1f);

bool OddPanel(int column, int row) { return (column + row) % 2 == 1; }
Rgba Accent(int column, int row) { return OddPanel(column, row) ? kAccentOdd : kAccentEven; }
Rgba Fill(int column, int row) { return OddPanel(column, row) ? kFillOdd : kFillEven; }

std::string PanelName(int column, int row) {
  return "panel (" + std::to_string(column) + "," + std::to_string(row) + ")";
}

TEST(PanelGrid, NeighbouringPanelsDrawTheirOwnBordersInTheirAccents) {
  // 200 x 120 in 64 x 48 panels with 2-pixel borders: three whole columns and
  // a fourth cut to 8 pixels, two whole rows and a third cut to 24.
  constexpr int W = 200, H = 120, PW = 64, PH = 48, LW = 2;
  const Frame f = RenderFirstFrame(
      W, H, {{kPattern, kPanelGrid}, {kPanelWidth, PW}, {kPanelHeight, PH}, {kLineWidth, LW}});

  // Probes away from the circle (radius 20 around the panel centre), the
  // label (rows 17 to 30, columns 21 to 42) and the tag (from (4, 4)).
  enum Kind { kBorder, kInside };
  struct Probe {
    int lx, ly;
    Kind kind;
  };
  const int midY = PH / 2;
  const std::vector<Probe> wholePanel = {
      // Across the middle row: left border, first inner column, last inner
      // column, right border.
      {0, midY, kBorder}, {LW - 1, midY, kBorder}, {LW, midY, kInside},
      {PW - LW - 1, midY, kInside}, {PW - LW, midY, kBorder}, {PW - 1, midY, kBorder},
      // Down the first inner column: top border, inside, bottom border.
      {LW, 0, kBorder}, {LW, LW - 1, kBorder}, {LW, LW, kInside},
      {LW, PH - LW - 1, kInside}, {LW, PH - LW, kBorder}, {LW, PH - 1, kBorder}};
  for (int row = 0; row < 2; ++row)
    for (int column = 0; column < 3; ++column)
      for (const Probe& p : wholePanel)
        ExpectAt(f, column * PW + p.lx, row * PH + p.ly,
                 p.kind == kBorder ? Accent(column, row) : Fill(column, row),
                 PanelName(column, row) + (p.kind == kBorder ? " border" : " fill"));

  // Where two panels meet the line is 2 x LW wide, half in each accent.
  for (int x = PW - LW; x < PW + LW; ++x)
    ExpectAt(f, x, midY, x < PW ? kAccentEven : kAccentOdd, "seam of panels (0,0) and (1,0)");

  // The cut fourth column has its left border and no right one at the edge.
  ExpectAt(f, 3 * PW, midY, Accent(3, 0), "cut column's left border");
  ExpectAt(f, W - 1, midY, Fill(3, 0), "cut column at the output's right edge");
  // The cut third row has its top border and no bottom one at the edge.
  ExpectAt(f, LW, 2 * PH, Accent(0, 2), "cut row's top border");
  ExpectAt(f, LW, H - 1, Fill(0, 2), "cut row at the output's bottom edge");
}

TEST(PanelGrid, TransparentFillIsClearAndTheCircleEdgeIsPremultiplied) {
  // Odd-sized 49 x 49 panels put the circle centre (24.5, 24.5) on a pixel
  // centre; with LW 1 the radius is 24.5 - 1 - 2 = 21.5, so the pixel centres
  // 21 and 22 rows from the centre lie half a pixel off the line: coverage
  // 1 x 0.5 + 0.5 - 0.5 = 0.5.
  constexpr int PW = 49, PH = 49;
  constexpr float kCoverage = 0.5f;
  for (bool transparent : {true, false}) {
    SCOPED_TRACE(transparent ? "transparent" : "opaque");
    const Frame f = RenderFirstFrame(2 * PW, PH,
                                     {{kPattern, kPanelGrid},
                                      {kPanelWidth, PW},
                                      {kPanelHeight, PH},
                                      {kBackground, transparent ? 1.0f : 0.0f}});
    for (int column = 0; column < 2; ++column) {
      const int x0 = column * PW;
      const Rgba acc = Accent(column, 0);
      const Rgba fill = transparent ? kClear : Fill(column, 0);
      // Rows 45 and 46 of the middle column: 21 and 22 below the centre.
      for (int ly : {24 + 21, 24 + 22}) {
        const Rgba edge =
            transparent
                ? Rgba{acc.r * 0.75f * kCoverage, acc.g * 0.75f * kCoverage,
                       acc.b * 0.75f * kCoverage, kCoverage}
                : Opaque(fill.r * (1 - kCoverage) + acc.r * 0.75f * kCoverage,
                         fill.g * (1 - kCoverage) + acc.g * 0.75f * kCoverage,
                         fill.b * (1 - kCoverage) + acc.b * 0.75f * kCoverage);
        ExpectNear(f, x0 + 24, ly, edge, 1e-6f, PanelName(column, 0) + " circle edge");
      }
      // One pixel further in and out the ring has no coverage: plain fill.
      ExpectAt(f, x0 + 24, 24 + 20, fill, PanelName(column, 0) + " inside the circle");
      ExpectAt(f, x0 + 24, 24 + 23, fill, PanelName(column, 0) + " outside the circle");
      ExpectAt(f, x0 + 10, 24, fill, PanelName(column, 0) + " fill");
      // Borders are opaque in either mode.
      ExpectAt(f, x0, 24, acc, PanelName(column, 0) + " left border");
      ExpectAt(f, x0 + PW - 1, 24, acc, PanelName(column, 0) + " right border");
    }
  }
}

// Labels: scale a = int(min(PW, PH) x (0.12 + 0.6 x NumSize) / 7), scale
// b = avail / width with avail = PW - 2 LW - 4, sc = max(1, min(a, b)), origin
// ((PW - width x sc) / 2, (PH - 7 sc) / 2) inside the panel.
struct LabelCase {
  int column, row;
  std::string text;
  int sc;
  int lx, ly;  // origin inside the panel
};

// With `paperIsFill` every non-ink pixel of a label is the panel's fill;
// otherwise (the circle crosses the label) it is anything but white.
void ExpectLabels(const Frame& f, int PW, int PH, const std::vector<LabelCase>& labels,
                  bool paperIsFill = false) {
  for (const LabelCase& c : labels)
    ExpectText(f, c.column * PW + c.lx, c.row * PH + c.ly, c.sc, Glyphs(c.text), kWhite,
               paperIsFill ? std::optional<Rgba>(Fill(c.column, c.row)) : std::nullopt, 0,
               "label " + c.text + " of " + PanelName(c.column, c.row));
}

TEST(PanelGrid, LabelsOf128PixelPanelsInBothModes) {
  // 128 x 128, LW 1, NumSize 0.5: a = int(128 x 0.42 / 7) = 7; for two glyphs
  // b = 122 / 11 = 11, so sc = 7 and the label is 77 x 49 at (25, 39); one
  // glyph is 35 wide, at (46, 39). The circle (radius 61) stays clear of the
  // label, whose paper is therefore the panel's fill.
  const Settings grid{{kPattern, kPanelGrid}};
  const Frame columnRow = RenderFirstFrame(256, 256, grid);
  ExpectLabels(columnRow, 128, 128,
               {{0, 0, "A1", 7, 25, 39}, {1, 0, "B1", 7, 25, 39},
                {0, 1, "A2", 7, 25, 39}, {1, 1, "B2", 7, 25, 39}},
               true);
  Settings index = grid;
  index[kPanelLabel] = 1;
  const Frame running = RenderFirstFrame(256, 256, index);
  ExpectLabels(running, 128, 128,
               {{0, 0, "1", 7, 46, 39}, {1, 0, "2", 7, 46, 39},
                {0, 1, "3", 7, 46, 39}, {1, 1, "4", 7, 46, 39}},
               true);
}

TEST(PanelGrid, TwoLetterColumnsAndRunningIndexOverACutColumn) {
  // 24 x 40 panels on 680 x 80: 29 columns (the 29th cut to 8 pixels), two
  // rows. a = int(24 x 0.42 / 7) = 1, so every label is at scale 1; avail is
  // 24 - 2 - 4 = 18, so three glyphs (17 wide) start at x 3, two (11 wide)
  // at x 6, all at y (40 - 7) / 2 = 16.
  const Settings grid{{kPattern, kPanelGrid}, {kPanelWidth, 24}, {kPanelHeight, 40}};
  const Frame columnRow = RenderFirstFrame(680, 80, grid);
  ExpectLabels(columnRow, 24, 40,
               {{25, 0, "Z1", 1, 6, 16},
                {26, 0, "AA1", 1, 3, 16},
                {27, 1, "AB2", 1, 3, 16},
                {28, 1, "AC2", 1, 3, 16}});  // clipped by the output's right edge
  // What a viewer reads on the 27th column: the letters wrap to two.
  EXPECT_EQ(ReadText(columnRow, 26 * 24 + 3, 16, 1, 3, kWhite), Glyphs("AA1"))
      << "label of panel (26,0) at " << Where(26 * 24 + 3, 16);
  Settings index = grid;
  index[kPanelLabel] = 1;
  const Frame running = RenderFirstFrame(680, 80, index);
  // nCols = max(1, (680 + 24 - 1) / 24) = 29, the cut column included.
  ExpectLabels(running, 24, 40,
               {{26, 0, "27", 1, 6, 16}, {0, 1, "30", 1, 6, 16}, {28, 1, "58", 1, 6, 16}});
}

TEST(PanelGrid, LabelWiderThanThePanelIsClippedAndDrawnOverTheBorder) {
  // 16 x 16 panels on 160 x 160, running index (label mode 2 acts like 1):
  // nCols = 10, so panel (9, 9) is 100. avail = 10 and a = int(16 x 0.42 / 7)
  // = 0, so sc = 1; the origin is ((16 - 17) / 2, (16 - 7) / 2) = (0, 4).
  const Frame f = RenderFirstFrame(160, 160,
                                   {{kPattern, kPanelGrid},
                                    {kPanelWidth, 16},
                                    {kPanelHeight, 16},
                                    {kPanelLabel, 2}});
  ExpectLabels(f, 16, 16,
               {{9, 9, "100", 1, 0, 4}, {9, 0, "10", 1, 2, 4}, {0, 1, "11", 1, 2, 4}});
  // The last "0" has ink at its column 3, panel column 15: the right border.
  // The label's white wins there; the border pixel above it keeps the accent.
  ExpectAt(f, 9 * 16 + 15, 9 * 16 + 4, kWhite, "label ink over the border");
  ExpectAt(f, 9 * 16 + 15, 9 * 16 + 3, Accent(9, 9), "border above the label");
}

TEST(PanelGrid, CoordinateTagNeedsHeight28AndRoomInsideTheBorder) {
  // The tag is drawn at (LW + 2, LW + 2) of its panel at scale 1, in the
  // accent colour, when PH >= 28 and its width fits avail = PW - 2 LW - 4.
  // Its rows (3 to 9) are clear of the label (rows 10 to 16 for PH 28).
  const Settings base{{kPattern, kPanelGrid}, {kPanelWidth, 64}};
  Settings tall = base;
  tall[kPanelHeight] = 28;
  const Frame f28 = RenderFirstFrame(200, 56, tall);
  ExpectText(f28, 3, 3, 1, Glyphs("0,0"), Accent(0, 0), std::nullopt, 0, "tag of panel (0,0)");
  ExpectText(f28, 64 + 3, 28 + 3, 1, Glyphs("64,28"), Accent(1, 1), std::nullopt, 0,
             "tag of panel (1,1)");
  ExpectAt(f28, 3 + 1, 3, Accent(0, 0), "first ink pixel of the 0 in 0,0");
  ExpectAt(f28, 3, 3, Fill(0, 0), "blank top-left pixel of the 0 in 0,0");

  Settings shortPanels = base;
  shortPanels[kPanelHeight] = 27;
  const Frame f27 = RenderFirstFrame(200, 54, shortPanels);
  for (int column = 0; column < 3; ++column)
    for (int row = 0; row < 2; ++row)
      for (int y = 3; y < 3 + 7; ++y)
        for (int x = 3; x < 3 + 29; ++x)
          ExpectNot(f27, column * 64 + x, row * 27 + y, Accent(column, row),
                    "no tag when PH is 27, " + PanelName(column, row));

  // Exactly fitting and one pixel too wide: "105,0" and "102,0" are both 29
  // wide; PW 35 leaves avail 29, PW 34 leaves 28.
  const Frame fits = RenderFirstFrame(
      140, 28, {{kPattern, kPanelGrid}, {kPanelWidth, 35}, {kPanelHeight, 28}});
  ExpectText(fits, 105 + 3, 3, 1, Glyphs("105,0"), Accent(3, 0), std::nullopt, 0,
             "tag as wide as avail");
  const Frame tooWide = RenderFirstFrame(
      136, 28, {{kPattern, kPanelGrid}, {kPanelWidth, 34}, {kPanelHeight, 28}});
  ExpectText(tooWide, 68 + 3, 3, 1, Glyphs("68,0"), Accent(2, 0), std::nullopt, 0,
             "tag narrower than avail");
  for (int y = 3; y < 10; ++y)
    for (int x = 102 + 3; x < 102 + 3 + 29; ++x)
      ExpectNot(tooWide, x, y, Accent(3, 0), "tag one pixel wider than avail");
}

TEST(PanelGrid, OffsetLeavesAnUnpaintedStripAndShiftsTheTags) {
  // OX 10, OY 6, 32 x 32 panels: columns 0 to 9 and rows 0 to 5 are not
  // painted (ink 0), panel A1's border starts at (10, 6) and its tag reads
  // 10,6; panel B1's tag reads 42,6 (23 wide, fits avail 26).
  for (bool transparent : {false, true}) {
    SCOPED_TRACE(transparent ? "transparent" : "opaque");
    const Frame f = RenderFirstFrame(100, 60,
                                     {{kPattern, kPanelGrid},
                                      {kPanelWidth, 32},
                                      {kPanelHeight, 32},
                                      {kOffsetX, 10},
                                      {kOffsetY, 6},
                                      {kBackground, transparent ? 1.0f : 0.0f}});
    const Rgba unpainted = transparent ? kClear : kOpaqueBlack;
    ExpectRegion(f, 0, 0, 9, 59, unpainted, "strip left of the grid");
    ExpectRegion(f, 0, 0, 99, 5, unpainted, "strip above the grid");
    ExpectAt(f, 10, 6, kAccentEven, "panel A1's top-left border pixel");
    ExpectAt(f, 10, 20, kAccentEven, "panel A1's left border");
    ExpectAt(f, 20, 6, kAccentEven, "panel A1's top border");
    ExpectAt(f, 11, 20, transparent ? kClear : kFillEven, "panel A1 inside its border");
    ExpectText(f, 10 + 3, 6 + 3, 1, Glyphs("10,6"), kAccentEven, std::nullopt, 0, "A1 tag");
    ExpectText(f, 42 + 3, 6 + 3, 1, Glyphs("42,6"), kAccentOdd, std::nullopt, 0, "B1 tag");
  }
}

}  // namespace
}  // namespace patterns

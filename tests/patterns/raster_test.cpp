// Full Raster: line phases with and without offset, diagonals, circles, the
// centre cross at both parities, frame, brackets and the corner coordinates.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "PatternKit.h"

namespace patterns {
namespace {

constexpr Rgba kHalfLine = Opaque(0.14f, 0.14f, 0.14f);
constexpr Rgba kPanelLine = Opaque(0.5f, 0.5f, 0.5f);
constexpr Rgba kDiagonal = Opaque(0.35f, 0.35f, 0.35f);
constexpr Rgba kCross = Opaque(1.0f, 0.2f, 0.15f);
constexpr Rgba kYellow = Opaque(1.0f, 0.85f, 0.1f);

// Circle colour (0.25, 1, 0.4) blended over black with coverage cv.
Rgba CircleOverBlack(double cv, bool transparent) {
  const auto c = static_cast<float>(cv);
  return {0.25f * c, c, 0.4f * c, transparent ? c : 1.0f};
}

// ring() coverage of a circle line of width lw at the centre of pixel (x, y).
double RingCoverage(int x, int y, double cx, double cy, double r, double lw) {
  const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
  return std::clamp(lw * 0.5 + 0.5 - std::abs(d - r), 0.0, 1.0);
}

TEST(FullRaster, At1920x1080LinesDiagonalsCirclesCrossFrameBracketsAndCorners) {
  // PW = PH = 128, LW 1, no offset, NumSize 0.5, corner coordinates on.
  constexpr int W = 1920, H = 1080;
  static const Frame f =
      RenderFirstFrame(W, H, {{kPattern, kFullRaster}, {kShowRes, 1}});

  // Half-panel lines where x or y is a multiple of 64, panel lines (over
  // them) at multiples of 128; each one pixel wide. Row 300 and column 300
  // cross no other element at these points.
  for (int x : {63, 65, 127, 129}) ExpectAt(f, x, 300, kOpaqueBlack, "between lines");
  for (int x : {64, 192, 320}) ExpectAt(f, x, 300, kHalfLine, "half-panel line");
  for (int x : {128, 256}) ExpectAt(f, x, 300, kPanelLine, "panel line");
  for (int y : {63, 65}) ExpectAt(f, 300, y, kOpaqueBlack, "between lines");
  for (int y : {64, 192}) ExpectAt(f, 300, y, kHalfLine, "half-panel line");
  for (int y : {128, 256}) ExpectAt(f, 300, y, kPanelLine, "panel line");

  // Diagonals: distance of the pixel centre from either corner-to-corner
  // line, d1 = |x H - y W| / L and d2 = |(W - x) H - y W| / L, painted where
  // min(d1, d2) <= 0.5. Pixels within 1e-3 of that threshold are skipped.
  const double L = std::hypot(W, H);
  for (int x : {400, 1500}) {
    for (int y = 0; y < H; ++y) {
      const double px = x + 0.5, py = y + 0.5;
      const double d = std::min(std::abs(px * H - py * W), std::abs((W - px) * H - py * W)) / L;
      if (d > 3.0 || std::abs(d - 0.5) < 1e-3) continue;
      ExpectAt(f, x, y, d <= 0.5 ? kDiagonal : kOpaqueBlack,
               "diagonal, distance " + std::to_string(d));
    }
  }

  // Circles, line width 1 on black: the large one of radius 540 - 0.5 - 1
  // around (960, 540), where row 300 crosses it near x = 478; the corner
  // ones of radius 1080 / 8 = 135 around e = 135 + 1 + 2 = 138 from each
  // corner, probed at their outermost points on the edge side.
  for (int x = 470; x <= 490; ++x)
    ExpectNear(f, x, 300, CircleOverBlack(RingCoverage(x, 300, 960, 540, 538.5, 1), false), 1e-4f,
               "large circle");
  const double e = 135.0 + 1 + 2;
  struct Corner {
    double cx, cy;
    int column, firstRow;
  };
  for (const Corner& c : {Corner{e, e, 138, 1}, Corner{W - e, e, 1782, 1},
                          Corner{e, H - e, 138, 1073}, Corner{W - e, H - e, 1782, 1073}})
    for (int y = c.firstRow; y < c.firstRow + 6; ++y)
      ExpectNear(f, c.column, y, CircleOverBlack(RingCoverage(c.column, y, c.cx, c.cy, 135, 1), false),
                 1e-4f, "corner circle");

  // Centre cross: |2x + 1 - W| <= LW gives columns 959 and 960, and
  // |2y + 1 - H| <= LW rows 539 and 540; it is painted over the lines.
  ExpectAt(f, 958, 300, kOpaqueBlack, "left of the cross");
  ExpectAt(f, 959, 300, kCross, "cross");
  ExpectAt(f, 960, 300, kCross, "cross");
  ExpectAt(f, 961, 300, kOpaqueBlack, "right of the cross");
  ExpectAt(f, 959, 64, kCross, "cross over a half-panel line");
  for (int x : {300, 1500}) {
    ExpectAt(f, x, 538, kOpaqueBlack, "above the cross");
    ExpectAt(f, x, 539, kCross, "cross");
    ExpectAt(f, x, 540, kCross, "cross");
    ExpectAt(f, x, 541, kOpaqueBlack, "below the cross");
  }

  // Frame: LW pixels of white at every edge.
  ExpectAt(f, 500, 0, kWhite, "top frame");
  ExpectAt(f, 500, 1, kOpaqueBlack, "inside the top frame");
  ExpectAt(f, 0, 500, kWhite, "left frame");
  ExpectAt(f, 1, 500, kOpaqueBlack, "inside the left frame");
  ExpectAt(f, W - 1, 500, kWhite, "right frame");
  ExpectAt(f, W - 2, 500, kOpaqueBlack, "inside the right frame");
  ExpectAt(f, 500, H - 1, kWhite, "bottom frame");
  ExpectAt(f, 500, H - 2, kOpaqueBlack, "inside the bottom frame");

  // Brackets: arm length min(W, H) / 10 = 108, thickness max(3 LW, 4) = 4,
  // painted over the frame. cd is the distance to the nearest edges.
  const int bl = 108, bt = 4;
  struct Probe {
    int cdx, cdy;
  };
  for (bool right : {false, true})
    for (bool bottom : {false, true}) {
      auto at = [&](Probe p) {
        return std::pair{right ? W - 1 - p.cdx : p.cdx, bottom ? H - 1 - p.cdy : p.cdy};
      };
      const std::string corner = std::string(bottom ? "bottom-" : "top-") + (right ? "right" : "left");
      for (Probe p : {Probe{bl - 1, 0}, Probe{bl - 1, bt - 1}, Probe{0, bl - 1}, Probe{bt - 1, bl - 1},
                      Probe{0, 0}}) {
        const auto [x, y] = at(p);
        ExpectAt(f, x, y, kYellow, corner + " bracket");
      }
      for (Probe p : {Probe{bl, 0}, Probe{0, bl}}) {
        const auto [x, y] = at(p);
        ExpectAt(f, x, y, kWhite, corner + " frame past the bracket");
      }
      for (Probe p : {Probe{bl, 2}, Probe{bl - 1, bt}, Probe{2, bl}, Probe{bt, bl - 1}}) {
        const auto [x, y] = at(p);
        ExpectAt(f, x, y, kOpaqueBlack, corner + " beside the bracket");
      }
    }

  // Corner coordinates: sc = int(min(H, W x 9 / 16) x 0.027 / 7) = 4, inset
  // in0 = bt + 4 + sc = 12, plate margin sc; right corners right-aligned.
  const int sc = 4, in0 = 12;
  struct CornerText {
    std::string text;
    bool right, bottom;
  };
  for (const CornerText& c : {CornerText{"0,0", false, false}, CornerText{"1919,0", true, false},
                              CornerText{"0,1079", false, true}, CornerText{"1919,1079", true, true}}) {
    const int tw = TextWidth(c.text.size()) * sc;
    const int ox = c.right ? W - in0 - tw : in0;
    const int oy = c.bottom ? H - in0 - 7 * sc : in0;
    ExpectText(f, ox, oy, sc, Glyphs(c.text), kYellow, kOpaqueBlack, sc, "corner text " + c.text);
  }
  // The documented top-left text: 68 x 28 at (12, 12). Its last "0" has ink
  // in its right column on glyph row 1 (x 76 to 79, y 16 to 19) and in its
  // middle on glyph row 6 (y 36 to 39): the text's last column and row.
  ExpectAt(f, 12 + 1 * sc, 12, kYellow, "first ink pixel of the 0 of 0,0");
  ExpectAt(f, 12 + 1 * sc - 1, 12, kOpaqueBlack, "plate left of it");
  ExpectAt(f, 79, 16, kYellow, "last column of the text 0,0");
  ExpectAt(f, 80, 16, kOpaqueBlack, "plate right of the text");
  ExpectAt(f, 64, 39, kYellow, "last row of the text 0,0");
  ExpectAt(f, 64, 40, kOpaqueBlack, "plate below the text");
}

TEST(FullRaster, OffsetShiftsThePhaseOfPanelAndHalfPanelLines) {
  // 400 x 100, OX 200, OY 30, PW 128, PH 64. Panel lines where imod(x - 200,
  // 128) < LW: x = 72, 200, 328; half-panel lines where imod(x - 200, 64) =
  // 0: x = 8, 136, 264, 392 (x = 200 is the centre cross). Rows: panel lines
  // at 30 and 94, half-panel line at 62. Row 40 and column 100 meet nothing
  // else at the probed points.
  struct Case {
    int lw;
    std::vector<int> panelColumns, halfColumns, blackColumns;
    std::vector<int> panelRows, halfRows, blackRows;
  };
  const Case cases[] = {
      {1, {72, 328}, {8, 136, 264, 392}, {7, 9, 71, 73, 135, 137, 327, 329},
       {30, 94}, {62}, {29, 31, 61, 63, 93, 95}},
      // Panel lines grow to LW pixels right and down; half-panel lines stay
      // one pixel wide.
      {3, {72, 73, 74, 328, 329, 330}, {8, 136, 264, 392}, {7, 9, 71, 75, 135, 137, 327, 331},
       {30, 31, 32, 94, 95, 96}, {62}, {29, 33, 61, 63, 93}},  // row 97 is the frame
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("LW " + std::to_string(c.lw));
    const Frame f = RenderFirstFrame(400, 100,
                                     {{kPattern, kFullRaster},
                                      {kPanelWidth, 128},
                                      {kPanelHeight, 64},
                                      {kOffsetX, 200},
                                      {kOffsetY, 30},
                                      {kLineWidth, static_cast<float>(c.lw)}});
    for (int x : c.panelColumns) ExpectAt(f, x, 40, kPanelLine, "panel line");
    for (int x : c.halfColumns) ExpectAt(f, x, 40, kHalfLine, "half-panel line");
    for (int x : c.blackColumns) ExpectAt(f, x, 40, kOpaqueBlack, "between lines");
    for (int y : c.panelRows) ExpectAt(f, 100, y, kPanelLine, "panel line");
    for (int y : c.halfRows) ExpectAt(f, 100, y, kHalfLine, "half-panel line");
    for (int y : c.blackRows) ExpectAt(f, 100, y, kOpaqueBlack, "between lines");
  }
}

TEST(FullRaster, CentreCrossArmsFollowTheParityOfSizeAndLineWidth) {
  // Painted where |2p + 1 - size| <= LW: LW + 1 pixels when size and LW
  // differ in parity, LW pixels when they do not.
  struct Case {
    int w, h, lw;
    std::vector<int> columns, rows;
  };
  const Case cases[] = {
      {100, 60, 1, {49, 50}, {29, 30}},
      {101, 61, 1, {50}, {30}},
      {100, 60, 2, {49, 50}, {29, 30}},
      {101, 61, 2, {49, 50, 51}, {29, 30, 31}},
      {100, 60, 3, {48, 49, 50, 51}, {28, 29, 30, 31}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " LW " + std::to_string(c.lw));
    const Frame f = RenderFirstFrame(
        c.w, c.h, {{kPattern, kFullRaster}, {kLineWidth, static_cast<float>(c.lw)}});
    // Row 10 and column 10 meet no other element near the centre lines.
    for (int x = c.w / 2 - 5; x <= c.w / 2 + 5; ++x) {
      const bool arm = std::find(c.columns.begin(), c.columns.end(), x) != c.columns.end();
      ExpectAt(f, x, 10, arm ? kCross : kOpaqueBlack, "vertical arm");
    }
    for (int y = c.h / 2 - 5; y <= c.h / 2 + 5; ++y) {
      const bool arm = std::find(c.rows.begin(), c.rows.end(), y) != c.rows.end();
      ExpectAt(f, 10, y, arm ? kCross : kOpaqueBlack, "horizontal arm");
    }
  }
}

TEST(FullRaster, TransparentLeavesBackgroundClearAndPremultipliesCircleEdges) {
  // 320 x 180, corner coordinates on: sc = max(1, int(180 x 0.027 / 7)) = 1,
  // in0 = 4 + 4 + 1 = 9, so 0,0 is at (9, 9) on a plate from (8, 8) to
  // (26, 16).
  const Frame f = RenderFirstFrame(
      320, 180, {{kPattern, kFullRaster}, {kShowRes, 1}, {kBackground, 1}});
  ExpectText(f, 9, 9, 1, Glyphs("0,0"), kYellow, kOpaqueBlack, 1, "corner text on its plate");
  ExpectAt(f, 7, 8, kClear, "left of the plate");
  ExpectAt(f, 27, 16, kClear, "right of the plate");
  ExpectAt(f, 8, 17, kClear, "below the plate");
  ExpectAt(f, 64, 40, kHalfLine, "half-panel line, opaque");
  ExpectAt(f, 65, 40, kClear, "background");
  // The large circle (radius 90 - 0.5 - 1 around (160, 90)) crosses row 40
  // near x = 86.6: colour and alpha both scaled by the coverage.
  for (int x = 82; x <= 91; ++x)
    ExpectNear(f, x, 40, CircleOverBlack(RingCoverage(x, 40, 160, 90, 88.5, 1), true), 1e-4f,
               "large circle edge");
}

}  // namespace
}  // namespace patterns

// What a map shows, probed pixel by pixel through the loaded module, on
// tests/map/layouts/mixed.csv (960 x 540): four 240 px cabinets on port A
// chained 1-4, a tall cabinet turned 90 degrees and two squares turned 180
// and 270 on port B, a cabinet with no port, a gap between the blocks, and
// a cabinet on port C that overlaps two others; and a cabinet whose label
// is far too long for it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "BadFiles.h"
#include "MapKit.h"
#include "glyphs/GlyphTable.h"
#include "glyphs/Utf8Glyphs.h"
#include "map/Palette.h"
#include "shapes/GlyphText.h"

namespace {

using map_palette::PortColour;

const Rgba kBlack{0, 0, 0, 1};
const Rgba kWhite{1, 1, 1, 1};

Rgba GapHatch(int x, int y) {
  return (x + y) % map_palette::kHatchPeriod == 0 ? ToRgba(map_palette::kGapLine.colour) : kBlack;
}
Rgba OverlapHatch(int x, int y) {
  const int p = map_palette::kHatchPeriod;
  return ((x - y) % p + p) % p == 0 ? ToRgba(map_palette::kOverlapLine.colour) : kBlack;
}

struct BorderCase {
  const char* cabinet;
  int x, y;  // a pixel of its left border, away from every other cabinet
  int port;  // 0: none
};

TEST(MapDrawing, EachBorderHasItsPortsColour) {
  const Pixels f = RenderMap(LayoutPath("mixed.csv"), OnlySwitches({}));
  const BorderCase cases[] = {
      {"A1", 0, 120, 1}, {"A1 inner edge", 1, 120, 1}, {"B1", 561, 200, 2},
      {"B2", 961 - 200, 100, 2}, {"C1", 481, 520, 0}, {"X1", 601, 440, 3},
  };
  for (const BorderCase& c : cases)
    ExpectAt(f, c.x, c.y, ToRgba(PortColour(c.port).colour), c.cabinet);
  // Just inside the two-pixel border the cabinet is black.
  ExpectAt(f, 2, 120, kBlack, "inside A1's border");
}

TEST(MapDrawing, LineWidthSetsTheBorder) {
  const Pixels f = RenderMap(LayoutPath("mixed.csv"),
                             [] { auto s = OnlySwitches({}); s.emplace_back("Line Width px", 6); return s; }());
  ExpectRegion(f, 0, 100, 5, 140, ToRgba(PortColour(1).colour), "A1's left border, 6 px");
  ExpectAt(f, 6, 120, kBlack, "inside A1's border");
}

TEST(MapDrawing, GapsAreGreyHatchAndOverlapsRedHatch) {
  const Pixels f = RenderMap(LayoutPath("mixed.csv"), OnlySwitches({"Hatch"}));
  // Between the A block and B1 nothing is mapped.
  ExpectRegion(f, 482, 2, 557, 397, GapHatch, "gap between the blocks");
  // X1 overlaps B1 in [600,720) x [380,400) and C1 in [600,680) x [400,480);
  // inside the borders both are red hatch.
  ExpectRegion(f, 602, 382, 717, 397, OverlapHatch, "X1 over B1");
  ExpectRegion(f, 602, 402, 677, 477, OverlapHatch, "X1 over C1");
  // Where only one cabinet lies, its inside is black.
  ExpectRegion(f, 690, 440, 715, 475, kBlack, "X1 alone");
}

TEST(MapDrawing, HatchOffLeavesGapsBlack) {
  const Pixels f = RenderMap(LayoutPath("mixed.csv"), OnlySwitches({}));
  ExpectRegion(f, 482, 2, 557, 397, kBlack, "gap, hatch off");
  ExpectRegion(f, 602, 402, 677, 477, kBlack, "overlap, hatch off");
}

struct MarkCase {
  const char* cabinet;
  int rot;
  // The four inner corner pixels (inside the 2 px border), top-left,
  // top-right, bottom-right, bottom-left, and the one the mark must fill.
  int x0, y0, x1, y1;
  int markedCorner;
};

TEST(MapDrawing, OrientationMarkSitsInTheTurnedTopLeftCorner) {
  const Pixels f = RenderMap(LayoutPath("mixed.csv"), OnlySwitches({"Orientation"}));
  const MarkCase cases[] = {
      {"A1", 0, 2, 2, 237, 237, 0},
      {"B1", 90, 562, 2, 757, 397, 1},
      {"B2", 180, 762, 2, 957, 197, 2},
      {"B3", 270, 762, 202, 957, 397, 3},
  };
  for (const MarkCase& c : cases) {
    const int corners[4][2] = {{c.x0, c.y0}, {c.x1, c.y0}, {c.x1, c.y1}, {c.x0, c.y1}};
    for (int k = 0; k < 4; ++k)
      ExpectAt(f, corners[k][0], corners[k][1], k == c.markedCorner ? kWhite : kBlack,
               std::string(c.cabinet) + " rot " + std::to_string(c.rot) + " corner " +
                   std::to_string(k));
  }
}

// B2 is turned 180 degrees, so its F stands on its head: the F's top bar
// lies along the bottom of its glyph box and its stem on the right.
TEST(MapDrawing, TheFIsTurnedWithItsCabinet) {
  const Pixels f = RenderMap(LayoutPath("mixed.csv"), OnlySwitches({"Orientation"}));
  // Find the F: the white pixels of B2's inside that are not its triangle,
  // which lies in the bottom-right corner.
  int left = 960, right = -1, top = 540, bottom = -1;
  for (int y = 2; y < 198; ++y)
    for (int x = 762; x < 919; ++x)
      if (f.At(x, y) == kWhite) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
  ASSERT_GE(right, left) << "no F in B2";
  const int w = right - left + 1, h = bottom - top + 1;
  EXPECT_LT(w, h) << "an F turned by 180 degrees stays taller than wide";
  // Upright, an F's right column is set only in its top row and its bottom
  // row only in the stem; on its head the left column is set only at the
  // bottom, and the top row only at the right.
  ExpectAt(f, left, bottom, kWhite, "end of the F's bar, bottom-left");
  ExpectAt(f, left, top, kBlack, "top-left of a headstand F");
  ExpectAt(f, right, top, kWhite, "foot of the stem, top-right");
}

TEST(MapDrawing, ChainArrowsRunInTheirPortsColour) {
  const Pixels on = RenderMap(LayoutPath("mixed.csv"), OnlySwitches({"Chain Arrows"}));
  const Pixels off = RenderMap(LayoutPath("mixed.csv"), OnlySwitches({}));
  struct { const char* what; int x, y, port; } cases[] = {
      {"A1 to A2, on the centre line", 200, 120, 1},
      {"A2 to A3, down", 360, 200, 1},
      {"A3 to A4, left", 200, 360, 1},
      {"B1 to B2, a quarter of the way", 710, 175, 2},
  };
  for (const auto& c : cases) {
    ExpectAt(on, c.x, c.y, ToRgba(PortColour(c.port).colour), c.what);
    ExpectAt(off, c.x, c.y, kBlack, std::string(c.what) + ", arrows off");
  }
  // A chain ends at its last cabinet: nothing leads from A4 back to A1.
  ExpectAt(on, 120, 200, kBlack, "between A4 and A1");
}

// The label is centred on its cabinet: the first band of white rows inside
// A1 (the label, above the port and size lines) is centred on (120, 120).
TEST(MapDrawing, LabelIsCentredOnItsCabinet) {
  const Pixels f = RenderMap(LayoutPath("mixed.csv"), OnlySwitches({"Labels"}));
  auto rowHasWhite = [&](int y, int& l, int& r) {
    bool any = false;
    for (int x = 2; x < 238; ++x)
      if (f.At(x, y) == kWhite) l = std::min(l, x), r = std::max(r, x), any = true;
    return any;
  };
  int top = -1, bottom = -1, left = 240, right = -1;
  for (int y = 2; y < 238; ++y) {
    const bool white = rowHasWhite(y, left, right);
    if (white && top < 0) top = y;
    if (top >= 0 && !white) {
      bottom = y - 1;
      break;
    }
  }
  ASSERT_GE(top, 0) << "no label in A1";
  ASSERT_GE(bottom, top);
  const int height = bottom - top + 1;
  EXPECT_GE(height, 40) << "the label is large";
  EXPECT_NEAR((top + bottom + 1) / 2.0, 120.0, 1.0) << "label rows " << top << ".." << bottom;
  EXPECT_NEAR((left + right + 1) / 2.0, 120.0, height / 7.0) << "label columns " << left << ".."
                                                             << right;
  // Under it come the port and size lines.
  int l = 240, r = -1;
  bool below = false;
  for (int y = bottom + 1; y < 238 && !below; ++y) below = rowHasWhite(y, l, r);
  EXPECT_TRUE(below) << "no port line under the label";
}

TEST(MapDrawing, LayoutPixelsAreOutputPixelsWhateverTheOutputSize) {
  // The same wall at twice the size: drawn unscaled from the top-left, the
  // rest of the output a gap.
  const Pixels f = RenderMap(LayoutPath("mixed.csv"), OnlySwitches({"Hatch"}), 1920, 1080);
  ExpectAt(f, 0, 120, ToRgba(PortColour(1).colour), "A1's border");
  ExpectAt(f, 2, 120, kBlack, "inside A1");
  ExpectRegion(f, 970, 10, 1900, 1070, GapHatch, "outside the layout");
}

TEST(MapDrawing, TheScreenParameterPicksTheScreen) {
  auto only = [](float screen) {
    auto s = OnlySwitches({"Hatch"});
    s.emplace_back("Screen", screen);
    return s;
  };
  const Pixels left = RenderMap(LayoutPath("screens.xml"), only(1));
  const Pixels right = RenderMap(LayoutPath("screens.xml"), only(2));
  const Rgba grey = ToRgba(map_palette::kNoPort.colour);
  // "Left" has the turned slice at x 600..800; "Right" has a slice across it.
  ExpectAt(left, 600, 200, grey, "R90's left border on screen 1");
  ExpectAt(left, 900, 100, GapHatch(900, 100), "nothing right of R90 on screen 1");
  ExpectAt(right, 900, 100, kBlack, "inside S2 on screen 2");
  ExpectAt(right, 959, 100, grey, "S2's right border on screen 2");
  ExpectAt(right, 700, 400, GapHatch(700, 400), "below the slices on screen 2");
}

TEST(MapDrawing, EveryFormatDrawsTheSameWall) {
  // The JSON copy of mixed.csv draws the same picture (its canvas equals
  // the CSV's extent, so even the info line matches but for the name).
  const Settings s = OnlySwitches({"Hatch", "Orientation", "Chain Arrows"});
  const Pixels csv = RenderMap(LayoutPath("mixed.csv"), s);
  const Pixels json = RenderMap(LayoutPath("mixed.json"), s);
  ExpectEvery(json, [&](int x, int y) { return csv.At(x, y); }, "JSON against CSV");
}

TEST(MapDrawing, ALongLabelIsCutWithTheEllipsisInsideItsCabinet) {
  // One 200 px cabinet whose label is far too long for it at the smallest
  // scale: read back glyph by glyph, its line is the label's beginning and
  // the one ellipsis glyph, and no text pixel leaves the cabinet's border.
  const std::string label = "FRONT LEFT UPPER ROW CABINET NUMBER 0123456789 OF THE MAIN WALL";
  const std::string path = Temp().Write("long-label.csv", "id,x,y,w,h,label,rot,port,chain\n"
                                                          "L1,40,40,200,200," + label + ",0,A,1\n");
  const Pixels f = RenderMap(path, OnlySwitches({"Labels"}));
  const int inner0 = 40 + 2, inner1 = 240 - 2;  // inside the default 2 px border
  int top = -1, left = f.Width(), right = -1;
  for (int y = 0; y < f.Height(); ++y)
    for (int x = 0; x < f.Width(); ++x) {
      if (f.At(x, y) != kWhite) continue;
      EXPECT_TRUE(x >= inner0 && x < inner1 && y >= inner0 && y < inner1)
          << "text pixel at " << Where(x, y) << " outside the cabinet";
      if (top < 0) top = y;
      if (y < top + kGlyphRows) left = std::min(left, x), right = std::max(right, x);
    }
  ASSERT_GE(top, 0) << "no label";
  // Its first glyph (F) starts and its last (the ellipsis) ends with a lit
  // column, so the lit columns span whole cells.
  ASSERT_EQ((right - left + 2) % shapes::kGlyphAdvance, 0) << left << ".." << right;
  const int cells = (right - left + 2) / shapes::kGlyphAdvance;
  ASSERT_GT(cells, 2);
  ASSERT_LT(static_cast<std::size_t>(cells), label.size());
  for (int cell = 0; cell < cells; ++cell) {
    const char32_t typed = static_cast<unsigned char>(label[static_cast<std::size_t>(cell)]);
    const std::int32_t want =
        cell + 1 < cells ? GlyphForCodePoint(typed, SmallX::Letter) : kGlyphEllipsis;
    for (int row = 0; row < kGlyphRows; ++row)
      for (int column = 0; column < shapes::kGlyphAdvance; ++column) {
        const int x = left + cell * shapes::kGlyphAdvance + column, y = top + row;
        const bool lit = GlyphPixel(want, column, row);
        EXPECT_EQ(f.At(x, y) == kWhite, lit) << "glyph " << cell << " (" << want << ") at "
                                             << Where(x, y) << ": expected "
                                             << (lit ? "lit" : "dark");
      }
  }
}

}  // namespace

// The map's CPU parts on hand-made layouts: which cabinets overlap and how
// the info line counts them, what lies outside the output, and which chain
// links a screen draws, and how a picture's figures are cut into bands.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "map/MapFrame.h"
#include "map/Overlaps.h"
#include "map/ScreenPlan.h"
#include "map/layout/CsvLayout.h"
#include "shapes/FigureBands.h"

namespace {

using shapes::Rect;

struct OverlapCase {
  const char* name;
  std::vector<Rect> rects;
  std::size_t pairs;
  std::vector<Rect> where;  // the intersections, in any order
};

TEST(MapOverlaps, CountsEveryPairThatSharesAPixel) {
  const OverlapCase cases[] = {
      {"side by side", {{0, 0, 10, 10}, {10, 0, 20, 10}}, 0, {}},
      {"one above the other", {{0, 0, 10, 10}, {0, 10, 10, 20}}, 0, {}},
      {"corner overlap", {{0, 0, 10, 10}, {5, 5, 15, 15}}, 1, {{5, 5, 10, 10}}},
      {"same x, apart in y", {{0, 0, 10, 10}, {0, 20, 10, 30}}, 0, {}},
      {"three on one spot", {{0, 0, 4, 4}, {0, 0, 4, 4}, {0, 0, 4, 4}}, 3,
       {{0, 0, 4, 4}, {0, 0, 4, 4}, {0, 0, 4, 4}}},
      {"wide one over a row", {{0, 0, 30, 2}, {0, 1, 10, 5}, {10, 1, 20, 5}, {25, 3, 40, 5}}, 2,
       {{0, 1, 10, 2}, {10, 1, 20, 2}}},
      {"a later left edge inside an early wide one", {{0, 0, 100, 10}, {50, 5, 60, 20}, {90, 0, 95, 3}}, 2,
       {{50, 5, 60, 10}, {90, 0, 95, 3}}},
  };
  for (const OverlapCase& c : cases) {
    const Overlaps found = FindOverlaps(c.rects);
    EXPECT_EQ(found.pairs, c.pairs) << c.name;
    ASSERT_EQ(found.rects.size(), c.where.size()) << c.name;
    for (const Rect& w : c.where) {
      bool seen = false;
      for (const Rect& r : found.rects)
        seen = seen || (r.x0 == w.x0 && r.y0 == w.y0 && r.x1 == w.x1 && r.y1 == w.y1);
      EXPECT_TRUE(seen) << c.name << ": no intersection " << w.x0 << "," << w.y0 << " " << w.x1
                        << "," << w.y1;
    }
  }
}

TEST(MapOverlaps, KeepsCountingPastTheRectanglesItKeeps) {
  // 300 cabinets on one spot: 44,850 pairs, more than kMaxOverlapRects.
  const std::vector<Rect> stacked(300, Rect{0, 0, 10, 10});
  const Overlaps found = FindOverlaps(stacked);
  EXPECT_EQ(found.pairs, 300u * 299u / 2u);
  EXPECT_EQ(found.rects.size(), kMaxOverlapRects);
}

layout::Layout Csv(const std::string& text) {
  auto result = layout::ParseCsvLayout(text);
  EXPECT_TRUE(result.ok()) << (result.ok() ? "" : result.error().Message());
  return result.ok() ? result.value() : layout::Layout{};
}

TEST(MapFacts, TheInfoLineCountsCabinetsOverlapsAndOutsiders) {
  const layout::Layout wall = Csv(
      "id,x,y,w,h,screen\n"
      "A,0,0,100,100,1\n"
      "B,50,50,100,100,1\n"     // overlaps A
      "C,150,0,100,100,1\n"     // reaches past a 200-wide output
      "D,-10,0,20,20,1\n"       // left of the output, overlaps A
      "E,0,0,100,100,2\n");     // another screen
  const ScreenPlan plan = PlanScreen(wall, 1);
  struct { int width, height; std::size_t outside; std::string info, sizes; } cases[] = {
      {250, 150, 1, "T.CSV \xC2\xB7 4 CABINETS \xC2\xB7 SCREEN 1 \xC2\xB7 2 OVERLAPS \xC2\xB7 1 OUTSIDE",
       ""},
      {200, 150, 2, "T.CSV \xC2\xB7 4 CABINETS \xC2\xB7 SCREEN 1 \xC2\xB7 2 OVERLAPS \xC2\xB7 2 OUTSIDE",
       "CANVAS 250x150, OUTPUT 200x150"},
  };
  for (const auto& c : cases) {
    const MapFacts facts = CountFacts(plan, c.width, c.height);
    EXPECT_EQ(facts.cabinets, 4u);
    EXPECT_EQ(facts.overlapPairs, 2u);
    EXPECT_EQ(facts.outside, c.outside) << c.width;
    EXPECT_EQ(InfoText("T.CSV", plan, facts), c.info);
    EXPECT_EQ(SizeText(plan, c.width, c.height), c.sizes);
  }
  const ScreenPlan second = PlanScreen(wall, 2);
  EXPECT_EQ(InfoText("T.CSV", second, CountFacts(second, 100, 100)),
            "T.CSV \xC2\xB7 1 CABINET \xC2\xB7 SCREEN 2");
}

TEST(MapPlan, LinksFollowEachPortsChainOnTheScreen) {
  const layout::Layout wall = Csv(
      "id,x,y,w,h,port,chain,screen\n"
      "A3,0,0,10,10,A,3,1\n"
      "A1,10,0,10,10,A,1,1\n"
      "B1,20,0,10,10,B,1,1\n"
      "A2,30,0,10,10,A,2,1\n"
      "B2,40,0,10,10,B,2,2\n"   // on screen 2: B's chain has no link on screen 1
      "N,50,0,10,10,,,1\n");
  const ScreenPlan plan = PlanScreen(wall, 1);
  ASSERT_EQ(plan.links.size(), 2u);
  auto id = [&](std::size_t i) { return plan.cabinets[i]->id; };
  EXPECT_EQ(id(plan.links[0].from) + ">" + id(plan.links[0].to), "A1>A2");
  EXPECT_EQ(id(plan.links[1].from) + ">" + id(plan.links[1].to), "A2>A3");
  EXPECT_EQ(plan.links[0].port, 1);
  EXPECT_EQ(plan.canvasW, 60);
  EXPECT_EQ(plan.canvasH, 10);
}

// The bands a picture is drawn in: together every row once, top to bottom;
// each holds, in the list's order, exactly the figures that may touch its
// rows (a rectangle's rows and a pixel either side, a segment's span and
// half its width); a short list is one band, the list as it is, unless its
// pixels are many budgets' work.
TEST(MapBands, EachBandHoldsTheFiguresThatReachIntoItsRowsInOrder) {
  constexpr int kWidth = 200, kHeight = 100;
  shapes::FigureList list;
  const shapes::Colour white{1, 1, 1, 1};
  for (int i = 0; i < 10; ++i) list.AddRect({0, i * 10, kWidth, i * 10 + 10}, white);  // 0..9
  list.AddSegment(10, 5, 190, 95, 4, white);                                           // 10
  list.AddRect({50, 41, 60, 42}, white);                                               // 11
  const shapes::BandedFigures banded = shapes::CutIntoBands(list, kWidth, kHeight, 3000);
  ASSERT_GT(banded.bands.size(), 3u);
  int row = 0;
  std::size_t next = 0;
  for (const shapes::FigureBand& band : banded.bands) {
    EXPECT_EQ(band.top, row);
    EXPECT_GT(band.bottom, band.top);
    row = band.bottom;
    EXPECT_EQ(band.first, next);
    next += band.count;
    // Which figures of `list` the band holds, found by their data (no two
    // figures above are alike).
    std::vector<std::size_t> held;
    for (std::size_t i = band.first; i < band.first + band.count; ++i)
      for (std::size_t f = 0; f < list.Count(); ++f)
        if (std::equal(list.InstanceData().begin() + f * shapes::kFloatsPerFigure,
                       list.InstanceData().begin() + (f + 1) * shapes::kFloatsPerFigure,
                       banded.figures.InstanceData().begin() + i * shapes::kFloatsPerFigure))
          held.push_back(f);
    std::vector<std::size_t> expected;
    for (std::size_t f = 0; f < 10; ++f)
      if (static_cast<int>(f) * 10 - 1 < band.bottom && static_cast<int>(f) * 10 + 11 > band.top)
        expected.push_back(f);
    expected.push_back(10);  // the diagonal spans every row
    if (band.top < 43 && band.bottom > 40) expected.push_back(11);
    EXPECT_EQ(held, expected) << "band of rows " << band.top << " to " << band.bottom;
  }
  EXPECT_EQ(row, kHeight);
  EXPECT_EQ(next, banded.figures.Count());

  const shapes::BandedFigures whole = shapes::CutIntoBands(list, kWidth, kHeight, 3000, 100);
  ASSERT_EQ(whole.bands.size(), 1u);
  EXPECT_EQ(whole.bands[0].top, 0);
  EXPECT_EQ(whole.bands[0].bottom, kHeight);
  EXPECT_EQ(whole.figures.InstanceData(), list.InstanceData());
  // The same short list at a third of the budget: about 30 budgets' pixels,
  // which one frame would pay for as a fill.
  EXPECT_GT(shapes::CutIntoBands(list, kWidth, kHeight, 1000, 100).bands.size(), 1u);

  // A map of many figures is cut into about the bands aimed at, not one a
  // few rows: a change shows within a second or so, whatever the map holds.
  const std::size_t many = shapes::CutIntoBands(list, kWidth, kHeight, 300).bands.size();
  const std::size_t aimed = shapes::CutIntoBands(list, kWidth, kHeight, 300, 0, 4).bands.size();
  EXPECT_GT(many, 8u);
  EXPECT_GE(aimed, 4u);
  EXPECT_LE(aimed, 8u);
}

}  // namespace

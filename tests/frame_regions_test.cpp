// How a frame is cut into rectangles: every output pixel in exactly one
// piece, each piece tagged with the features of every feature rectangle over
// it; and which features a frame lists where.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "free/FrameRegions.h"
#include "free/ProgramVariant.h"

namespace {

struct PartitionCase {
  const char* what;
  int width, height;
  std::vector<PixelRect> features;
};

TEST(PartitionOutput, CoversEveryPixelOnceWithTheFeaturesOverIt) {
  const PartitionCase cases[] = {
      {"nothing", 17, 9, {}},
      {"one in the middle", 17, 9, {{3, 2, 8, 6, kRegionInfo}}},
      {"overlapping", 30, 20, {{0, 0, 10, 10, kRegionLabel}, {5, 5, 25, 12, kRegionMoving}}},
      {"sticking out on every side", 12, 8, {{-5, -3, 20, 2, kRegionCredit}, {10, 6, 99, 99, kRegionInfo}}},
      {"touching edges", 20, 10, {{0, 0, 10, 10, kRegionLabel}, {10, 0, 20, 10, kRegionCoords}}},
      {"same features side by side", 20, 10, {{2, 2, 6, 6, kRegionLabel}, {6, 2, 9, 6, kRegionLabel}}},
      {"empty and outside", 10, 10, {{4, 4, 4, 9, kRegionInfo}, {11, 0, 15, 5, kRegionInfo}}},
      {"a grid of many", 64, 48,
       {{1, 1, 9, 5, kRegionLabel}, {17, 1, 25, 5, kRegionLabel}, {33, 1, 41, 5, kRegionLabel},
        {1, 17, 9, 21, kRegionLabel}, {17, 17, 25, 21, kRegionLabel}, {0, 0, 64, 48, 0},
        {20, 0, 28, 48, kRegionMoving}, {12, 30, 40, 44, kRegionInfo | kRegionCredit}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<PixelRect> pieces = PartitionOutput(c.width, c.height, c.features);
    std::vector<int> covered(static_cast<std::size_t>(c.width * c.height), 0);
    for (const PixelRect& piece : pieces) {
      ASSERT_LT(piece.x0, piece.x1);
      ASSERT_LT(piece.y0, piece.y1);
      ASSERT_GE(piece.x0, 0);
      ASSERT_GE(piece.y0, 0);
      ASSERT_LE(piece.x1, c.width);
      ASSERT_LE(piece.y1, c.height);
      for (int y = piece.y0; y < piece.y1; ++y)
        for (int x = piece.x0; x < piece.x1; ++x) {
          ++covered[static_cast<std::size_t>(y * c.width + x)];
          unsigned expected = 0;
          for (const PixelRect& f : c.features)
            if (x >= f.x0 && x < f.x1 && y >= f.y0 && y < f.y1) expected |= f.features;
          ASSERT_EQ(piece.features, expected) << "pixel " << x << "," << y;
        }
    }
    for (int i = 0; i < c.width * c.height; ++i)
      ASSERT_EQ(covered[static_cast<std::size_t>(i)], 1) << "pixel " << i % c.width << "," << i / c.width;
  }
}

TEST(PartitionOutput, MergesRunsOfEqualPieces) {
  // Above, beside and below one rectangle: five pieces, not one per row.
  EXPECT_EQ(PartitionOutput(40, 30, {{10, 10, 20, 20, kRegionInfo}}).size(), 5u);
  EXPECT_EQ(PartitionOutput(40, 30, {}).size(), 1u);
}

unsigned FeaturesListed(const RegionInputs& in) {
  unsigned all = 0;
  for (const PixelRect& r : FeatureRects(in)) all |= r.features;
  return all;
}

TEST(FeatureRects, ListsExactlyTheFeaturesTheFrameHas) {
  struct Case {
    const char* what;
    int pattern;
    bool moving, showResolution, credit;
    int line1Count;
    unsigned expected;
  };
  const Case cases[] = {
      {"solid, nothing on", 4, false, false, false, 9, 0},
      {"solid, info box", 4, false, true, false, 9, kRegionInfo},
      {"solid, info box without text", 4, false, true, false, 0, 0},
      {"bars, moving, credit", 2, true, false, true, 9, kRegionMoving | kRegionCredit},
      {"grid, labels only", 0, false, false, false, 9, kRegionLabel | kRegionCoords},
      {"raster, corner texts and info box", 1, false, true, false, 9, kRegionCoords | kRegionInfo},
      {"raster without corner texts", 1, false, false, false, 9, 0},
  };
  for (const auto& c : cases) {
    RegionInputs in;
    in.width = 640;
    in.height = 360;
    in.p.pattern = c.pattern;
    in.p.moving = c.moving;
    in.p.showResolution = c.showResolution;
    in.p.credit = c.credit;
    in.line1Count = c.line1Count;
    in.motion.ballX = 100;
    in.motion.ballY = 100;
    in.motion.ballRadius = 20;
    in.motion.barWidth = 8;
    EXPECT_EQ(FeaturesListed(in), c.expected) << c.what;
  }
}

TEST(FeatureRects, FallsBackToTheWholeOutputWhenListingWouldNotPay) {
  RegionInputs in;
  in.p.pattern = 0;
  in.p.panelWidth = 16;
  in.p.panelHeight = 16;
  in.p.moving = false;
  in.p.showResolution = false;
  in.width = 3840;  // 240 x 135 panels
  in.height = 2160;
  const std::vector<PixelRect> many = FeatureRects(in);
  ASSERT_EQ(many.size(), 1u);
  EXPECT_EQ(many[0].features, kRegionLabel | kRegionCoords);
  EXPECT_EQ(many[0].x1, 3840);
  EXPECT_EQ(many[0].y1, 2160);

  // A ball that is not a number is drawn with the moving element everywhere.
  in.p.pattern = 4;
  in.p.moving = true;
  in.motion.ballX = std::numeric_limits<float>::quiet_NaN();
  bool whole = false;
  for (const PixelRect& r : FeatureRects(in))
    whole |= r.x0 == 0 && r.y0 == 0 && r.x1 == 3840 && r.y1 == 2160 && r.features == kRegionMoving;
  EXPECT_TRUE(whole);
}

TEST(ProgramVariant, FramesDifferingOnlyInUnreadSwitchesShareAProgram) {
  FrameParameters a, b;
  a.pattern = b.pattern = 4;
  a.labelMode = 0;
  b.labelMode = 1;  // read by the grid only
  EXPECT_EQ(ProgramVariant::For(a, 0).Key(), ProgramVariant::For(b, 0).Key());
  a.pattern = b.pattern = 0;
  EXPECT_NE(ProgramVariant::For(a, kRegionLabel).Key(), ProgramVariant::For(b, kRegionLabel).Key());
  // Patterns beyond the list all draw the checker.
  a.pattern = 6;
  b.pattern = 42;
  EXPECT_EQ(ProgramVariant::For(a, 0).Key(), ProgramVariant::For(b, 0).Key());
  // The moving element pinned off where the rectangles do not need it.
  a.moving = true;
  b.moving = false;
  EXPECT_EQ(ProgramVariant::For(a, 0).Key(), ProgramVariant::For(b, 0).Key());
  EXPECT_NE(ProgramVariant::For(a, kRegionMoving).Key(), ProgramVariant::For(b, kRegionMoving).Key());
}

// The three builds of one setting are different programs; the ball over a
// background reads no pattern, so every pattern shares one.
TEST(ProgramVariant, EachStageIsAProgramOfItsOwn) {
  for (int pattern = 0; pattern <= 6; ++pattern) {
    FrameParameters p;
    p.pattern = pattern;
    p.moving = true;
    const ProgramVariant builds[] = {ProgramVariant::For(p, 0), ProgramVariant::Background(p, 0),
                                     ProgramVariant::BallOver(p),
                                     ProgramVariant::For(p, kRegionLabel),
                                     ProgramVariant::Background(p, kRegionLabel | kRegionMoving)};
    for (std::size_t i = 0; i < std::size(builds); ++i)
      for (std::size_t j = i + 1; j < std::size(builds); ++j) {
        EXPECT_NE(builds[i].Key(), builds[j].Key())
            << "pattern " << pattern << ", builds " << i << " and " << j;
        EXPECT_NE(builds[i].Defines(), builds[j].Defines()) << "pattern " << pattern;
      }
    FrameParameters bars = p;
    bars.pattern = 2;
    EXPECT_EQ(ProgramVariant::BallOver(p).Key(), ProgramVariant::BallOver(bars).Key());
  }
}

TEST(ProgramVariant, DefinesGoRightAfterTheVersionLine) {
  const std::string text = WithDefines("#version 410 core\nvoid main() {}\n", "#define X 1\n");
  EXPECT_EQ(text, "#version 410 core\n#define X 1\n#line 2\nvoid main() {}\n");
  EXPECT_EQ(WithDefines("no line break", "#define X 1\n"), "no line break");
}

}  // namespace

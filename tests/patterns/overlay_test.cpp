// Overlays on a first frame: the moving bar and ball (disc, ring, crosshair
// at both parities of the radius), the centre info box, the credit tag at
// several output sizes, brightness over all of them, and premultiplied
// alpha on soft edges in transparent mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "PatternKit.h"

namespace patterns {
namespace {

constexpr Rgba kPink = Opaque(1.0f, 0.15f, 0.55f);
constexpr Rgba kBoxFrame = Opaque(0.6f, 0.6f, 0.6f);
constexpr Rgba kLine2 = Opaque(1.0f, 0.85f, 0.1f);
constexpr Rgba kCreditInk = Opaque(0.75f, 0.75f, 0.75f);
constexpr Rgba kRed = Opaque(1, 0, 0);

using Points = std::vector<std::pair<int, int>>;

Rgba Scaled(Rgba c, float gain) { return {c.r * gain, c.g * gain, c.b * gain, c.a}; }

// The info box as laid out from the output size, NumSize and its two texts.
struct InfoBox {
  int sc1, sc2, pad, gap;
  int x, y, w, h;            // box
  int line1X, line1Y, line2X, line2Y;
  std::vector<int> line1, line2;
};

InfoBox LayOutInfoBox(int W, int H, float numSize, const std::string& text1,
                      const std::string& text2) {
  InfoBox b;
  b.line1 = Glyphs(text1);
  b.line2 = Glyphs(text2);
  // sc1 = max(1, int(min(W, H * 16 / 9) * 9 / 16 * (0.02 + 0.06 NumSize) / 7)).
  const float fit = static_cast<float>(std::min(W, H * 16 / 9));
  b.sc1 = std::max(1, static_cast<int>(fit * 9.0f / 16.0f * (0.02f + 0.06f * numSize) / 7.0f));
  b.sc2 = std::max(1, b.sc1 / 2);
  b.pad = std::max(3, b.sc1);
  b.gap = 2 * b.sc2;
  const int tw1 = TextWidth(b.line1.size()) * b.sc1;
  const int tw2 = TextWidth(b.line2.size()) * b.sc2;
  const int th = 7 * b.sc1 + (b.line2.empty() ? 0 : b.gap + 7 * b.sc2);
  b.w = std::max(tw1, tw2) + 2 * b.pad;
  b.h = th + 2 * b.pad;
  b.x = (W - b.w) / 2;
  b.y = (H - b.h) / 2;
  b.line1X = b.x + (b.w - tw1) / 2;
  b.line1Y = b.y + b.pad;
  b.line2X = b.x + (b.w - tw2) / 2;
  b.line2Y = b.y + b.pad + 7 * b.sc1 + b.gap;
  return b;
}

// Ink of text `glyphs` at (ox, oy), scale sc, for pixel (x, y).
bool OnInk(int x, int y, int ox, int oy, int sc, const std::vector<int>& glyphs) {
  const int dx = x - ox, dy = y - oy;
  if (dx < 0 || dy < 0 || dx >= TextWidth(glyphs.size()) * sc || dy >= 7 * sc) return false;
  const int slot = dx / (6 * sc), gx = (dx - slot * 6 * sc) / sc;
  return gx < 5 && GlyphInk(glyphs[static_cast<std::size_t>(slot)], gx, dy / sc);
}

// Every pixel of the box: grey outermost pixels, white line 1, yellow line 2,
// black plate; all scaled by the brightness.
void ExpectInfoBox(const Frame& f, const InfoBox& b, float gain) {
  ExpectRegion(f, b.x, b.y, b.x + b.w - 1, b.y + b.h - 1, [&](int x, int y) {
    if (x == b.x || y == b.y || x == b.x + b.w - 1 || y == b.y + b.h - 1)
      return Scaled(kBoxFrame, gain);
    if (OnInk(x, y, b.line1X, b.line1Y, b.sc1, b.line1)) return Scaled(kWhite, gain);
    if (OnInk(x, y, b.line2X, b.line2Y, b.sc2, b.line2)) return Scaled(kLine2, gain);
    return kOpaqueBlack;
  }, "info box");
}

// The credit tag: scale max(1, min(W, H * 16 / 9) / 640), pad max(2, 2 sc),
// text origin (W - 2 pad - 83 sc, H - 2 pad - 7 sc).
struct CreditTag {
  int sc, pad, x, y;
};
CreditTag LayOutCredit(int W, int H) {
  CreditTag c;
  c.sc = std::max(1, std::min(W, H * 16 / 9) / 640);
  c.pad = std::max(2, 2 * c.sc);
  c.x = W - 2 * c.pad - 83 * c.sc;
  c.y = H - 2 * c.pad - 7 * c.sc;
  return c;
}

// Reads the credit text back and checks it is 14 glyphs of capital letters
// with one full stop; answers the glyphs.
std::vector<int> ReadCredit(const Frame& f, const CreditTag& c, Rgba ink) {
  const std::vector<int> glyphs = ReadText(f, c.x, c.y, c.sc, 14, ink);
  int fullStops = 0;
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    const int g = glyphs[i];
    EXPECT_TRUE((g >= 10 && g <= 35) || g == kGlyphFullStop)
        << "credit glyph " << i << " reads as " << g << " (capital letters and a full stop only)";
    fullStops += g == kGlyphFullStop;
  }
  EXPECT_EQ(fullStops, 1) << "the credit text has one full stop";
  return glyphs;
}

TEST(Overlays, At1920x1080FirstFrameBallBarInfoBoxAndCredit) {
  // The defaults (Panel Grid 128 x 128, LW 1, NumSize 0.5) with every
  // overlay on. First frame: R = 108, centre (108, 108), bar 12 wide at 710.
  constexpr int W = 1920, H = 1080;
  static const Frame f =
      RenderFirstFrame(W, H, {{kMoving, 1}, {kShowRes, 1}, {kCredit, 1}});

  // Disc: inside the ring the fill is opaque pink.
  ExpectAt(f, 60, 60, kPink, "ball disc");
  ExpectAt(f, 150, 60, kPink, "ball disc");
  // Crosshair, centre on a pixel corner: arms two pixels wide (centres 0.5
  // from the ball's centre), only inside the radius.
  for (int y : {10, 60, 150}) {
    ExpectAt(f, 106, y, kPink, "left of the vertical arm");
    ExpectAt(f, 107, y, kWhite, "vertical arm");
    ExpectAt(f, 108, y, kWhite, "vertical arm");
    ExpectAt(f, 109, y, kPink, "right of the vertical arm");
  }
  for (int x : {10, 60, 200}) {
    ExpectAt(f, x, 106, kPink, "above the horizontal arm");
    ExpectAt(f, x, 107, kWhite, "horizontal arm");
    ExpectAt(f, x, 108, kWhite, "horizontal arm");
    ExpectAt(f, x, 109, kPink, "below the horizontal arm");
  }
  ExpectAt(f, 107, 0, kWhite, "arm at d = 107.5 < R");
  // Ring: full white within half a pixel of the radius (d = 76.5 sqrt 2 =
  // 108.19 at (31, 31) and (184, 184)); nothing of the ball at d = 111.0.
  ExpectAt(f, 31, 31, kWhite, "ring");
  ExpectAt(f, 184, 184, kWhite, "ring");
  ExpectAt(f, 29, 29, Opaque(0.16f, 0.15f, 0.19f), "panel A1's fill just outside the ring");

  // Bar: columns 710 to 721, full height, opaque white. Its neighbours are
  // probed where the grid has no white label ink.
  ExpectRegion(f, 710, 0, 721, H - 1, kWhite, "bar");
  for (int y : {0, 600, 1000}) {
    ExpectNot(f, 709, y, kWhite, "left of the bar");
    ExpectNot(f, 722, y, kWhite, "right of the bar");
  }

  // Info box: 385 x 90 at (767, 495), line 1 at (774, 502) scale 7, line 2
  // at (790, 557) scale 3. Its corners and both texts where they belong:
  for (const auto& [x, y] : Points{{767, 495}, {1151, 495}, {767, 584}, {1151, 584}})
    ExpectAt(f, x, y, kBoxFrame, "corner of the info box");
  EXPECT_EQ(ReadText(f, 774, 502, 7, 9, kWhite), Glyphs("1920x1080")) << "line 1 at (774, 502)";
  EXPECT_EQ(ReadText(f, 790, 557, 3, 19, kLine2), Glyphs("PANELS 15x9 128x128"))
      << "line 2 at (790, 557)";
  ExpectInfoBox(f, LayOutInfoBox(W, H, 0.5f, "1920x1080", "PANELS 15x9 128x128"), 1.0f);
  // Around it the grid shows: fills and a border of the panels there.
  ExpectAt(f, 766, 540, Opaque(0.06f, 0.07f, 0.10f), "left of the box: panel F5's fill");
  ExpectAt(f, 1152, 540, Opaque(0.1f, 0.8f, 1.0f), "right of the box: panel J5's border");
  ExpectAt(f, 900, 494, Opaque(0.16f, 0.15f, 0.19f), "above the box: panel H4's fill");
  ExpectAt(f, 1000, 585, Opaque(0.06f, 0.07f, 0.10f), "below the box: panel H5's fill");

  // Credit: scale 3, pad 6, text 249 x 21 at (1659, 1047), plate columns
  // 1653 to 1913 and rows 1041 to 1073.
  const CreditTag credit{3, 6, 1659, 1047};
  const std::vector<int> text = ReadCredit(f, credit, kCreditInk);
  ExpectText(f, credit.x, credit.y, credit.sc, text, kCreditInk, kOpaqueBlack, credit.pad,
             "credit tag");
  for (const auto& [x, y] : Points{{1653, 1041}, {1913, 1041}, {1653, 1073}, {1913, 1073}})
    ExpectAt(f, x, y, kOpaqueBlack, "corner of the credit plate");
  for (int y : {1041, 1073}) {
    ExpectNot(f, 1652, y, kOpaqueBlack, "left of the credit plate");
    ExpectNot(f, 1914, y, kOpaqueBlack, "right of the credit plate");
  }
  ExpectNot(f, 1700, 1040, kOpaqueBlack, "above the credit plate");
  ExpectNot(f, 1700, 1074, kOpaqueBlack, "below the credit plate");
}

// The ball at small sizes over solid black: R = max(min(W, H) / 10, 4),
// centre (R + h, R + h) with h = 0.5 for odd R; crosshair pixels are those
// whose centre lies within LW / 2 of the centre lines, inside the radius.
struct BallCase {
  int w, h, lw;
  int barX, barW;
  int probeRow;                // a row inside the disc, off the horizontal arm
  std::vector<int> armColumns; // crosshair columns on that row
};
void PrintTo(const BallCase& c, std::ostream* out) {
  *out << c.w << "x" << c.h << " LW " << c.lw;
}

class Ball : public ::testing::TestWithParam<BallCase> {};

TEST_P(Ball, CrosshairWidthFollowsTheRadiusParityAndTheBarStartsOnItsColumn) {
  const BallCase& c = GetParam();
  const Frame f = RenderFirstFrame(c.w, c.h,
                                   {{kPattern, kSolid},
                                    {kSolidColour, 5},  // black
                                    {kMoving, 1},
                                    {kLineWidth, static_cast<float>(c.lw)}});
  const int first = c.armColumns.front(), last = c.armColumns.back();
  ExpectAt(f, first - 1, c.probeRow, kPink, "disc left of the vertical arm");
  for (int x : c.armColumns) ExpectAt(f, x, c.probeRow, kWhite, "vertical arm");
  ExpectAt(f, last + 1, c.probeRow, kPink, "disc right of the vertical arm");
  // The ball is symmetric about its diagonal: the horizontal arm mirrors it.
  ExpectAt(f, c.probeRow, first - 1, kPink, "disc above the horizontal arm");
  for (int y : c.armColumns) ExpectAt(f, c.probeRow, y, kWhite, "horizontal arm");
  ExpectAt(f, c.probeRow, last + 1, kPink, "disc below the horizontal arm");

  // Bar: BarW = max(W / 160, 4) columns from BarX.
  const int y = c.h - 5;
  ExpectAt(f, c.barX - 1, y, kOpaqueBlack, "left of the bar");
  ExpectRegion(f, c.barX, 0, c.barX + c.barW - 1, c.h - 1, kWhite, "bar");
  ExpectAt(f, c.barX + c.barW, y, kOpaqueBlack, "right of the bar");
}

// BarX = int(bx - |rem(0.37 W, 2 bx) - bx|) with bx = W - BarW: on the first
// frame 0.37 W truncated (59.2 -> 59 at 160, 37 at 100).
INSTANTIATE_TEST_SUITE_P(
    FirstFrame, Ball,
    ::testing::Values(
        // R = 9 (odd): centre (9.5, 9.5), one-pixel arms at LW 1, three at LW 3.
        BallCase{160, 90, 1, 59, 4, 5, {9}},
        BallCase{160, 90, 3, 59, 4, 5, {8, 9, 10}},
        // R = 6 (even): centre (6, 6), two-pixel arms at LW 1, four at LW 3.
        BallCase{100, 60, 1, 37, 4, 2, {5, 6}},
        BallCase{100, 60, 3, 37, 4, 3, {4, 5, 6, 7}}),
    [](const auto& test) {
      return std::to_string(test.param.w) + "x" + std::to_string(test.param.h) + "_LW" +
             std::to_string(test.param.lw);
    });

TEST(Overlays, RingEdgesArePremultipliedInTransparentModeAndBrightnessKeepsAlpha) {
  // 160 x 90 over Line Sweep (which paints only column 0 and row 0 on the
  // first frame): R = 9, centre (9.5, 9.5). Pixel (15, 17) lies 6 across and
  // 8 down: d = 10, outside the disc (9 - 10 + 0.5 < 0), ring coverage
  // max(LW, 2) x 0.5 + 0.5 - |10 - 9| = 0.5 at LW 1 (the ring is raised to
  // 2 pixels), and 1 at LW 3.
  struct Case {
    float lw, brightness, background;
    Rgba edge;
  };
  const Case cases[] = {
      {1, 1.0f, 1, {0.5f, 0.5f, 0.5f, 0.5f}},
      {1, 0.5f, 1, {0.25f, 0.25f, 0.25f, 0.5f}},
      {1, 1.0f, 0, {0.5f, 0.5f, 0.5f, 1.0f}},
      {3, 1.0f, 1, {1, 1, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("LW " + std::to_string(c.lw) + ", brightness " + std::to_string(c.brightness) +
                 ", background " + std::to_string(c.background));
    const Frame f = RenderFirstFrame(160, 90,
                                     {{kPattern, kLineSweep},
                                      {kMoving, 1},
                                      {kLineWidth, c.lw},
                                      {kBrightness, c.brightness},
                                      {kBackground, c.background}});
    ExpectAt(f, 15, 17, c.edge, "outer edge of the ring");
    ExpectAt(f, 50, 50, c.background > 0 ? kClear : kOpaqueBlack, "unpainted background");
    // Inside: pink under the ring's inner edge, where d = sqrt(61) = 7.81:
    // disc coverage 1, ring coverage 1.5 - (9 - 7.81) = 0.31 at LW 1.
    if (c.lw == 1) {
      const float rc = static_cast<float>(1.5 - (9.0 - std::sqrt(61.0)));
      const Rgba inner = Scaled(Opaque(1.0f, 0.15f * (1 - rc) + rc, 0.55f * (1 - rc) + rc),
                                c.brightness);
      ExpectNear(f, 9 + 5, 9 + 6, inner, 1e-5f, "inner edge of the ring, alpha 1");
      ExpectAt(f, 9 + 3, 9 + 4, Scaled(kPink, c.brightness), "disc");
    }
  }
}

// The info box over solid red at small sizes: where its corners and its two
// lines are, as documented, and every pixel of it against the layout model.
struct SmallBoxCase {
  int w, h;
  float numSize;
  const char* text1;
  int x, y, width, height;  // box
  int line1X, line1Y, sc1, line2X, line2Y, sc2;
};
void PrintTo(const SmallBoxCase& c, std::ostream* out) { *out << c.text1; }

class SmallInfoBox : public ::testing::TestWithParam<SmallBoxCase> {};

TEST_P(SmallInfoBox, SitsWhereItsGeometrySaysOverSolidColour) {
  // Solid Colour cycles from red on the first frame, so line 2 reads RED.
  const SmallBoxCase& c = GetParam();
  const Frame f = RenderFirstFrame(
      c.w, c.h, {{kPattern, kSolid}, {kShowRes, 1}, {kNumberSize, c.numSize}});
  const int right = c.x + c.width - 1, bottom = c.y + c.height - 1;
  for (const auto& [x, y] : Points{{c.x, c.y}, {right, c.y}, {c.x, bottom}, {right, bottom}})
    ExpectAt(f, x, y, kBoxFrame, "corner of the box");
  // The pattern shows right up to the box on every side.
  ExpectAt(f, c.x - 1, c.y, kRed, "left of the box");
  ExpectAt(f, right + 1, bottom, kRed, "right of the box");
  ExpectAt(f, c.x, c.y - 1, kRed, "above the box");
  ExpectAt(f, right, bottom + 1, kRed, "below the box");
  const std::string text1 = c.text1;
  EXPECT_EQ(ReadText(f, c.line1X, c.line1Y, c.sc1, static_cast<int>(text1.size()), kWhite),
            Glyphs(text1))
      << "line 1 at " << Where(c.line1X, c.line1Y) << " scale " << c.sc1;
  EXPECT_EQ(ReadText(f, c.line2X, c.line2Y, c.sc2, 3, kLine2), Glyphs("RED"))
      << "line 2 at " << Where(c.line2X, c.line2Y) << " scale " << c.sc2;
  ExpectInfoBox(f, LayOutInfoBox(c.w, c.h, c.numSize, text1, "RED"), 1.0f);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, SmallInfoBox,
    ::testing::Values(
        // sc1 = int(180 x 0.05 / 7) = 1, pad 3, gap 2: 47 x 22 at (136, 79),
        // an odd remainder leaving the extra pixel right.
        SmallBoxCase{320, 180, 0.5f, "320x180", 136, 79, 47, 22, 139, 82, 1, 151, 91, 1},
        // sc1 = int(360 x 0.08 / 7) = 4, sc2 2, pad 4, gap 4: 172 x 54.
        SmallBoxCase{640, 360, 1.0f, "640x360", 234, 153, 172, 54, 238, 157, 4, 303, 189, 2},
        // NumSize 0: int(180.56 x 0.02 / 7) = 0 is raised to 1.
        SmallBoxCase{321, 181, 0.0f, "321x181", 137, 79, 47, 22, 140, 82, 1, 152, 91, 1}),
    [](const auto& test) { return std::string(test.param.text1); });

TEST(Overlays, BrightnessScalesEveryOverlay) {
  // 320 x 180 over solid red with the ball (R = 18 at (18, 18)), bar (4 wide
  // at int(0.37 x 320) = 118), info box and credit tag, all at half gain.
  constexpr int W = 320, H = 180;
  constexpr float kGain = 0.5f;
  const Frame f = RenderFirstFrame(W, H,
                                   {{kPattern, kSolid},
                                    {kMoving, 1},
                                    {kShowRes, 1},
                                    {kCredit, 1},
                                    {kBrightness, kGain}});
  ExpectAt(f, 200, 20, Scaled(kRed, kGain), "pattern");
  ExpectAt(f, 10, 30, Scaled(kPink, kGain), "ball disc");
  ExpectAt(f, 17, 30, Scaled(kWhite, kGain), "crosshair");
  ExpectRegion(f, 118, 0, 121, H - 1, Scaled(kWhite, kGain), "bar");
  ExpectAt(f, 117, 100, Scaled(kRed, kGain), "left of the bar");
  ExpectAt(f, 122, 100, Scaled(kRed, kGain), "right of the bar");
  ExpectInfoBox(f, LayOutInfoBox(W, H, 0.5f, "320x180", "RED"), kGain);
  const CreditTag credit = LayOutCredit(W, H);
  const Rgba ink = Scaled(kCreditInk, kGain);
  ExpectText(f, credit.x, credit.y, credit.sc, ReadCredit(f, credit, ink), ink, kOpaqueBlack,
             credit.pad, "credit tag");
}

// The credit tag over solid white at several sizes, so that the black plate
// shows against the pattern on every side.
struct CreditCase {
  int w, h;
  CreditTag expected;
};
void PrintTo(const CreditCase& c, std::ostream* out) { *out << c.w << "x" << c.h; }

class Credit : public ::testing::TestWithParam<CreditCase> {};

TEST_P(Credit, ScaleAndPlacementFollowTheLargest16By9Area) {
  const CreditCase& c = GetParam();
  const CreditTag& tag = c.expected;
  const Frame f = RenderFirstFrame(c.w, c.h,
                                   {{kPattern, kSolid}, {kSolidColour, 4}, {kCredit, 1}});
  const std::vector<int> text = ReadCredit(f, tag, kCreditInk);
  ExpectText(f, tag.x, tag.y, tag.sc, text, kCreditInk, kOpaqueBlack, tag.pad, "credit tag");
  // The plate's bottom-right corner lies pad pixels inside the output's
  // bottom-right corner, with white (the pattern) between them.
  const int cornerX = c.w - 1 - tag.pad, cornerY = c.h - 1 - tag.pad;
  ExpectAt(f, cornerX, cornerY, kOpaqueBlack, "bottom-right corner of the plate");
  ExpectAt(f, cornerX + 1, cornerY, kWhite, "right of the plate's corner");
  ExpectAt(f, cornerX, cornerY + 1, kWhite, "below the plate's corner");
  ExpectRegion(f, cornerX + 1, 0, c.w - 1, c.h - 1, kWhite, "right of the plate");
  ExpectRegion(f, 0, cornerY + 1, c.w - 1, c.h - 1, kWhite, "below the plate");
  // Its top-left corner lies pad pixels above and left of the text.
  const int plateLeft = tag.x - tag.pad, plateTop = tag.y - tag.pad;
  ExpectAt(f, plateLeft, plateTop, kOpaqueBlack, "top-left corner of the plate");
  ExpectRegion(f, plateLeft - 1, plateTop - 1, plateLeft - 1, cornerY, kWhite,
               "left of the plate");
  ExpectRegion(f, plateLeft - 1, plateTop - 1, cornerX, plateTop - 1, kWhite, "above the plate");
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, Credit,
    ::testing::Values(
        CreditCase{640, 360, {1, 2, 553, 349}},
        // 320 / 640 = 0 is raised to 1.
        CreditCase{320, 180, {1, 2, 233, 169}},
        CreditCase{1280, 720, {2, 4, 1106, 698}},
        // One pixel short of a 16:9 width of 1280: still scale 1.
        CreditCase{1279, 720, {1, 2, 1192, 709}},
        // Wide: the 16:9 width is 300 x 16 / 9 = 533.
        CreditCase{1000, 300, {1, 2, 913, 289}},
        // Tall: the width itself, 1300, gives scale 2.
        CreditCase{1300, 740, {2, 4, 1126, 718}}),
    [](const auto& test) {
      return std::to_string(test.param.w) + "x" + std::to_string(test.param.h);
    });

}  // namespace
}  // namespace patterns

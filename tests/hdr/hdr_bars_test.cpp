// BT.2111-3's bars as the plug-in draws them, every pixel against the
// standard's geometry and codes typed here from the tables: the three
// variants at 1920 x 1080 and at 3840 x 2160 (each reference pixel 2 x 2),
// and the screen the other signals get.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "HdrKit.h"

namespace {

struct Variant {
  const char* signal;
  int white, black, level, grey40;
  std::array<int, 13> stair;
  // Row 4: `low` before x = start, x - offset from start to end - 1, `high` after.
  int low, start, end, offset, high;
  std::array<Code3, 6> bt709;  // yellow, cyan, green, magenta, red, blue
  std::array<int, 3> pluge;    // -2, +2, +4 %
};

const Variant kVariants[] = {
    {"PQ Narrow", 940, 64, 573, 414,
     {4, 64, 152, 239, 327, 414, 502, 590, 677, 765, 852, 940, 1019},
     4, 799, 1813, 794, 1019,
     {{{569, 572, 381}, {485, 566, 571}, {474, 565, 368}, {537, 362, 564}, {531, 351, 257},
       {318, 236, 563}}},
     {48, 80, 99}},
    {"PQ Full", 1023, 0, 594, 409,
     {0, 0, 102, 205, 307, 409, 512, 614, 716, 818, 921, 1023, 1023},
     0, 858, 1880, 857, 1023,
     {{{589, 593, 370}, {491, 586, 592}, {479, 585, 355}, {552, 348, 584}, {545, 335, 225},
       {296, 201, 582}}},
     {0, 19, 41}},
    {"HLG Narrow", 940, 64, 721, 414,
     {4, 64, 152, 239, 327, 414, 502, 590, 677, 765, 852, 940, 1019},
     4, 799, 1813, 794, 1019,
     {{{713, 719, 316}, {538, 709, 718}, {512, 706, 296}, {651, 286, 705}, {639, 269, 164},
       {227, 147, 702}}},
     {48, 80, 99}},
};

// Which of `widths` (laid end to end from `from`) holds x; -1 before them.
int Piece(int x, int from, const std::vector<int>& widths) {
  int edge = from;
  // (Past the last piece counts as the last: callers ask only inside.)
  for (std::size_t i = 0; i < widths.size(); ++i) {
    edge += widths[i];
    if (x < edge) return static_cast<int>(i);
  }
  return static_cast<int>(widths.size()) - 1;
}

// The code of reference pixel (x, y) of a 1920 x 1080 picture.
Code3 Expected(const Variant& v, int x, int y) {
  const int w = v.white, k = v.black;
  const bool side = x < 240 || x >= 1680;
  if (y < 630) {
    if (side) return Grey(v.grey40);
    const int level = y < 90 ? w : v.level;
    const Code3 bars[7] = {{level, level, level}, {level, level, k}, {k, level, level},
                           {k, level, k},         {level, k, level}, {level, k, k},
                           {k, k, level}};
    return bars[Piece(x, 240, {206, 206, 206, 204, 206, 206, 206})];
  }
  if (y < 720) {
    if (side) return Grey(v.level);
    return Grey(v.stair[static_cast<std::size_t>(
        Piece(x, 240, {206, 103, 103, 103, 103, 102, 102, 103, 103, 103, 103, 103, 103}))]);
  }
  if (y < 810) {
    if (x < 240) return Grey(k);
    if (x < v.start) return Grey(v.low);
    if (x < v.end) return Grey(x - v.offset);
    return Grey(v.high);
  }
  const int piece = Piece(x, 0, {80, 80, 80, 136, 70, 68, 70, 68, 70, 238, 438, 282, 80, 80, 80});
  if (piece < 3) return v.bt709[static_cast<std::size_t>(piece)];
  if (piece >= 12) return v.bt709[static_cast<std::size_t>(piece - 9)];
  const int middle[9] = {k, v.pluge[0], k, v.pluge[1], k, v.pluge[2], k, v.level, k};
  return Grey(middle[piece - 3]);
}

void ExpectBars(const Variant& v, int scale) {
  const CodeFrame f = RenderHdr({Option("Pattern", "BT.2111 Bars"), Option("Signal", v.signal)},
                                1920 * scale, 1080 * scale);
  const char* rows[] = {"row 1 (100 %)", "row 2", "row 3 (stair)", "row 4 (ramp)", "row 5"};
  const int edges[] = {0, 90, 630, 720, 810, 1080};
  for (int r = 0; r < 5; ++r)
    ExpectCodes(f, 0, edges[r] * scale, f.Width(), edges[r + 1] * scale,
                [&](int x, int y) { return Expected(v, x / scale, y / scale); },
                std::string(v.signal) + " x" + std::to_string(scale) + " " + rows[r]);
}

TEST(Bt2111Bars, EveryPixelOfTheThreeVariantsAt1920x1080) {
  for (const Variant& v : kVariants) ExpectBars(v, 1);
}

TEST(Bt2111Bars, EveryPixelOfTheThreeVariantsAt3840x2160) {
  for (const Variant& v : kVariants) ExpectBars(v, 2);
}

// Other sizes scale the geometry with edges rounded to whole pixels: at
// 1280 x 720 (2/3) the first bar starts at column 160 and row 2 at row 60.
TEST(Bt2111Bars, OtherSizesRoundTheScaledEdges) {
  const CodeFrame f = RenderHdr({Option("Pattern", "BT.2111 Bars"), Option("Signal", "PQ Narrow")},
                                1280, 720);
  ExpectCodes(f, 0, 0, 160, 420, Grey(414), "left side");
  ExpectCodes(f, 160, 0, 297, 60, Grey(940), "white bar, row 1");
  ExpectCodes(f, 160, 60, 297, 420, Grey(573), "white bar, row 2");
  ExpectCodes(f, 297, 0, 435, 60, Code3{940, 940, 64}, "yellow bar, row 1");
}

TEST(Bt2111Bars, OtherSignalsShowWhichOnesTheStandardDefines) {
  for (const char* signal : {"HLG Full", "SDR Narrow", "SDR Full"}) {
    const bool narrow = std::string(signal).find("Narrow") != std::string::npos;
    const int black = narrow ? 64 : 0, white = narrow ? 940 : 1023;
    const CodeFrame f =
        RenderHdr({Option("Pattern", "BT.2111 Bars"), Option("Signal", signal)}, 1920, 1080);
    // Text in the middle band, black of the range everywhere else.
    ExpectCodes(f, 0, 0, 1920, 500, Grey(black), std::string(signal) + " above the text");
    ExpectCodes(f, 0, 580, 1920, 1080, Grey(black), std::string(signal) + " below the text");
    int whites = 0;
    ExpectCodes(f, 0, 500, 1920, 580,
                [&](int x, int y) {
                  const Code3 seen = f.At(x, y);
                  if (seen == Grey(white)) {
                    ++whites;
                    return seen;
                  }
                  return Grey(black);
                },
                std::string(signal) + " text band: white on black only");
    EXPECT_GT(whites, 1000) << signal << ": the message is written";
  }
}

}  // namespace

// BT.2111-3 (05/2025) colour bars at 1920 x 1080, scaled by ReferenceGrid:
// five rows 90, 540, 90, 90 and 270 high.
#include <algorithm>
#include <array>

#include "hdr/CodeShapes.h"
#include "hdr/Patterns.h"

namespace hdr {
namespace {

using veltrima::signal::Range;
using veltrima::signal::Transfer;

// The codes of one variant of the bars.
struct BarCodes {
  int white, black;  // 100 % and 0 %
  int bar;           // row 2's level: 75 % HLG, 58 % PQ
  int grey40;        // the sides of rows 1 and 2
  std::array<int, 13> stair;  // row 3: -7, 0, 10 ... 100, 109 %
  // Row 4's ramp: `low` up to x = rampStart - 1, then code x - rampOffset up
  // to x = rampEnd - 1, then `high`.
  int low, high, rampStart, rampEnd, rampOffset;
  // Row 5: the BT.709-equivalent yellow, cyan, green, magenta, red, blue.
  std::array<CodeTriple, 6> bt709;
  std::array<int, 3> pluge;  // -2, +2, +4 %
};

const BarCodes kPqNarrow{940, 64, 573, 414,
                         {4, 64, 152, 239, 327, 414, 502, 590, 677, 765, 852, 940, 1019},
                         4, 1019, 799, 1813, 794,
                         {{{569, 572, 381}, {485, 566, 571}, {474, 565, 368},
                           {537, 362, 564}, {531, 351, 257}, {318, 236, 563}}},
                         {48, 80, 99}};
const BarCodes kPqFull{1023, 0, 594, 409,
                       {0, 0, 102, 205, 307, 409, 512, 614, 716, 818, 921, 1023, 1023},
                       0, 1023, 858, 1880, 857,
                       {{{589, 593, 370}, {491, 586, 592}, {479, 585, 355},
                         {552, 348, 584}, {545, 335, 225}, {296, 201, 582}}},
                       {0, 19, 41}};
const BarCodes kHlgNarrow{940, 64, 721, 414,
                          {4, 64, 152, 239, 327, 414, 502, 590, 677, 765, 852, 940, 1019},
                          4, 1019, 799, 1813, 794,
                          {{{713, 719, 316}, {538, 709, 718}, {512, 706, 296},
                            {651, 286, 705}, {639, 269, 164}, {227, 147, 702}}},
                          {48, 80, 99}};

const BarCodes* CodesFor(const veltrima::signal::Signal& s) {
  if (s.transfer == Transfer::Pq) return s.range == Range::Narrow ? &kPqNarrow : &kPqFull;
  if (s.transfer == Transfer::Hlg && s.range == Range::Narrow) return &kHlgNarrow;
  return nullptr;
}

// Row edges, and the columns of the bars of rows 1 and 2, the stair of row
// 3 and the pieces of row 5.
constexpr std::array<int, 6> kRows{0, 90, 630, 720, 810, 1080};
constexpr int kSide = 240, kRight = 1680;
constexpr std::array<int, 8> kBarEdges{240, 446, 652, 858, 1062, 1268, 1474, 1680};
constexpr std::array<int, 14> kStairEdges{240, 446, 549, 652, 755, 858, 960,
                                          1062, 1165, 1268, 1371, 1474, 1577, 1680};
constexpr std::array<int, 16> kBottomEdges{0,   80,  160, 240,  376,  446,  514,  584,
                                           652, 722, 960, 1398, 1680, 1760, 1840, 1920};

// The seven bars' colours at `level` over `zero`: white, yellow, cyan,
// green, magenta, red, blue.
std::array<CodeTriple, 7> Bars(int level, int zero) {
  return {{{level, level, level}, {level, level, zero}, {zero, level, level}, {zero, level, zero},
           {level, zero, level}, {level, zero, zero}, {zero, zero, level}}};
}

void AddUndefinedScreen(const HdrSettings& s, int width, int height, shapes::ShapeList& list) {
  list.AddRect({0, 0, width, height}, CodeColour(Grey(veltrima::signal::BlackCode(s.signal.range))));
  const std::vector<std::string> lines{kBt2111Undefined};
  const int scale = FittingLabelScale(lines, width, height, std::max(1, height / 180));
  const LabelSize size = MeasureLabel(lines, scale);
  AddLabel(list, lines, (width - size.width) / 2, (height - size.height) / 2, scale, s.signal.range);
}

}  // namespace

void AddBt2111Bars(const HdrSettings& s, int width, int height, shapes::ShapeList& list) {
  const BarCodes* codes = CodesFor(s.signal);
  if (!codes) {
    AddUndefinedScreen(s, width, height, list);
    return;
  }
  const BarCodes& c = *codes;
  const ReferenceGrid g(width, height);
  auto add = [&](int x0, int y0, int x1, int y1, const CodeTriple& colour) {
    list.AddRect(g.Scaled(x0, y0, x1, y1), CodeColour(colour));
  };

  // Rows 1 and 2: 40 % grey sides over both, 100 % bars above 75 or 58 %.
  add(0, kRows[0], kSide, kRows[2], Grey(c.grey40));
  add(kRight, kRows[0], ReferenceGrid::kWidth, kRows[2], Grey(c.grey40));
  const auto full = Bars(c.white, c.black), reduced = Bars(c.bar, c.black);
  for (std::size_t i = 0; i < full.size(); ++i) {
    add(kBarEdges[i], kRows[0], kBarEdges[i + 1], kRows[1], full[i]);
    add(kBarEdges[i], kRows[1], kBarEdges[i + 1], kRows[2], reduced[i]);
  }

  // Row 3: sides at row 2's level, the stair between them.
  add(0, kRows[2], kSide, kRows[3], Grey(c.bar));
  add(kRight, kRows[2], ReferenceGrid::kWidth, kRows[3], Grey(c.bar));
  for (std::size_t i = 0; i < c.stair.size(); ++i)
    add(kStairEdges[i], kRows[2], kStairEdges[i + 1], kRows[3], Grey(c.stair[i]));

  // Row 4: black side, then the ramp one reference column per code.
  add(0, kRows[3], kSide, kRows[4], Grey(c.black));
  add(kSide, kRows[3], c.rampStart, kRows[4], Grey(c.low));
  for (int x = c.rampStart; x < c.rampEnd; ++x)
    add(x, kRows[3], x + 1, kRows[4], Grey(x - c.rampOffset));
  add(c.rampEnd, kRows[3], ReferenceGrid::kWidth, kRows[4], Grey(c.high));

  // Row 5: BT.709-equivalent bars at both ends, PLUGE and white between.
  const int b = c.black;
  const std::array<CodeTriple, 15> bottom{{c.bt709[0], c.bt709[1], c.bt709[2], Grey(b),
                                           Grey(c.pluge[0]), Grey(b), Grey(c.pluge[1]), Grey(b),
                                           Grey(c.pluge[2]), Grey(b), Grey(c.bar), Grey(b),
                                           c.bt709[3], c.bt709[4], c.bt709[5]}};
  for (std::size_t i = 0; i < bottom.size(); ++i)
    add(kBottomEdges[i], kRows[4], kBottomEdges[i + 1], kRows[5], bottom[i]);
}

}  // namespace hdr

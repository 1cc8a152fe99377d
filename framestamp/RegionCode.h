// A region code: the mark that SYNC draws in every region of its output (and
// MAP in every cabinet), so that one photo of a whole wall says which part of
// it shows which frame. Plain C++, no GL: the plug-ins draw the cells, the
// reader decodes the levels it sampled.
//
// The code is a square of 13 x 13 cells of S x S output pixels: a white
// quiet ring one cell wide, inside it a black border ring one cell wide (the
// locator: a dark quadrilateral on a light one that a reader finds under any
// perspective), and inside that the 9 x 9 data square, drawn upright as
// kRegionCodeMap says, row by row from the top, white = 1:
//
//   W = white corner, K = black corner: the one black corner is bottom left,
//       so the corners say which way up the code lies;
//   I = identity word, 25 bits, most significant first in reading order;
//   G = frame counter, 16 bits, Gray-coded, most significant first;
//   C = CRC-16 over identity and counter, 16 bits, most significant first;
//   T = transition stripe: white on odd frames, black on even ones — a cross
//       through the middle whose every cell flips every frame;
//   . = always black.
//
// Identity word: bits 24-20 the output number (0-31), bits 19-8 the region's
// index (0-4095), bits 7-0 CRC-8 (framestamp/Crc8.h) over the 3 bytes of
// bits 24-8 (output << 12 | region) taken big-endian. It never changes from
// frame to frame, so a photo taken during a frame change never tears it.
//
// Frame counter: the frame number modulo 2^16 in reflected Gray code, so two
// neighbouring frames differ in one cell and a code caught mid-change reads as
// one of the two. CRC-16 (framestamp/Crc16.h) over the five bytes output,
// region high, region low, counter high, counter low (the counter in binary,
// not Gray), so a counter is never read with another region's identity.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

constexpr int kRegionCodeDataSide = 9;
constexpr int kRegionCodeRings = 2;  // quiet ring (white) and border ring (black) on each side
constexpr int kRegionCodeSide = kRegionCodeDataSide + 2 * kRegionCodeRings;  // 13
constexpr int kRegionCodeDataCells = kRegionCodeDataSide * kRegionCodeDataSide;
constexpr std::uint32_t kRegionMaxOutput = 31;
constexpr std::uint32_t kRegionMaxIndex = 4095;
constexpr int kRegionIdentityBits = 25;
constexpr int kRegionCounterBits = 16;
constexpr int kRegionCrcBits = 16;
constexpr std::uint32_t kRegionCounterModulus = 1u << kRegionCounterBits;
// The cell sizes a plug-in draws, in output pixels. Cells of one output pixel
// are left out: a 13-pixel code is read by no photo of a wall, and thousands
// of them cost more than the frame may.
constexpr int kMinRegionCellSize = 2, kMaxRegionCellSize = 64;

// The data square as drawn, upright.
constexpr const char* kRegionCodeMap[kRegionCodeDataSide] = {
    "WIIITIIIW",
    "IIIITIIII",
    "IIIITIIII",
    "III.TGGGG",
    "TTTTTTTTT",
    "GGGGTGGGG",
    "GGGGTCCCC",
    "CCCCTCCCC",
    "KCCCT..CW",
};

struct RegionIdentity {
  std::uint32_t output = 0;  // 0-31
  std::uint32_t region = 0;  // 0-4095
  bool operator==(const RegionIdentity& o) const { return output == o.output && region == o.region; }
};

// The 25-bit identity word; output and region taken modulo 32 and 4096.
std::uint32_t RegionIdentityWord(const RegionIdentity& identity);

// The data square for `identity` at frame number `frame`, row by row from the
// top, upright; true = white.
using RegionCodeData = std::array<bool, kRegionCodeDataCells>;
RegionCodeData EncodeRegionCode(const RegionIdentity& identity, std::uint64_t frame);

// Whether data cell (row, column) of the upright data square may change from
// frame to frame (counter, CRC, stripe); the rest of the code is the same in
// every frame, so a picture kept from frame to frame can hold it.
bool RegionCodeDataCellIsDynamic(int row, int column);

// Whether cell (row, column) of the whole 13 x 13 code is white, for the data
// square `data`; false outside the code.
bool RegionCodeCellIsWhite(const RegionCodeData& data, int row, int column);

// Sampled levels of the data square, row by row from the top as the reader
// saw it (any quarter turn), 0 = the border ring's black, 1 = the quiet
// ring's white. A level within kRegionUnsureBand of 0.5 is a cell caught
// mid-change; anything not a number counts as one.
using RegionCodeLevels = std::array<float, kRegionCodeDataCells>;
constexpr float kRegionUnsureBand = 0.2f;

struct RegionCodeReading {
  RegionIdentity identity;
  // The counters (modulo 2^16) the code showed: equal when it showed one
  // frame; when a frame change was caught in the photo, lastFrame is
  // firstFrame + 1 (or + 2 when only the stripe saw the change, which does not
  // say in which direction).
  std::uint16_t firstFrame = 0, lastFrame = 0;
  bool changeCaught = false;
  int quarterTurns = 0;  // clockwise quarter turns from upright, as read
};

// The code in `levels`, or empty when the corners, the identity's CRC or the
// counter and its CRC do not agree with one frame or two neighbouring ones.
// Two neighbours are read only when the stripe shows the change (its cells
// not all one sure colour); a code torn where the stripe does not reach (a
// corner clipped off) is not read rather than read loosely.
std::optional<RegionCodeReading> DecodeRegionCode(const RegionCodeLevels& levels);

// The levels of `data` turned `quarterTurns` clockwise: what a reader samples
// from a code seen rotated. Black 0, white 1.
RegionCodeLevels RegionCodeLevelsTurned(const RegionCodeData& data, int quarterTurns);

// The code strip: a row of 68 square cells at the bottom of the frame that a
// camera or a capture card reads back. Start guard white, black; 64 data
// cells, most significant bit first, white = 1; end guard black, white; all
// on a black band one cell wider on every side, whose top-left corner is at
// (0, H - 3S) for cells of S x S output pixels.
//
// The 64-bit word: bits 63-40 the frame number modulo 2^24, bits 39-13 the
// millisecond of the day shown (0 to 86,399,999), bits 12-8 the output
// number (0-31), bits 7-0 a CRC-8 over the 7 bytes of bits 63-8 taken
// big-endian.
#pragma once

#include <cstdint>
#include <optional>

constexpr int kStripDataCells = 64;
constexpr int kStripGuardCells = 2;  // at each end
constexpr int kStripCells = kStripDataCells + 2 * kStripGuardCells;  // 68
constexpr int kStripBandCells = kStripCells + 2;                     // 70: the band is one cell wider
constexpr int kStripBandRows = 3;
constexpr int kStripMinCellSize = 4, kStripMaxCellSize = 64, kStripDefaultCellSize = 16;
constexpr std::uint32_t kStampFrameModulus = 1u << 24;
constexpr int kStampMaxOutput = 31;

struct FrameStamp {
  std::uint32_t frame = 0;              // modulo 2^24 in the code
  std::uint32_t millisecondOfDay = 0;   // 0 to 86,399,999
  std::uint32_t output = 0;             // 0 to 31
  bool operator==(const FrameStamp& o) const {
    return frame == o.frame && millisecondOfDay == o.millisecondOfDay && output == o.output;
  }
};

// The word for a stamp: frame taken modulo 2^24, the millisecond modulo one
// day and the output modulo 32, so that every stamp has a valid word.
std::uint64_t EncodeStamp(const FrameStamp& stamp);

// The stamp in a word; empty when the CRC does not match or the millisecond
// lies outside the day.
std::optional<FrameStamp> DecodeStamp(std::uint64_t word);

// The cell size S used at an output `width` pixels wide for a requested size
// (clamped to 4..64 first): S, or floor(width / 70) when the band would not
// fit; 0 when not even one-pixel cells fit (no strip is drawn).
int StripCellSize(int requested, int width);

struct StripRect {
  int x = 0, y = 0, width = 0, height = 0;  // top-left origin, y down
};
// The black band, and cell `index` (0..67) of the strip, for cell size S at
// an output `height` pixels high (top-left origin).
StripRect StripBand(int cellSize, int height);
StripRect StripCell(int cellSize, int height, int index);
// Whether cell `index` (0..67) of the strip for `word` is white.
bool StripCellIsWhite(std::uint64_t word, int index);

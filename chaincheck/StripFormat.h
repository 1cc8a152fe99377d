// The identity strip of a Chain Check frame: what was sent, in one row of
// large black and white cells that a reader finds and reads through range
// faults, scaling, chroma subsampling and compression.
//
// The row, left to right, 58 cells of equal width on black:
//   start guard  W W B W B                          (cells 0-4)
//   48 data bits, most significant first, 1 white   (cells 5-52)
//   end guard    B W B W W                          (cells 53-57)
// The data bits are five payload bytes and their CRC-8 (polynomial 0x07,
// initial 0, as framestamp/Crc8.h computes it):
//   byte 0  format version (high 4 bits), transfer (2 bits: 0 PQ, 1 HLG,
//           2 SDR), range (1 bit: 0 narrow, 1 full), a zero bit
//   byte 1-2  the "Peak nits" parameter, big-endian
//   byte 3-4  the frame counter, big-endian, wrapping at 65536
//   byte 5  CRC-8 of bytes 0-4
// The guards' white and black cells give the levels a reader thresholds
// the data cells by (midway between them), so no absolute level is assumed.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "signal/Signal.h"

namespace chaincheck {

inline constexpr int kStripVersion = 1;
inline constexpr int kGuardCells = 5;
inline constexpr int kDataBits = 48;
inline constexpr int kStripCells = 2 * kGuardCells + kDataBits;  // 58

// What the strip says.
struct StripContent {
  int version = kStripVersion;
  veltrima::signal::Signal signal;
  int peakNits = 1000;          // 0-65535
  std::uint16_t frame = 0;      // the sender's frame counter
  bool operator==(const StripContent& o) const {
    return version == o.version && signal.transfer == o.signal.transfer &&
           signal.range == o.signal.range && peakNits == o.peakNits && frame == o.frame;
  }
};

// The cells, left to right: true for white. Version and peak outside their
// fields are clamped into them.
using StripCells = std::array<bool, kStripCells>;
StripCells EncodeStrip(const StripContent& content);

// Why cells were not read as a strip.
enum class StripFault { None, Guards, Crc, Field };
struct StripDecode {
  StripFault fault = StripFault::None;
  StripContent content;  // when fault is None
};
// The cells read back: the guards must be as above, the CRC must match and
// the transfer must be one of the three.
StripDecode DecodeStrip(const StripCells& cells);

// Whether cell k of the strip is a guard cell, and its colour there.
bool IsGuardCell(int k);
bool GuardCellWhite(int k);

}  // namespace chaincheck

#include "framestamp/StampCode.h"

#include <algorithm>

#include "framestamp/Crc8.h"
#include "framestamp/TimeOfDay.h"

namespace {

std::uint8_t CrcOfUpperBits(std::uint64_t word) {
  std::uint8_t bytes[7];
  for (int i = 0; i < 7; ++i) bytes[i] = static_cast<std::uint8_t>(word >> (56 - 8 * i));
  return Crc8(bytes, sizeof bytes);
}

}  // namespace

std::uint64_t EncodeStamp(const FrameStamp& stamp) {
  const std::uint64_t frame = stamp.frame % kStampFrameModulus;
  const std::uint64_t ms = stamp.millisecondOfDay % kMillisecondsPerDay;
  const std::uint64_t output = stamp.output % (kStampMaxOutput + 1);
  const std::uint64_t upper = (frame << 40) | (ms << 13) | (output << 8);
  return upper | CrcOfUpperBits(upper);
}

std::optional<FrameStamp> DecodeStamp(std::uint64_t word) {
  if (CrcOfUpperBits(word) != (word & 0xFF)) return std::nullopt;
  FrameStamp stamp;
  stamp.frame = static_cast<std::uint32_t>(word >> 40);
  stamp.millisecondOfDay = static_cast<std::uint32_t>((word >> 13) & ((1u << 27) - 1));
  stamp.output = static_cast<std::uint32_t>((word >> 8) & 0x1F);
  if (stamp.millisecondOfDay >= kMillisecondsPerDay) return std::nullopt;
  return stamp;
}

int StripCellSize(int requested, int width) {
  const int size = std::clamp(requested, kStripMinCellSize, kStripMaxCellSize);
  if (width >= kStripBandCells * size) return size;
  return std::max(0, width / kStripBandCells);
}

StripRect StripBand(int cellSize, int height) {
  return {0, height - kStripBandRows * cellSize, kStripBandCells * cellSize,
          kStripBandRows * cellSize};
}

StripRect StripCell(int cellSize, int height, int index) {
  return {(index + 1) * cellSize, height - 2 * cellSize, cellSize, cellSize};
}

bool StripCellIsWhite(std::uint64_t word, int index) {
  if (index < 0 || index >= kStripCells) return false;
  if (index < kStripGuardCells) return index == 0;                 // white, black
  if (index >= kStripCells - kStripGuardCells) return index == kStripCells - 1;  // black, white
  const int bit = kStripDataCells - 1 - (index - kStripGuardCells);
  return (word >> bit) & 1;
}

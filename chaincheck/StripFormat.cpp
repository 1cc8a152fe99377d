#include "chaincheck/StripFormat.h"

#include <algorithm>

#include "framestamp/Crc8.h"

namespace chaincheck {
namespace {

namespace sig = veltrima::signal;

constexpr std::array<bool, kGuardCells> kStartGuard{true, true, false, true, false};
constexpr std::array<bool, kGuardCells> kEndGuard{false, true, false, true, true};
constexpr int kPayloadBytes = 5;

int TransferBits(sig::Transfer t) { return t == sig::Transfer::Pq ? 0 : t == sig::Transfer::Hlg ? 1 : 2; }

}  // namespace

bool IsGuardCell(int k) { return k < kGuardCells || k >= kGuardCells + kDataBits; }

bool GuardCellWhite(int k) {
  return k < kGuardCells ? kStartGuard[static_cast<std::size_t>(k)]
                         : kEndGuard[static_cast<std::size_t>(k - kGuardCells - kDataBits)];
}

StripCells EncodeStrip(const StripContent& c) {
  const int version = std::clamp(c.version, 0, 15);
  const int peak = std::clamp(c.peakNits, 0, 65535);
  std::array<std::uint8_t, kPayloadBytes + 1> bytes{
      static_cast<std::uint8_t>(version << 4 | TransferBits(c.signal.transfer) << 2 |
                                (c.signal.range == sig::Range::Full ? 1 : 0) << 1),
      static_cast<std::uint8_t>(peak >> 8), static_cast<std::uint8_t>(peak & 0xFF),
      static_cast<std::uint8_t>(c.frame >> 8), static_cast<std::uint8_t>(c.frame & 0xFF), 0};
  bytes[kPayloadBytes] = Crc8(bytes.data(), kPayloadBytes);

  StripCells cells{};
  for (int k = 0; k < kStripCells; ++k) {
    if (IsGuardCell(k)) {
      cells[static_cast<std::size_t>(k)] = GuardCellWhite(k);
      continue;
    }
    const int bit = k - kGuardCells;
    cells[static_cast<std::size_t>(k)] = (bytes[static_cast<std::size_t>(bit / 8)] >> (7 - bit % 8)) & 1;
  }
  return cells;
}

StripDecode DecodeStrip(const StripCells& cells) {
  StripDecode result;
  for (int k = 0; k < kStripCells; ++k)
    if (IsGuardCell(k) && cells[static_cast<std::size_t>(k)] != GuardCellWhite(k)) {
      result.fault = StripFault::Guards;
      return result;
    }
  std::array<std::uint8_t, kPayloadBytes + 1> bytes{};
  for (int bit = 0; bit < kDataBits; ++bit)
    if (cells[static_cast<std::size_t>(kGuardCells + bit)])
      bytes[static_cast<std::size_t>(bit / 8)] |= static_cast<std::uint8_t>(1 << (7 - bit % 8));
  if (Crc8(bytes.data(), kPayloadBytes) != bytes[kPayloadBytes]) {
    result.fault = StripFault::Crc;
    return result;
  }
  const int transfer = bytes[0] >> 2 & 3;
  if (transfer == 3 || (bytes[0] & 1) != 0) {
    result.fault = StripFault::Field;
    return result;
  }
  StripContent& c = result.content;
  c.version = bytes[0] >> 4;
  c.signal.transfer = transfer == 0 ? sig::Transfer::Pq : transfer == 1 ? sig::Transfer::Hlg : sig::Transfer::Sdr;
  c.signal.range = (bytes[0] >> 1 & 1) ? sig::Range::Full : sig::Range::Narrow;
  c.peakNits = bytes[1] << 8 | bytes[2];
  c.frame = static_cast<std::uint16_t>(bytes[3] << 8 | bytes[4]);
  return result;
}

}  // namespace chaincheck

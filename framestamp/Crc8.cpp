#include "framestamp/Crc8.h"

std::uint8_t Crc8(const std::uint8_t* data, std::size_t size) {
  std::uint8_t crc = 0;
  for (std::size_t i = 0; i < size; ++i) {
    crc = static_cast<std::uint8_t>(crc ^ data[i]);
    for (int bit = 0; bit < 8; ++bit)
      crc = static_cast<std::uint8_t>((crc & 0x80) ? (crc << 1) ^ 0x07 : crc << 1);
  }
  return crc;
}

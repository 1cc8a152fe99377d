// CRC-8 with polynomial 0x07, initial value 0, no reflection and no final
// XOR: the check the frame stamp's code strip carries ("123456789" gives
// 0xF4).
#pragma once

#include <cstddef>
#include <cstdint>

std::uint8_t Crc8(const std::uint8_t* data, std::size_t size);

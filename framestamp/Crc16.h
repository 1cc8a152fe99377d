// CRC-16 with polynomial 0x1021, initial value 0xFFFF, no reflection and no
// final XOR (the CCITT "FALSE" variant: "123456789" gives 0x29B1): the check
// over a region code's identity and frame counter.
#pragma once

#include <cstddef>
#include <cstdint>

std::uint16_t Crc16(const std::uint8_t* data, std::size_t size);

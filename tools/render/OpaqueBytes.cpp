#include "tools/render/OpaqueBytes.h"

#include <algorithm>
#include <cstring>

namespace {

// The alpha bytes of two RGBA pixels, whatever the machine's byte order.
std::uint64_t AlphaMask() {
  const std::uint8_t bytes[8] = {0, 0, 0, 255, 0, 0, 0, 255};
  std::uint64_t mask;
  std::memcpy(&mask, bytes, sizeof mask);
  return mask;
}

// Words per block between checks: large enough for the AND to vectorise,
// small enough that a transparent frame stops early.
constexpr std::size_t kBlockWords = 2048;

}  // namespace

bool AllOpaque(const std::uint8_t* rgba, std::size_t bytes) {
  if (!rgba) return true;
  const std::uint64_t mask = AlphaMask();
  const std::size_t words = bytes / 8;
  std::size_t at = 0;
  while (at < words) {
    const std::size_t end = std::min(words, at + kBlockWords);
    std::uint64_t all = ~std::uint64_t{0};
    for (; at < end; ++at) {
      std::uint64_t word;
      std::memcpy(&word, rgba + at * 8, sizeof word);  // mapped memory need not be aligned
      all &= word;
    }
    if ((all & mask) != mask) return false;
  }
  // An odd pixel count leaves one pixel after the last whole word.
  for (std::size_t i = words * 8 + 3; i < bytes; i += 4)
    if (rgba[i] != 255) return false;
  return true;
}

void StraightFromPremultiplied8(const std::uint8_t* in, std::size_t bytes, std::uint8_t* out) {
  if (!in || !out) return;
  for (std::size_t i = 0; i + 3 < bytes; i += 4) {
    const unsigned a = in[i + 3];
    for (std::size_t c = 0; c < 3; ++c) {
      const unsigned value = a == 0 ? 0u : (in[i + c] * 255u + a / 2) / a;
      out[i + c] = static_cast<std::uint8_t>(std::min(value, 255u));
    }
    out[i + 3] = static_cast<std::uint8_t>(a);
  }
}

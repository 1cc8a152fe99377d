#include "tools/render/StraightRgba16.h"

#include <algorithm>
#include <cmath>

namespace {

std::uint16_t ToWord(float value) {
  const float clamped = std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f);
  return static_cast<std::uint16_t>(std::lround(static_cast<double>(clamped) * 65535.0));
}

}  // namespace

void StraightRgba16FromPremultiplied(const float* premultiplied, std::size_t count,
                                     std::uint16_t* out) {
  for (std::size_t i = 0; i + 3 < count; i += 4) {
    const float alpha = premultiplied[i + 3];
    for (std::size_t c = 0; c < 3; ++c)
      out[i + c] = alpha > 0.0f ? ToWord(premultiplied[i + c] / alpha) : 0;
    out[i + 3] = ToWord(alpha);
  }
}

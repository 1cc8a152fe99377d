#include "host/ValueConversion.h"

#include <cmath>
#include <limits>

int RoundClamped(float value, int lo, int hi) {
  if (std::isnan(value) || value <= static_cast<float>(lo)) return lo;
  if (value >= static_cast<float>(hi)) return hi;
  // Strictly inside the range, so the rounded value fits in an int.
  return static_cast<int>(std::lround(value));
}

int RoundSaturated(float value) {
  if (std::isnan(value)) return 0;
  // 2^31 is exactly representable as a float; anything at or beyond it would
  // overflow the conversion.
  constexpr float kLimit = 2147483648.0f;
  if (value >= kLimit) return std::numeric_limits<int>::max();
  if (value <= -kLimit) return std::numeric_limits<int>::min();
  return static_cast<int>(std::lround(value));
}

bool Flag(float value) { return value > 0.5f; }

float Fraction(float value) {
  if (std::isnan(value) || value <= 0.0f) return 0.0f;
  return value >= 1.0f ? 1.0f : value;
}

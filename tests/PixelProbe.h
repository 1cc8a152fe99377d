// Pixel probes for RGBA32F read-back: exact comparisons whose failures say
// where, what was expected and what was observed.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <ostream>

#include "hostkit/RenderTarget.h"

struct Rgba {
  float r = 0, g = 0, b = 0, a = 0;
  constexpr Rgba() = default;
  constexpr Rgba(float red, float green, float blue, float alpha)
      : r(red), g(green), b(blue), a(alpha) {}
  bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
  bool operator!=(const Rgba& o) const { return !(*this == o); }
};

inline std::ostream& operator<<(std::ostream& out, const Rgba& c) {
  return out << "(" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ")";
}

// The output pixel at (x, y), origin at the top-left of the viewport.
inline Rgba PixelAt(const hostkit::RenderTarget& target, int x, int y) {
  const auto p = target.OutputPixel(x, y);
  return {p[0], p[1], p[2], p[3]};
}

inline void ExpectPixel(const hostkit::RenderTarget& target, int x, int y, Rgba expected) {
  const Rgba observed = PixelAt(target, x, y);
  EXPECT_EQ(observed, expected) << "Probe colour at (" << x << "," << y << ")\n  Expected: "
                                << expected << "\n  Observed: " << observed;
}

// Every channel within `tolerance`: for anti-aliased edges only.
inline void ExpectPixelNear(const hostkit::RenderTarget& target, int x, int y, Rgba expected,
                            float tolerance) {
  const Rgba o = PixelAt(target, x, y);
  const bool near = std::abs(o.r - expected.r) <= tolerance &&
                    std::abs(o.g - expected.g) <= tolerance &&
                    std::abs(o.b - expected.b) <= tolerance && std::abs(o.a - expected.a) <= tolerance;
  EXPECT_TRUE(near) << "Probe colour at (" << x << "," << y << ") within " << tolerance
                    << "\n  Expected: " << expected << "\n  Observed: " << o;
}

// Compares the whole viewport with `expected(x, y)`; reports the first
// mismatch and how many pixels differ.
inline void ExpectEveryPixel(const hostkit::RenderTarget& target,
                             const std::function<Rgba(int, int)>& expected) {
  const auto viewport = target.GetViewport();
  const std::vector<float> pixels = target.ReadOutput();
  int mismatches = 0;
  for (int y = 0; y < viewport.height; ++y)
    for (int x = 0; x < viewport.width; ++x) {
      const float* p = &pixels[static_cast<std::size_t>((y * viewport.width + x) * 4)];
      const Rgba observed{p[0], p[1], p[2], p[3]};
      const Rgba want = expected(x, y);
      if (observed != want && mismatches++ == 0)
        ADD_FAILURE() << "Probe colour at (" << x << "," << y << ")\n  Expected: " << want
                      << "\n  Observed: " << observed;
    }
  EXPECT_EQ(mismatches, 0) << "pixels that differ in " << viewport.width << "x"
                           << viewport.height;
}

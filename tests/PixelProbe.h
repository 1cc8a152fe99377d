// The pixel probes of every pixel test: exact comparisons of RGBA32F
// read-back whose failures say where (output coordinates, origin top-left),
// what was expected and what was observed. A probe takes either a `Pixels`
// image read back once, for many probes of one frame, or a render target,
// read at the probed pixel.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

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

inline std::string Where(int x, int y) {
  return "(" + std::to_string(x) + "," + std::to_string(y) + ")";
}

// One frame's output, read back once: width x height RGBA32F, rows top-down.
class Pixels {
 public:
  Pixels(int width, int height, std::vector<float> rgba)
      : width_(width), height_(height), rgba_(std::move(rgba)) {}
  int Width() const { return width_; }
  int Height() const { return height_; }
  Rgba At(int x, int y) const {
    const float* p = &rgba_[static_cast<std::size_t>((y * width_ + x) * 4)];
    return {p[0], p[1], p[2], p[3]};
  }

 private:
  int width_, height_;
  std::vector<float> rgba_;
};

// The target's whole output viewport.
inline Pixels ReadPixels(const hostkit::RenderTarget& target) {
  const auto viewport = target.GetViewport();
  return Pixels(viewport.width, viewport.height, target.ReadOutput());
}

namespace probe_detail {

inline std::string Label(const std::string& what) { return what.empty() ? "pixel" : what; }

inline Rgba OutputPixel(const hostkit::RenderTarget& target, int x, int y) {
  const auto p = target.OutputPixel(x, y);
  return {p[0], p[1], p[2], p[3]};
}

inline bool Near(Rgba o, Rgba e, float tolerance) {
  return std::abs(o.r - e.r) <= tolerance && std::abs(o.g - e.g) <= tolerance &&
         std::abs(o.b - e.b) <= tolerance && std::abs(o.a - e.a) <= tolerance;
}

inline void At(Rgba seen, int x, int y, Rgba expected, const std::string& what) {
  EXPECT_EQ(seen, expected) << Label(what) << " at " << Where(x, y) << "\n  expected "
                            << expected << "\n  observed " << seen;
}

inline void NearAt(Rgba seen, int x, int y, Rgba expected, float tolerance,
                   const std::string& what) {
  EXPECT_TRUE(Near(seen, expected, tolerance))
      << Label(what) << " at " << Where(x, y) << " within " << tolerance << "\n  expected "
      << expected << "\n  observed " << seen;
}

}  // namespace probe_detail

// One pixel equals `expected` exactly.
inline void ExpectAt(const Pixels& f, int x, int y, Rgba expected, const std::string& what = "") {
  probe_detail::At(f.At(x, y), x, y, expected, what);
}
inline void ExpectAt(const hostkit::RenderTarget& target, int x, int y, Rgba expected,
                     const std::string& what = "") {
  probe_detail::At(probe_detail::OutputPixel(target, x, y), x, y, expected, what);
}

// For anti-aliased edges only: every channel within `tolerance`.
inline void ExpectNear(const Pixels& f, int x, int y, Rgba expected, float tolerance,
                       const std::string& what = "") {
  probe_detail::NearAt(f.At(x, y), x, y, expected, tolerance, what);
}

// One pixel is anything but `unexpected`.
inline void ExpectNot(const Pixels& f, int x, int y, Rgba unexpected,
                      const std::string& what = "") {
  const Rgba seen = f.At(x, y);
  EXPECT_NE(seen, unexpected) << probe_detail::Label(what) << " at " << Where(x, y)
                              << "\n  expected anything but " << unexpected << "\n  observed "
                              << seen;
}

// Every pixel of the rectangle [x0, x1] x [y0, y1] (inclusive, clipped to
// the image) equals `expected(x, y)`, or each channel lies within
// `tolerance` of it where one is given; reports how many differ and the first.
inline void ExpectRegion(const Pixels& f, int x0, int y0, int x1, int y1,
                         const std::function<Rgba(int, int)>& expected, const std::string& what,
                         float tolerance = 0.0f) {
  const auto near = [tolerance](const Rgba& a, const Rgba& b) {
    return std::fabs(a.r - b.r) <= tolerance && std::fabs(a.g - b.g) <= tolerance &&
           std::fabs(a.b - b.b) <= tolerance && std::fabs(a.a - b.a) <= tolerance;
  };
  int differing = 0;
  std::ostringstream first;
  for (int y = std::max(y0, 0); y <= std::min(y1, f.Height() - 1); ++y)
    for (int x = std::max(x0, 0); x <= std::min(x1, f.Width() - 1); ++x) {
      const Rgba want = expected(x, y);
      const Rgba seen = f.At(x, y);
      if (seen != want && !(tolerance > 0.0f && near(seen, want)) && differing++ == 0)
        first << "\n  first at " << Where(x, y) << ": expected " << want << ", observed " << seen;
    }
  EXPECT_EQ(differing, 0) << probe_detail::Label(what) << " in " << Where(x0, y0) << " to "
                          << Where(x1, y1) << ": " << differing << " pixels differ"
                          << first.str();
}
inline void ExpectRegion(const Pixels& f, int x0, int y0, int x1, int y1, Rgba expected,
                         const std::string& what) {
  ExpectRegion(f, x0, y0, x1, y1, [&](int, int) { return expected; }, what);
}

// Every pixel's alpha equals `alpha`, whatever its colour.
inline void ExpectAlphaEverywhere(const Pixels& f, float alpha, const std::string& what) {
  int differing = 0;
  std::ostringstream first;
  for (int y = 0; y < f.Height(); ++y)
    for (int x = 0; x < f.Width(); ++x) {
      const Rgba seen = f.At(x, y);
      if (seen.a != alpha && differing++ == 0)
        first << "\n  first at " << Where(x, y) << ": expected alpha " << alpha << ", observed "
              << seen;
    }
  EXPECT_EQ(differing, 0) << probe_detail::Label(what) << ": " << differing
                          << " pixels with another alpha" << first.str();
}

// The whole image.
inline void ExpectEvery(const Pixels& f, const std::function<Rgba(int, int)>& expected,
                        const std::string& what = "output", float tolerance = 0.0f) {
  ExpectRegion(f, 0, 0, f.Width() - 1, f.Height() - 1, expected, what, tolerance);
}
inline void ExpectEvery(const hostkit::RenderTarget& target,
                        const std::function<Rgba(int, int)>& expected,
                        const std::string& what = "output", float tolerance = 0.0f) {
  ExpectEvery(ReadPixels(target), expected, what, tolerance);
}

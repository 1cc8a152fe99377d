// Colour: a straight (not premultiplied) RGBA colour as the shape lists and
// their shaders take it, channels 0 to 1.
#pragma once

namespace shapes {

struct Colour {
  float r = 0, g = 0, b = 0, a = 1;
};

constexpr Colour kBlack{0, 0, 0, 1};
constexpr Colour kWhite{1, 1, 1, 1};

// `c` with its red, green and blue scaled by `brightness` (alpha kept): what
// a product's brightness setting makes of every colour it draws.
inline Colour Dimmed(const Colour& c, float brightness) {
  return {c.r * brightness, c.g * brightness, c.b * brightness, c.a};
}

}  // namespace shapes

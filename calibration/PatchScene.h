// What a calibration program asks the wall to show: a background and
// rectangles drawn in order over it, every colour a 10-bit code triple and
// every rectangle a share of the output, so the same scene draws at any
// output size.
#pragma once

#include <cstdint>
#include <vector>

namespace calibration {

// Code values are 0-1023 per channel, as the HDR plug-in draws them.
constexpr int kMaxCode10 = 1023;

struct Codes {
  uint16_t red = 0;
  uint16_t green = 0;
  uint16_t blue = 0;
  friend bool operator==(const Codes& a, const Codes& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
  }
  friend bool operator!=(const Codes& a, const Codes& b) { return !(a == b); }
};

// The 10-bit code a value of `bits` bits stands for: round(v * 1023 /
// (2^bits - 1)). 8-bit 255 becomes 1023; 10-bit values pass unchanged.
// `bits` is 1 to 16 and `value` under 2^bits (the message parsers check both).
uint16_t ToCode10(uint32_t value, int bits);

// A rectangle's place as fractions of the output: top-left corner and size.
struct Geometry {
  double x = 0.0;
  double y = 0.0;
  double width = 1.0;
  double height = 1.0;
};

// Whole-pixel edges: left and top inclusive, right and bottom exclusive,
// rows counted from the top of the picture.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const PixelRect& a, const PixelRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
};

// Each edge is its fraction times the output size, rounded to the nearest
// pixel (halves up) and kept inside the output.
PixelRect EdgesAt(const Geometry& geometry, int outputWidth, int outputHeight);

struct PatchRectangle {
  Codes colour;
  Geometry geometry;
};

struct PatchScene {
  Codes background;
  std::vector<PatchRectangle> rectangles;  // drawn in this order
};

}  // namespace calibration

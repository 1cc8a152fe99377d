// What a calibration program asks the wall to show: a background and
// rectangles drawn in order over it, every colour the values the program
// sent and every rectangle a share of the output, so the same scene draws at
// any output size and in any range.
#pragma once

#include <cstdint>
#include <vector>

namespace calibration {

// A colour as the calibration program sent it: three values of `bits` bits
// (8 or 10), each under 2^bits. Which 10-bit codes they become on the wall
// depends on the signal's range and the "Patch Levels" option
// (calibration/PatchLevels.h), so the scene keeps them as they came.
struct SentCodes {
  uint16_t red = 0;
  uint16_t green = 0;
  uint16_t blue = 0;
  uint8_t bits = 10;
  friend bool operator==(const SentCodes& a, const SentCodes& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.bits == b.bits;
  }
  friend bool operator!=(const SentCodes& a, const SentCodes& b) { return !(a == b); }
};

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
  SentCodes colour;
  Geometry geometry;
};

struct PatchScene {
  SentCodes background;
  std::vector<PatchRectangle> rectangles;  // drawn in this order
};

}  // namespace calibration

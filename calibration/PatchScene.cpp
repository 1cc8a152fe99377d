#include "calibration/PatchScene.h"

#include <algorithm>
#include <cmath>

namespace calibration {

uint16_t ToCode10(uint32_t value, int bits) {
  const uint64_t largest = (uint64_t{1} << bits) - 1;
  // round(v * 1023 / largest) in integers, halves up.
  const uint64_t scaled = (uint64_t{value} * kMaxCode10 * 2 + largest) / (largest * 2);
  return static_cast<uint16_t>(std::min<uint64_t>(scaled, kMaxCode10));
}

namespace {

int EdgeAt(double fraction, int size) {
  const double pixels = std::floor(fraction * size + 0.5);
  return static_cast<int>(std::clamp(pixels, 0.0, static_cast<double>(size)));
}

}  // namespace

PixelRect EdgesAt(const Geometry& geometry, int outputWidth, int outputHeight) {
  PixelRect edges;
  edges.left = EdgeAt(geometry.x, outputWidth);
  edges.top = EdgeAt(geometry.y, outputHeight);
  edges.right = std::max(edges.left, EdgeAt(geometry.x + geometry.width, outputWidth));
  edges.bottom = std::max(edges.top, EdgeAt(geometry.y + geometry.height, outputHeight));
  return edges;
}

}  // namespace calibration

#include "calibration/PatchScene.h"

#include <algorithm>
#include <cmath>

namespace calibration {

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

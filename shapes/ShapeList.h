// ShapeList: the flat 2D shapes of one frame, on the CPU, in the order they
// are drawn (later ones cover earlier ones). Rectangles are axis-aligned, in
// output pixels with the origin at the top-left and y down; one whose edges
// lie on whole pixels covers exactly the pixels inside it. No GL here: a
// ShapeRenderer draws a list, and tests can read one without a context.
#pragma once

#include <cstddef>
#include <vector>

#include "shapes/Colour.h"
#include "shapes/Rect.h"

namespace shapes {

// Floats per rectangle in the instance data: left, top, right, bottom, then
// red, green, blue, alpha.
constexpr std::size_t kFloatsPerRect = 8;

class ShapeList {
 public:
  // Appends a rectangle; an empty one is left out.
  void AddRect(const Rect& rect, const Colour& colour);
  void Clear() { data_.clear(); }

  std::size_t RectCount() const { return data_.size() / kFloatsPerRect; }
  const std::vector<float>& InstanceData() const { return data_; }
  // Rectangle `index` as added.
  Rect RectAtIndex(std::size_t index) const;
  Colour ColourAtIndex(std::size_t index) const;
  // The colour of the last rectangle that covers the pixel, or `background`.
  Colour ColourAt(int x, int y, const Colour& background) const;

 private:
  std::vector<float> data_;
};

}  // namespace shapes

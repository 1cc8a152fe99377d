// ShapeList: the flat 2D shapes of one frame, on the CPU, in the order they
// are drawn (later ones cover earlier ones). Rectangles are axis-aligned, in
// output pixels with the origin at the top-left and y down; one whose edges
// lie on whole pixels covers exactly the pixels inside it. No GL here: a
// ShapeRenderer draws a list, and tests can read one without a context.
#pragma once

#include <cstddef>
#include <vector>

namespace shapes {

struct Colour {
  float r = 0, g = 0, b = 0, a = 1;
};

constexpr Colour kBlack{0, 0, 0, 1};
constexpr Colour kWhite{1, 1, 1, 1};

// A rectangle's edges: [x0, x1) x [y0, y1).
struct Rect {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  int Width() const { return x1 - x0; }
  int Height() const { return y1 - y0; }
  bool Empty() const { return x1 <= x0 || y1 <= y0; }
  bool Contains(int x, int y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
  bool Overlaps(const Rect& o) const {
    return !Empty() && !o.Empty() && x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1;
  }
};

// A rectangle of width x height at (x, y).
inline Rect RectAt(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }

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

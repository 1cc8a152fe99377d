// Rect: an axis-aligned rectangle in output pixels, the origin at the
// top-left and y down. One whose edges lie on whole pixels covers exactly
// the pixels inside it.
#pragma once

namespace shapes {

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

}  // namespace shapes

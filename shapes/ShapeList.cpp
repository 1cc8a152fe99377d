#include "shapes/ShapeList.h"

namespace shapes {

void ShapeList::AddRect(const Rect& rect, const Colour& colour) {
  if (rect.Empty()) return;
  // Pixel edges of any output GL can draw (at most 2^24) are exact floats.
  data_.insert(data_.end(), {static_cast<float>(rect.x0), static_cast<float>(rect.y0),
                             static_cast<float>(rect.x1), static_cast<float>(rect.y1), colour.r,
                             colour.g, colour.b, colour.a});
}

Rect ShapeList::RectAtIndex(std::size_t index) const {
  const float* d = &data_[index * kFloatsPerRect];
  return {static_cast<int>(d[0]), static_cast<int>(d[1]), static_cast<int>(d[2]),
          static_cast<int>(d[3])};
}

Colour ShapeList::ColourAtIndex(std::size_t index) const {
  const float* d = &data_[index * kFloatsPerRect + 4];
  return {d[0], d[1], d[2], d[3]};
}

Colour ShapeList::ColourAt(int x, int y, const Colour& background) const {
  for (std::size_t i = RectCount(); i-- > 0;)
    if (RectAtIndex(i).Contains(x, y)) return ColourAtIndex(i);
  return background;
}

}  // namespace shapes

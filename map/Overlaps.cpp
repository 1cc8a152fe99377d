#include "map/Overlaps.h"

#include <algorithm>
#include <numeric>

Overlaps FindOverlaps(const std::vector<shapes::Rect>& rects) {
  Overlaps found;
  std::vector<std::size_t> order(rects.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return rects[a].x0 < rects[b].x0; });
  std::vector<bool> member(rects.size(), false);
  std::vector<std::size_t> open;  // rectangles whose right edge lies past the sweep
  for (std::size_t index : order) {
    const shapes::Rect& r = rects[index];
    if (r.Empty()) continue;
    open.erase(std::remove_if(open.begin(), open.end(),
                              [&](std::size_t o) { return rects[o].x1 <= r.x0; }),
               open.end());
    for (std::size_t o : open) {
      const shapes::Rect& other = rects[o];
      if (!r.Overlaps(other)) continue;
      ++found.pairs;
      member[index] = member[o] = true;
      if (found.rects.size() < kMaxOverlapRects)
        found.rects.push_back({std::max(r.x0, other.x0), std::max(r.y0, other.y0),
                               std::min(r.x1, other.x1), std::min(r.y1, other.y1)});
    }
    open.push_back(index);
  }
  for (std::size_t i = 0; i < member.size(); ++i)
    if (member[i]) found.members.push_back(i);
  return found;
}

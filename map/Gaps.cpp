#include "map/Gaps.h"

#include <algorithm>
#include <map>
#include <utility>

using shapes::Rect;

std::optional<std::vector<Rect>> FindGaps(const std::vector<Rect>& rects, const Rect& area,
                                          std::size_t budget) {
  std::vector<Rect> inside;
  std::vector<int> edges = {area.y0, area.y1};
  for (const Rect& r : rects) {
    const Rect c = {std::max(r.x0, area.x0), std::max(r.y0, area.y0), std::min(r.x1, area.x1),
                    std::min(r.y1, area.y1)};
    if (c.Empty()) continue;
    inside.push_back(c);
    edges.push_back(c.y0);
    edges.push_back(c.y1);
  }
  std::vector<Rect> gaps;
  if (area.Empty()) return gaps;
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  std::sort(inside.begin(), inside.end(), [](const Rect& a, const Rect& b) { return a.y0 < b.y0; });

  std::size_t work = 0, next = 0;
  std::vector<Rect> active;
  std::vector<std::pair<int, int>> spans;
  // Gap rectangles still growing, by their span: index into gaps.
  std::map<std::pair<int, int>, std::size_t> open;
  for (std::size_t k = 0; k + 1 < edges.size(); ++k) {
    const int top = edges[k], bottom = edges[k + 1];
    active.erase(std::remove_if(active.begin(), active.end(), [&](const Rect& r) { return r.y1 <= top; }),
                 active.end());
    while (next < inside.size() && inside[next].y0 <= top) active.push_back(inside[next++]);
    work += active.size() + 1;
    if (work > budget) return std::nullopt;

    spans.clear();
    for (const Rect& r : active) spans.emplace_back(r.x0, r.x1);
    std::sort(spans.begin(), spans.end());
    std::map<std::pair<int, int>, std::size_t> stillOpen;
    int x = area.x0;
    auto gap = [&](int x0, int x1) {
      if (x1 <= x0) return;
      const auto found = open.find({x0, x1});
      if (found != open.end() && gaps[found->second].y1 == top) {
        gaps[found->second].y1 = bottom;
        stillOpen.emplace(found->first, found->second);
      } else {
        stillOpen.emplace(std::make_pair(x0, x1), gaps.size());
        gaps.push_back({x0, top, x1, bottom});
      }
    };
    for (const auto& [x0, x1] : spans) {
      gap(x, x0);
      x = std::max(x, x1);
    }
    gap(x, area.x1);
    open = std::move(stillOpen);
  }
  return gaps;
}

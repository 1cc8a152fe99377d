#include "map/InfoPlacement.h"

#include <algorithm>
#include <numeric>

#include "shapes/GlyphText.h"

using shapes::Rect;

namespace {

bool TouchesAny(const Rect& plate, const std::vector<Rect>& rects) {
  for (const Rect& r : rects)
    if (plate.Overlaps(r)) return true;
  return false;
}

bool Inside(const Rect& plate, const Rect& area) {
  return plate.x0 >= area.x0 && plate.y0 >= area.y0 && plate.x1 <= area.x1 && plate.y1 <= area.y1;
}

// `plate` moved to (x, y) and then into `area` where it sticks out.
Rect MovedInto(const Rect& plate, int x, int y, const Rect& area) {
  x = std::max(area.x0, std::min(x, area.x1 - plate.Width()));
  y = std::max(area.y0, std::min(y, area.y1 - plate.Height()));
  return shapes::RectAt(x, y, plate.Width(), plate.Height());
}

long long Area(const Rect& r) { return static_cast<long long>(r.Width()) * r.Height(); }

}  // namespace

Rect PlateOf(const std::vector<int>& glyphCounts, int scale, int x, int y) {
  int widest = 0, total = 0;
  for (std::size_t i = 0; i < glyphCounts.size(); ++i) {
    widest = std::max(widest, shapes::TextWidth(glyphCounts[i], scale));
    total += shapes::TextHeight(scale) + (i > 0 ? 2 * scale : 0);
  }
  const int pad = 2 * scale;
  return shapes::RectAt(x, y, widest + 2 * pad, total + 2 * pad);
}

std::optional<InfoPlace> PlaceInGaps(const std::vector<Rect>& gaps, const std::vector<Rect>& cabinets,
                                     const Rect& output, const std::vector<int>& glyphCounts,
                                     int scale) {
  const Rect plate = PlateOf(glyphCounts, scale, 0, 0);
  if (plate.Width() > output.Width() || plate.Height() > output.Height()) return std::nullopt;
  std::vector<std::size_t> order(gaps.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return Area(gaps[a]) > Area(gaps[b]); });
  if (order.size() > kGapsTried) order.resize(kGapsTried);
  for (std::size_t index : order) {
    const Rect& gap = gaps[index];
    // Centred in the gap, then against each of its corners: a gap rectangle
    // may be part of a larger empty area the plate can reach into.
    const int cx = (gap.x0 + gap.x1 - plate.Width()) / 2;
    const int cy = (gap.y0 + gap.y1 - plate.Height()) / 2;
    const int xs[] = {cx, gap.x0, gap.x1 - plate.Width(), gap.x0, gap.x1 - plate.Width()};
    const int ys[] = {cy, gap.y0, gap.y0, gap.y1 - plate.Height(), gap.y1 - plate.Height()};
    for (int k = 0; k < 5; ++k) {
      const Rect at = MovedInto(plate, xs[k], ys[k], output);
      if (at.Overlaps(gap) && !TouchesAny(at, cabinets)) return InfoPlace{at, scale};
    }
  }
  return std::nullopt;
}

std::optional<InfoPlace> PlaceInCabinet(const Rect& inner, const std::vector<Rect>& texts,
                                        const std::vector<Rect>& others,
                                        const std::vector<int>& glyphCounts, int scale) {
  if (inner.Empty()) return std::nullopt;
  // The bands across the cabinet between its texts' rows.
  std::vector<std::pair<int, int>> taken;
  for (const Rect& t : texts)
    if (t.Overlaps(inner)) taken.emplace_back(std::max(t.y0, inner.y0), std::min(t.y1, inner.y1));
  std::sort(taken.begin(), taken.end());
  Rect band{}, best{};
  int top = inner.y0;
  auto consider = [&](int bottom) {
    band = {inner.x0, top, inner.x1, bottom};
    if (!band.Empty() && band.Height() > best.Height()) best = band;
  };
  for (const auto& [y0, y1] : taken) {
    consider(y0);
    top = std::max(top, y1);
  }
  consider(inner.y1);
  if (best.Empty()) return std::nullopt;
  for (int s = scale; s >= 1; --s) {
    const Rect plate = PlateOf(glyphCounts, s, 0, 0);
    if (plate.Width() > best.Width() || plate.Height() > best.Height()) continue;
    const Rect at = shapes::RectAt((best.x0 + best.x1 - plate.Width()) / 2,
                                   (best.y0 + best.y1 - plate.Height()) / 2, plate.Width(),
                                   plate.Height());
    if (Inside(at, inner) && !TouchesAny(at, others)) return InfoPlace{at, s};
    return std::nullopt;
  }
  return std::nullopt;
}

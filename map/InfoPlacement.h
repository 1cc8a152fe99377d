// Where the map's own words go (the info line and its size line): never over
// a cabinet's texts, mark or border. First the largest gap of the layout
// that holds the plate whole, at the lines' own scale or the largest smaller
// one a gap holds; where no gap does, inside the largest cabinet, in the tallest band across it that its own
// texts leave clear, at a smaller scale if it must; else nowhere (the
// caller leaves the lines out and says why).
#pragma once

#include <optional>
#include <vector>

#include "shapes/ShapeList.h"

struct InfoPlace {
  shapes::Rect plate;  // the plate; the lines sit centred inside it
  int scale = 1;
};

// The plate of lines of these glyph counts at `scale`: the widest line and
// every line's height, two glyph pixels between lines and around them.
shapes::Rect PlateOf(const std::vector<int>& glyphCounts, int scale, int x, int y);

// The plate of `glyphCounts` at `scale` in the largest of `gaps` (sorted by
// area, at most kGapsTried of them) where it touches none of `cabinets` and
// stays inside `output`.
std::optional<InfoPlace> PlaceInGaps(const std::vector<shapes::Rect>& gaps,
                                     const std::vector<shapes::Rect>& cabinets,
                                     const shapes::Rect& output,
                                     const std::vector<int>& glyphCounts, int scale);

// The plate inside `inner` (a cabinet inside its border) in the tallest band
// across it that none of `texts` (the cabinet's own texts and mark) reaches,
// at `scale` or the largest smaller scale that fits; it must touch none of
// `others` (the other cabinets).
std::optional<InfoPlace> PlaceInCabinet(const shapes::Rect& inner,
                                        const std::vector<shapes::Rect>& texts,
                                        const std::vector<shapes::Rect>& others,
                                        const std::vector<int>& glyphCounts, int scale);

constexpr std::size_t kGapsTried = 4096;

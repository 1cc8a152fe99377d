// The pixels of an area that no rectangle covers, as rectangles: the area is
// cut into bands at every rectangle's top and bottom edge, each band's
// uncovered spans are the complement of its rectangles' merged spans, and a
// span that continues into the next band grows downwards instead of starting
// a new rectangle. A wall of 50 x 40 cabinets costs about 2,000 span steps;
// a pile of cabinets whose bands each cross thousands of others costs more
// than `budget` steps, and then no answer is given (the caller hatches the
// whole area under the cabinets instead).
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "shapes/ShapeList.h"

// Span steps allowed for one call: far beyond any real wall, small enough
// that a pathological file costs milliseconds.
constexpr std::size_t kGapWorkBudget = 4000000;

std::optional<std::vector<shapes::Rect>> FindGaps(const std::vector<shapes::Rect>& rects,
                                                  const shapes::Rect& area,
                                                  std::size_t budget = kGapWorkBudget);

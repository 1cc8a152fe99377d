// Where the cabinets of one screen overlap: every pair whose rectangles
// share a pixel, found with a sweep along x (cabinets sorted by left edge,
// each compared only with those still open at its left edge), so walls
// whose cabinets lie side by side cost about n log n.
#pragma once

#include <cstddef>
#include <vector>

#include "shapes/ShapeList.h"

// The most overlap rectangles kept for drawing; pairs beyond it are still
// counted. 10,000 cabinets stacked on one spot make 50 million pairs, and
// drawing them all would show nothing more than drawing these.
constexpr std::size_t kMaxOverlapRects = 20000;

struct Overlaps {
  std::size_t pairs = 0;               // every overlapping pair
  std::vector<shapes::Rect> rects;     // their intersections, the first kMaxOverlapRects
  std::vector<std::size_t> members;    // every rectangle in a pair, once, ascending
};

Overlaps FindOverlaps(const std::vector<shapes::Rect>& rects);

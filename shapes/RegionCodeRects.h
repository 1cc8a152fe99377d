// The rectangles that draw a region code (framestamp/RegionCode.h) of cells
// of s x s output pixels with its top-left corner (quiet ring included) at
// (x, y): what SYNC draws in every region and MAP in every cabinet. White
// runs of a row are one rectangle, carried down over the rows below that have
// the very same run (the stripe's column in one piece on odd frames): fewer
// rectangles, which is what a frame of thousands of codes costs.
//
// A plug-in that keeps its picture from frame to frame draws the static part
// once (the rings and the identity, the dynamic cells left black) and the
// dynamic part's white cells over the kept copy each frame.
#pragma once

#include <vector>

#include "framestamp/RegionCode.h"
#include "shapes/Rect.h"

namespace shapes {

enum class RegionCodePart {
  Whole,    // every cell as `data` has it
  Static,   // the rings, corners and identity; the dynamic cells black
  Dynamic,  // the white dynamic cells alone (nothing for the rest)
};

struct CodeRect {
  Rect rect;
  bool white = true;
};

// In drawing order: Whole and Static start with the white square of the
// whole code and the black square inside the quiet ring.
std::vector<CodeRect> RegionCodeRects(const RegionCodeData& data, int x, int y, int s,
                                      RegionCodePart part);

}  // namespace shapes

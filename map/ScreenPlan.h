// What one screen of a layout holds, worked out once when the layout or the
// screen changes (never per frame): its cabinets as pixel rectangles, its
// canvas, its overlaps and the links of its ports' chains.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "map/Overlaps.h"
#include "map/layout/Layout.h"
#include "shapes/ShapeList.h"

// One arrow of a chain: from cabinet `from` to the next one, `to` (indices
// into ScreenPlan::cabinets), on `port`.
struct ChainLink {
  std::size_t from = 0, to = 0;
  int port = 0;
};

struct ScreenPlan {
  int screen = 1;       // 1-based, as asked for
  int screenCount = 0;  // screens the layout has
  std::string screenName;
  std::vector<const layout::Cabinet*> cabinets;  // this screen's, in file order
  std::vector<shapes::Rect> rects;               // their rectangles, in the same order
  std::vector<std::size_t> indices;              // their indices in the layout, in the same order
  long canvasW = 0, canvasH = 0;  // the file's canvas, or the screen's extent from 0,0
  Overlaps overlaps;
  std::vector<ChainLink> links;
};

// The layout must outlive the plan (the plan points into it).
ScreenPlan PlanScreen(const layout::Layout& layout, int screen);

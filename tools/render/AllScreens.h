// --all-screens: one PNG per screen of the MAP plug-in's layout file, each at
// its screen's canvas. The tool reads the file with the plug-in's own
// parsers (map/layout), so it learns the same screens the plug-in will draw.
#pragma once

#include <string>
#include <vector>

#include "map/layout/Layout.h"
#include "tools/render/RenderLimits.h"

// The MAP plug-in's parameters that --all-screens reads and sets, by the
// names the plug-in reports (tests/render holds them to map/Parameters.cpp).
constexpr char kMapFileParameterName[] = "Map File";
constexpr char kMapScreenParameterName[] = "Screen";

// The canvas a screen is drawn on unscaled, by the plug-in's own rule
// (map/ScreenPlan.cpp): the file's canvas where it states one, for every
// screen, since the file's cabinets are placed on that one canvas; else the
// bounding box of that screen's cabinets measured from 0,0. From 0,0 and not
// from the screen's own top-left, because the plug-in draws layout pixels as
// output pixels from the output's top-left: a side wall at x 2250 lies at
// x 2250 of its output, so a tighter box would cut it off. 0 x 0 for a screen
// with no cabinets (or only left of or above the origin) and no file canvas.
layout::Extent ScreenCanvas(const layout::Layout& layout, int screen);

struct ScreenImage {
  int screen = 1;    // 1-based, the value the "Screen" parameter gets
  Size size;         // its canvas
  std::string path;  // <output stem>-<screen><output extension>
};

// The PNGs for the layout at `layoutPath`, one per screen of it, named after
// `output` (wall.png -> wall-1.png, wall-2.png, ... beside it). Throws
// UsageError with the parser's one line, "wall.csv: LINE 12: W IS NOT A
// NUMBER", for a file that does not load, and for a canvas beyond int. A
// screen without a canvas (0 x 0) gets no PNG: it is left out with a warning
// through `warn`.
std::vector<ScreenImage> PlanScreenImages(const std::string& layoutPath, const std::string& output,
                                          void (*warn)(const std::string&));

// The same for a layout already read; `layoutName` names the file in messages.
std::vector<ScreenImage> PlanScreenImages(const layout::Layout& layout,
                                          const std::string& layoutName,
                                          const std::string& output,
                                          void (*warn)(const std::string&));

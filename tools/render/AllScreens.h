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

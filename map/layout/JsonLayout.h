// Reads a layout from JSON text:
//
//   {"version": 1, "canvas": {"w": 1920, "h": 1080},
//    "screens": ["Main"],
//    "cabinets": [{"id": "A1", "x": 0, "y": 0, "w": 500, "h": 500,
//                  "label": "A1", "rot": 0, "port": "A", "chain": 1, "screen": 1}]}
//
// Limits: kMaxFileBytes of text, kMaxCabinets cabinets, nesting of
// kMaxJsonDepth (map/layout/Limits.h).
//
// What it accepts: "cabinets" is required and holds objects with the CSV
// columns' keys (lower case, exact); id, x, y, w, h are required, the rest
// optional, unknown keys are ignored. "version" may be left out; if given it
// is 1. "canvas" is optional (both w and h when given); "screens" is an
// optional list of screen names (index = screen - 1). A number may also be
// written as a string ("500"), and an id or label as a number. null counts
// as absent. Errors name the JSON path, 0-based: "CABINETS[3].W IS NOT A
// NUMBER"; a syntax error names the line and column nlohmann/json stopped at.
#pragma once

#include <string_view>

#include "map/layout/Layout.h"
#include "map/layout/LayoutError.h"

namespace layout {

Result<Layout> ParseJsonLayout(std::string_view text);

}  // namespace layout

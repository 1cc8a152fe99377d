// A cabinet's frame code with "Frame Codes" on: the region code
// (framestamp/RegionCode.h) whose region index is the cabinet's index in the
// layout, so that one photo of the wall says, through the layout, which
// cabinet, port and chain shows which frame.
//
// It sits at the left of the cabinet's inner rectangle, one cell in from the
// border and centred from top to bottom, beside the label (which keeps clear
// of it), clear of the orientation mark and the corner tags; its cells are of
// the size asked for or the largest under it that fit there, the code taking
// at most half the inner width. A cabinet with no room for cells of
// kMinRegionCellSize carries none.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "shapes/FigureList.h"
#include "shapes/Rect.h"
#include "shapes/ShapeList.h"

struct CabinetCode {
  std::uint32_t region = 0;  // the cabinet's index in the layout
  int x = 0, y = 0;          // the code's top-left corner, quiet ring included
  int cell = 0;              // output pixels per cell
  shapes::Rect Box() const;
};

// Where the code of cabinet `region` goes in `cabinet`, clear of `keepClear`;
// empty where it does not fit or the index is past kRegionMaxIndex.
std::optional<CabinetCode> PlaceCabinetCode(std::uint32_t region, const shapes::Rect& cabinet,
                                            int lineWidth, int requestedCell,
                                            const std::vector<shapes::Rect>& keepClear);

// The code's part that never changes (rings, corners, identity; the dynamic
// cells black) into the kept picture's figures.
void AddCabinetCodeStatic(shapes::FigureList& list, const CabinetCode& code, std::uint32_t output,
                          float brightness);
// The white dynamic cells (counter, CRC, stripe) of frame `frame`, drawn over
// the kept picture's copy each frame.
void AddCabinetCodeDynamic(shapes::ShapeList& list, const CabinetCode& code, std::uint32_t output,
                           std::uint64_t frame, float brightness);

// A SYNC frame with "Region Codes" on: black, a dim outline along each
// region's right and bottom edges so people see the grid, and in every region
// its code (framestamp/RegionCode.h) for this frame, white and black at full
// strength whatever the brightness, with its label under it. Codes of small
// cells (up to shapes::kMaxShadedCodeCell) go to a list of their own, drawn
// after the shapes by shapes::RegionCodeRenderer: as rectangles they were
// most of a fine grid's cost. Larger ones are rectangles of the list, which
// cost less there.
#pragma once

#include <cstdint>

#include <vector>

#include "shapes/RegionCodeRenderer.h"
#include "shapes/ShapeList.h"
#include "sync/RegionGrid.h"

void ComposeRegionFrame(const RegionGrid& grid, std::uint32_t output, std::uint64_t frame,
                        float brightness, shapes::ShapeList& list,
                        std::vector<shapes::PlacedRegionCode>& codes);

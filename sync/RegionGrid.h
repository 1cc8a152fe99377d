// Where SYNC's region codes go when "Region Codes" is on: the output cut into
// columns x rows regions (region index = row * columns + column, from the
// top-left), each with its code centred and, where there is room, its label
// "output.region" under it. Every code has the same cell size: the size asked
// for, or the largest whose 13 cells fit the smallest region.
#pragma once

#include <string>
#include <vector>

#include "shapes/Rect.h"

struct RegionPlace {
  shapes::Rect region;  // the region's own rectangle of the output
  int codeX = 0, codeY = 0;  // the code's top-left corner (quiet ring included)
  shapes::Rect label;   // empty when the label does not fit
};

struct RegionGrid {
  int width = 0, height = 0, columns = 0, rows = 0;
  int cellSize = 0;     // output pixels per code cell; 0: no codes fit
  int labelScale = 0;   // glyph scale of the labels; 0: none
  std::vector<RegionPlace> places;  // by region index
  std::vector<std::string> leftOut;  // what does not fit, and why
};

// The grid for an output of width x height, columns and rows clamped to
// 1..64 and the cell size asked for to 2..64; no codes where cells of 2
// pixels do not fit.
RegionGrid ComputeRegionGrid(int width, int height, int columns, int rows, int requestedCellSize);

// The label's text for region `index` of output `output`: "3.17".
std::string RegionLabel(unsigned output, int index);

#include "sync/RegionGrid.h"

#include <algorithm>

#include "framestamp/RegionCode.h"
#include "shapes/GlyphText.h"
#include "sync/Layout.h"
#include "sync/Parameters.h"

namespace {

// The widest label the grid is sized for: "31.4095".
constexpr int kRegionLabelGlyphs = 7;

// Edge `i` of `count` equal parts of `length`.
int Edge(int length, int count, int i) {
  return static_cast<int>(static_cast<long long>(length) * i / count);
}

}  // namespace

std::string RegionLabel(unsigned output, int index) {
  return std::to_string(output) + "." + std::to_string(index);
}

RegionGrid ComputeRegionGrid(int width, int height, int columns, int rows, int requestedCellSize) {
  RegionGrid g;
  g.width = std::clamp(width, 0, kMaxLayoutDimension);
  g.height = std::clamp(height, 0, kMaxLayoutDimension);
  g.columns = std::clamp(columns, 1, kMaxRegionGridSide);
  g.rows = std::clamp(rows, 1, kMaxRegionGridSide);
  const int requested = std::clamp(requestedCellSize, kMinRegionCellSize, kMaxRegionCellSize);
  const int smallest = std::min(g.width / g.columns, g.height / g.rows);
  g.cellSize = std::min(requested, smallest / kRegionCodeSide);
  if (g.cellSize < kMinRegionCellSize) {
    g.cellSize = 0;
    g.leftOut.push_back("Region Codes: regions of " + std::to_string(g.width / g.columns) + "x" +
                        std::to_string(g.height / g.rows) + " px hold no code of " +
                        std::to_string(kRegionCodeSide) + " cells of " + std::to_string(kMinRegionCellSize) +
                        " px; no codes drawn");
  } else if (g.cellSize < requested) {
    g.leftOut.push_back("Region Codes: cells of " + std::to_string(g.cellSize) + " px, not " +
                        std::to_string(requested) + ", so that every region holds its code");
  }
  const int side = kRegionCodeSide * g.cellSize;
  // Labels at one scale for the whole grid: at most half a cell per glyph
  // pixel, under the code with a gap of one cell.
  const int roomBelow = g.height / g.rows - side - 2 * g.cellSize;
  g.labelScale = g.cellSize > 0
                     ? std::min(std::max(1, g.cellSize / 2),
                                shapes::FittingScale(kRegionLabelGlyphs, g.width / g.columns - 2, roomBelow))
                     : 0;
  const int labelHeight = g.labelScale > 0 ? g.cellSize + shapes::TextHeight(g.labelScale) : 0;

  g.places.reserve(static_cast<std::size_t>(g.columns * g.rows));
  for (int r = 0; r < g.rows; ++r)
    for (int c = 0; c < g.columns; ++c) {
      RegionPlace p;
      p.region = {Edge(g.width, g.columns, c), Edge(g.height, g.rows, r), Edge(g.width, g.columns, c + 1),
                  Edge(g.height, g.rows, r + 1)};
      p.codeX = p.region.x0 + (p.region.Width() - side) / 2;
      p.codeY = p.region.y0 + (p.region.Height() - side - labelHeight) / 2;
      if (g.labelScale > 0) {
        const int top = p.codeY + side + g.cellSize;
        p.label = {p.region.x0 + 1, top, p.region.x1 - 1, top + shapes::TextHeight(g.labelScale)};
      }
      g.places.push_back(p);
    }
  return g;
}

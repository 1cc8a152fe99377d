#include "shapes/RegionCodeRects.h"

namespace shapes {

namespace {

constexpr int N = kRegionCodeDataSide;

// Whether data cell (row, column) is drawn white for `part`.
bool Lit(const RegionCodeData& data, RegionCodePart part, int row, int column) {
  if (!data[static_cast<std::size_t>(row * N + column)]) return false;
  switch (part) {
    case RegionCodePart::Static: return !RegionCodeDataCellIsDynamic(row, column);
    case RegionCodePart::Dynamic: return RegionCodeDataCellIsDynamic(row, column);
    default: return true;
  }
}

// Whether data row `row` holds a lit run from `column` up to (not including)
// `end`, unlit or the square's edge on either side.
bool SameRun(const RegionCodeData& data, RegionCodePart part, int row, int column, int end) {
  if (column > 0 && Lit(data, part, row, column - 1)) return false;
  if (end < N && Lit(data, part, row, end)) return false;
  for (int c = column; c < end; ++c)
    if (!Lit(data, part, row, c)) return false;
  return true;
}

}  // namespace

std::vector<CodeRect> RegionCodeRects(const RegionCodeData& data, int x, int y, int s,
                                      RegionCodePart part) {
  std::vector<CodeRect> rects;
  if (s <= 0) return rects;
  if (part != RegionCodePart::Dynamic) {
    const int side = kRegionCodeSide * s;
    rects.push_back({RectAt(x, y, side, side), true});
    rects.push_back({RectAt(x + s, y + s, side - 2 * s, side - 2 * s), false});
  }
  const int x0 = x + kRegionCodeRings * s, y0 = y + kRegionCodeRings * s;
  for (int r = 0; r < N; ++r) {
    int c = 0;
    while (c < N) {
      if (!Lit(data, part, r, c)) {
        ++c;
        continue;
      }
      int end = c;
      while (end < N && Lit(data, part, r, end)) ++end;
      if (r == 0 || !SameRun(data, part, r - 1, c, end)) {
        int below = r + 1;
        while (below < N && SameRun(data, part, below, c, end)) ++below;
        rects.push_back({{x0 + c * s, y0 + r * s, x0 + end * s, y0 + below * s}, true});
      }
      c = end;
    }
  }
  return rects;
}

}  // namespace shapes

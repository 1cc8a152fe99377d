#include "shapes/GlyphText.h"

#include <algorithm>
#include <limits>

#include "glyphs/GlyphTable.h"

namespace shapes {

int TextWidth(int count, int scale) {
  if (count <= 0 || scale <= 0) return 0;
  // Taken in 64 bits and saturated: a long text at a large scale stays finite.
  const long long width = (static_cast<long long>(kGlyphAdvance) * count - 1) * scale;
  return static_cast<int>(std::min<long long>(width, std::numeric_limits<int>::max()));
}

int TextHeight(int scale) { return kGlyphRows * std::max(scale, 0); }

int FittingScale(int count, int width, int height) {
  if (count <= 0) return std::max(0, height / kGlyphRows);
  const long long byWidth =
      static_cast<long long>(width) / (static_cast<long long>(kGlyphAdvance) * count - 1);
  return static_cast<int>(std::max(0LL, std::min<long long>(byWidth, height / kGlyphRows)));
}

int AddGlyphText(ShapeList& list, const std::vector<std::int32_t>& glyphs, int x, int y, int scale,
                 const Colour& colour, int maxWidth) {
  if (scale <= 0) return 0;
  int laidOut = 0;
  for (std::int32_t glyph : glyphs) {
    if (maxWidth >= 0 && TextWidth(laidOut + 1, scale) > maxWidth) break;
    const int left = x + laidOut * kGlyphAdvance * scale;
    for (int row = 0; row < kGlyphRows; ++row) {
      int column = 0;
      while (column < kGlyphColumns) {
        if (!GlyphPixel(glyph, column, row)) {
          ++column;
          continue;
        }
        int end = column;
        while (end < kGlyphColumns && GlyphPixel(glyph, end, row)) ++end;
        list.AddRect({left + column * scale, y + row * scale, left + end * scale,
                      y + (row + 1) * scale},
                     colour);
        column = end;
      }
    }
    ++laidOut;
  }
  return laidOut;
}

}  // namespace shapes

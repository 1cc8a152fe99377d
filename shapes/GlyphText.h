// Text as rectangles: each set pixel of a glyph of the shared 5x7 font
// becomes a scale x scale square, and the squares of one glyph row that touch
// are merged into one rectangle. Glyphs advance by six glyph pixels (five and
// a gap), so a text of n glyphs at scale s is 6·n·s − s pixels wide and 7·s
// high.
#pragma once

#include <cstdint>
#include <vector>

#include "shapes/ShapeList.h"

namespace shapes {

constexpr int kGlyphAdvance = 6;  // in glyph pixels

// The width of `count` glyphs at `scale`; 0 for none.
int TextWidth(int count, int scale);
int TextHeight(int scale);

// The largest scale at which `count` glyphs fit in width x height; 0 when not
// even scale 1 does.
int FittingScale(int count, int width, int height);

// Appends the glyphs with their top-left corner at (x, y). Glyphs that would
// reach past `maxWidth` pixels from x are left out (a negative maxWidth
// admits all); answers how many were laid out.
int AddGlyphText(ShapeList& list, const std::vector<std::int32_t>& glyphs, int x, int y, int scale,
                 const Colour& colour, int maxWidth = -1);

}  // namespace shapes

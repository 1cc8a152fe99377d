// A line of glyphs cut to a number of glyphs, ending in the ellipsis glyph
// where anything was cut, so that a shortened text never reads as whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// `glyphs` unchanged when it has at most `most` glyphs; else its first
// most - 1 glyphs and the ellipsis (nothing at all when most is 0).
std::vector<std::int32_t> CutWithEllipsis(std::vector<std::int32_t> glyphs, std::size_t most);

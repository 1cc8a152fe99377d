// Numbers the shaders and the C++ side must agree on, written once here.
// The build copies each value into the `const int` line of the same name in
// the embedded shader text (cmake/EmbedShaders.cmake) and stops with an error
// when a shader file states a different value or lacks the line, so the .glsl
// files, which must stay valid on their own, cannot drift from this header.
// One `constexpr int NAME = value;` per line: the build reads them that way.
#pragma once

namespace glsl {

// Text: glyph capacity of a shader text (and of the info lines L1 / L2), the
// glyphs in the font, the blank that fills unused slots, the comma between
// the two numbers of a coordinate text, and the credit tag's fixed length.
constexpr int MAXS = 20;
constexpr int FONT_GLYPHS = 42;
constexpr int SPACE = 39;
constexpr int COMMA = 41;
constexpr int CREDIT_LEN = 14;

// Pattern numbers, as the "Pattern" option's element values.
constexpr int PATTERN_GRID = 0;
constexpr int PATTERN_RASTER = 1;
constexpr int PATTERN_BARS = 2;
constexpr int PATTERN_GRADIENTS = 3;
constexpr int PATTERN_SOLID = 4;
constexpr int PATTERN_SWEEP = 5;
constexpr int PATTERN_CHECKER = 6;

// Rectangles one draw of the region vertex stage takes (uniform Rects).
constexpr int RECTS_PER_DRAW = 128;

}  // namespace glsl

// The 5x7 bitmap font every plug-in of ours draws text with: the glyph
// bitmaps in one table, and their packing into the integer words a shader
// reads. The first 42 glyphs are the FREE plug-in's font, in its order;
// later glyphs extend it for the other plug-ins and never move those.
#pragma once

#include <array>
#include <cstdint>

constexpr int kGlyphColumns = 5;
constexpr int kGlyphRows = 7;
constexpr int kGlyphPixels = kGlyphColumns * kGlyphRows;

// Indices 0-9 are the digits, 10-35 the capitals A-Z, then small x, colon,
// hyphen, blank, full stop, comma (the FREE font), then
// / = # + ( ) ' _ ? ! middle-dot % & * " ; < > @ [ ], the placeholder and
// the ellipsis.
constexpr std::int32_t kGlyphDigitZero = 0;
constexpr std::int32_t kGlyphCapitalA = 10;
constexpr std::int32_t kGlyphSmallX = 36;
constexpr std::int32_t kGlyphColon = 37;
constexpr std::int32_t kGlyphHyphen = 38;
constexpr std::int32_t kGlyphBlank = 39;
constexpr std::int32_t kGlyphFullStop = 40;
constexpr std::int32_t kGlyphComma = 41;
constexpr std::int32_t kGlyphSlash = 42;
constexpr std::int32_t kGlyphMiddleDot = 52;
// A hollow box: what a character the font lacks is drawn as.
constexpr std::int32_t kGlyphPlaceholder = 63;
// Three dots on the baseline: what a text cut to fit its room ends with.
constexpr std::int32_t kGlyphEllipsis = 64;
constexpr int kGlyphTableSize = 65;

// The bitmap of a glyph: 35 '0'/'1' characters, row-major, 5 columns x 7
// rows, top row first. An index outside the table gives the blank glyph.
const char* GlyphBitmap(int glyph);

// Whether the pixel at column x, row y (top row 0) of a glyph is set; false
// outside the 5x7 cell or the table.
bool GlyphPixel(int glyph, int x, int y);

// Glyph c packed into two words: bits 0..29 of the first hold pixels 0..29,
// bits 0..4 of the second pixels 30..34 (a shader's int array).
std::array<std::int32_t, 2> PackGlyph(int glyph);

// The first `Count` glyphs packed, glyph c in words 2c and 2c+1.
template <int Count>
std::array<std::int32_t, 2 * Count> PackGlyphs() {
  static_assert(Count > 0 && Count <= kGlyphTableSize, "the table holds kGlyphTableSize glyphs");
  std::array<std::int32_t, 2 * Count> words{};
  for (int c = 0; c < Count; ++c) {
    const auto pair = PackGlyph(c);
    words[2 * c] = pair[0];
    words[2 * c + 1] = pair[1];
  }
  return words;
}

// The 5x7 bitmap font the pattern shader draws all text with, its packing
// into the integer array the shader reads, the text-to-glyph encoder, and the
// info-box and credit texts built each frame.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "free/shaders/ShaderConstants.h"
#include "free/ParameterConversion.h"

// The counts the shader shares (free/shaders/ShaderConstants.h).
constexpr int kGlyphCount = glsl::FONT_GLYPHS;
constexpr int kFontWords = 2 * kGlyphCount;
constexpr int kMaxTextGlyphs = glsl::MAXS;
constexpr int kCreditGlyphs = glsl::CREDIT_LEN;

// Glyph indices that the encoder and the info lines refer to by name.
constexpr std::int32_t kGlyphSmallX = 36;
constexpr std::int32_t kGlyphColon = 37;
constexpr std::int32_t kGlyphHyphen = 38;
constexpr std::int32_t kGlyphBlank = glsl::SPACE;
constexpr std::int32_t kGlyphFullStop = 40;
constexpr std::int32_t kGlyphComma = glsl::COMMA;

// The bitmap of a glyph: 35 '0'/'1' characters, row-major, 5 columns x 7
// rows, top row first. Indices 0-9 are the digits, 10-35 the capitals A-Z,
// then small x, colon, hyphen, blank, full stop, comma. An index outside
// 0..41 gives the blank glyph.
const char* GlyphBitmap(int glyph);

// Packs all glyphs into 84 words: glyph c in words 2c (bits 0..29 =
// characters 0..29) and 2c+1 (bits 0..4 = characters 30..34).
std::array<std::int32_t, kFontWords> PackFont();

// Writes one glyph index per character of the first 20 characters of `text`
// into `out` and returns how many were written. Lowercase letters share the
// capitals' glyphs except 'x', which has its own; characters the font lacks
// become blanks.
int EncodeText(std::string_view text, std::int32_t* out);

// First line of the centre info box: the output size, e.g. "1920x1080".
std::string InfoLine1(int width, int height);

// Second line of the centre info box, describing the pattern. `solidIndex`
// (0..4) is the colour actually shown, fixed or cycling.
std::string InfoLine2(const FrameParameters& p, int solidIndex, int width, int height);

// The credit tag: exactly kCreditGlyphs characters, all in the font.
extern const char kCreditText[];

struct EncodedTexts {
  std::array<std::int32_t, kMaxTextGlyphs> line1{}, line2{};
  int line1Count = 0, line2Count = 0;
  std::array<std::int32_t, kCreditGlyphs> credit{};
};

// The three texts of a frame, each encoded into a zero-filled buffer.
EncodedTexts EncodeFrameTexts(const FrameParameters& p, int solidIndex, int width, int height);

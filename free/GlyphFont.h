// The part of the shared 5x7 font (glyphs/GlyphTable.h) the pattern shader
// draws all text with, its packing into the integer array the shader reads,
// the text-to-glyph encoder, and the info-box and credit texts built each
// frame.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "glyphs/GlyphTable.h"
#include "free/shaders/ShaderConstants.h"
#include "free/ParameterConversion.h"

// The counts the shader shares (free/shaders/ShaderConstants.h).
constexpr int kGlyphCount = glsl::FONT_GLYPHS;
constexpr int kFontWords = 2 * kGlyphCount;
constexpr int kMaxTextGlyphs = glsl::MAXS;
constexpr int kCreditGlyphs = glsl::CREDIT_LEN;

// The shader names the blank and the comma by number too.
static_assert(kGlyphBlank == glsl::SPACE, "the shader's blank glyph is the table's");
static_assert(kGlyphComma == glsl::COMMA, "the shader's comma glyph is the table's");
static_assert(kGlyphCount <= kGlyphTableSize, "the shader's font is the table's beginning");

// The shader's 42 glyphs packed into 84 words: glyph c in words 2c (bits
// 0..29 = characters 0..29) and 2c+1 (bits 0..4 = characters 30..34).
inline std::array<std::int32_t, kFontWords> PackFont() { return PackGlyphs<kGlyphCount>(); }

// Writes one glyph index per character of the first 20 characters of `text`
// into `out` and returns how many were written. Lowercase letters share the
// capitals' glyphs except 'x', which has its own; characters outside the
// shader's 42 glyphs become blanks.
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

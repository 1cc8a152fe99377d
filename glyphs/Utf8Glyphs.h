// Text to glyph indices for the plug-ins whose texts come from people (a
// label typed in a host): the text is read as UTF-8, one glyph per code
// point. A code point the font lacks, and every byte that is not part of a
// well-formed UTF-8 sequence, becomes the placeholder glyph, so that no text
// is ever shown shorter than typed without a visible mark.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// How a small x is drawn. In a text someone typed it is a letter like any
// other and shows as its capital ("box" reads BOX); in the texts a plug-in
// writes with a size in them ("500x500") it is the font's own small x, the
// sign between the numbers.
enum class SmallX { Letter, Times };

// The glyph of one code point: digits, letters (small letters share the
// capitals' glyphs, x as `smallX` says), the punctuation of the table,
// U+00B7 the middle dot, U+2026 the ellipsis; everything else the
// placeholder.
std::int32_t GlyphForCodePoint(char32_t codePoint, SmallX smallX);

// The glyphs of the first `maxGlyphs` code points of `text`. Malformed
// sequences (stray continuation bytes, overlong forms, surrogates, values
// past U+10FFFF, a sequence cut short) give one placeholder per byte that
// cannot start a sequence, and reading resumes at the next byte.
std::vector<std::int32_t> EncodeUtf8Glyphs(std::string_view text, std::size_t maxGlyphs,
                                           SmallX smallX);

// The byte length of the longest prefix of `text` that is at most
// `maxBytes` long and does not cut a well-formed sequence in two.
std::size_t Utf8PrefixLength(std::string_view text, std::size_t maxBytes);

#include "glyphs/Utf8Glyphs.h"

#include "glyphs/GlyphTable.h"

namespace {

constexpr char32_t kNoCodePoint = 0xFFFFFFFF;

// Decodes the sequence starting at text[i]; on success sets `length` and
// answers the code point, else answers kNoCodePoint with `length` 1.
char32_t DecodeAt(std::string_view text, std::size_t i, std::size_t& length) {
  length = 1;
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return lead;
  std::size_t count = 0;
  char32_t value = 0, minimum = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    count = 1, value = lead & 0x1Fu, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    count = 2, value = lead & 0x0Fu, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    count = 3, value = lead & 0x07u, minimum = 0x10000;
  } else {
    return kNoCodePoint;  // a continuation byte, C0/C1 or F5..FF
  }
  if (text.size() - i <= count) return kNoCodePoint;
  for (std::size_t k = 1; k <= count; ++k) {
    const unsigned char next = byte(i + k);
    if ((next & 0xC0u) != 0x80u) return kNoCodePoint;
    value = (value << 6) | (next & 0x3Fu);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
    return kNoCodePoint;
  length = count + 1;
  return value;
}

}  // namespace

std::int32_t GlyphForCodePoint(char32_t c, SmallX smallX) {
  if (c >= U'0' && c <= U'9') return kGlyphDigitZero + static_cast<std::int32_t>(c - U'0');
  if (c >= U'A' && c <= U'Z') return kGlyphCapitalA + static_cast<std::int32_t>(c - U'A');
  if (c == U'x' && smallX == SmallX::Times) return kGlyphSmallX;
  if (c >= U'a' && c <= U'z') return kGlyphCapitalA + static_cast<std::int32_t>(c - U'a');
  switch (c) {
    case U':': return kGlyphColon;
    case U'-': return kGlyphHyphen;
    case U' ': return kGlyphBlank;
    case U'.': return kGlyphFullStop;
    case U',': return kGlyphComma;
    case U'\u2026': return kGlyphEllipsis;
    default: break;
  }
  // The punctuation after the comma, in table order from the slash on.
  constexpr char32_t kPunctuation[] = U"/=#+()'_?!\u00B7%&*\";<>@[]";
  for (std::int32_t k = 0; kPunctuation[k] != 0; ++k)
    if (kPunctuation[k] == c) return kGlyphSlash + k;
  return kGlyphPlaceholder;
}

std::vector<std::int32_t> EncodeUtf8Glyphs(std::string_view text, std::size_t maxGlyphs,
                                           SmallX smallX) {
  std::vector<std::int32_t> glyphs;
  std::size_t i = 0, length = 1;
  while (i < text.size() && glyphs.size() < maxGlyphs) {
    const char32_t c = DecodeAt(text, i, length);
    glyphs.push_back(c == kNoCodePoint ? kGlyphPlaceholder : GlyphForCodePoint(c, smallX));
    i += length;
  }
  return glyphs;
}

std::size_t Utf8PrefixLength(std::string_view text, std::size_t maxBytes) {
  std::size_t i = 0, length = 1;
  while (i < text.size()) {
    DecodeAt(text, i, length);
    if (i + length > maxBytes) break;
    i += length;
  }
  return i;
}

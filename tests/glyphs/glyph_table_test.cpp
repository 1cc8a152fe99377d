// The shared glyph table, its packing, and the UTF-8 encoder the newer
// plug-ins draw typed texts with.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "glyphs/EllipsisCut.h"
#include "glyphs/GlyphTable.h"
#include "glyphs/Utf8Glyphs.h"

namespace {

std::string WithoutSpaces(std::string rows) {
  rows.erase(std::remove(rows.begin(), rows.end(), ' '), rows.end());
  return rows;
}

TEST(GlyphTable, BitmapsAreWellFormedAndDistinct) {
  std::set<std::string> seen;
  for (int c = 0; c < kGlyphTableSize; ++c) {
    const std::string bits = GlyphBitmap(c);
    ASSERT_EQ(bits.size(), 35u) << "glyph " << c;
    EXPECT_EQ(bits.find_first_not_of("01"), std::string::npos) << "glyph " << c;
    EXPECT_TRUE(seen.insert(bits).second) << "glyph " << c << " repeats an earlier one";
  }
  EXPECT_STREQ(GlyphBitmap(-1), GlyphBitmap(kGlyphBlank));
  EXPECT_STREQ(GlyphBitmap(kGlyphTableSize), GlyphBitmap(kGlyphBlank));
}

TEST(GlyphTable, SpotBitmapsMatchTheirDrawings) {
  const struct {
    int glyph;
    const char* rows;
  } cases[] = {
      {0, "01110 10001 10011 10101 11001 10001 01110"},
      {10, "01110 10001 10001 11111 10001 10001 10001"},   // A
      {26, "01110 10001 10001 10001 10101 10010 01101"},   // Q
      {33, "10001 10001 01010 00100 01010 10001 10001"},   // X
      {36, "00000 00000 10001 01010 00100 01010 10001"},   // small x
      {37, "00000 01100 01100 00000 01100 01100 00000"},   // colon
      {40, "00000 00000 00000 00000 00000 01100 01100"},   // full stop
      {41, "00000 00000 00000 00000 01100 00100 01000"},   // comma
      {kGlyphSlash, "00001 00010 00010 00100 01000 01000 10000"},
      {kGlyphMiddleDot, "00000 00000 00000 01100 01100 00000 00000"},
      {kGlyphPlaceholder, "11111 10001 10001 10001 10001 10001 11111"},
      // Three dots as tall as the full stop's, on its rows; the fifth
      // column's is the last, so the advance's gap column stays clear.
      {kGlyphEllipsis, "00000 00000 00000 00000 00000 10101 10101"},
  };
  for (const auto& c : cases) EXPECT_EQ(GlyphBitmap(c.glyph), WithoutSpaces(c.rows)) << c.glyph;
}

TEST(GlyphTable, InkCountsMatchTheDrawings) {
  // Pixels set per glyph, counted from the drawn table: any flipped pixel in
  // the bitmaps changes one of these.
  const int ink[kGlyphTableSize] = {
      19, 10, 14, 14, 14, 17, 15, 11, 17, 15, 18, 20, 13, 16, 18, 14, 18, 17, 11, 11, 14, 11,
      18, 17, 16, 15, 17, 18, 15, 11, 15, 13, 17, 13, 11, 15, 9,  8,  5,  0,  4,  4,  7,  10,
      20, 9,  7,  7,  3,  5,  9,  6,  4,  13, 15, 11, 6,  8,  7,  7,  21, 11, 11, 20, 6};
  for (int c = 0; c < kGlyphTableSize; ++c) {
    const std::string bits = GlyphBitmap(c);
    EXPECT_EQ(std::count(bits.begin(), bits.end(), '1'), ink[c]) << "glyph " << c;
  }
}

TEST(GlyphTable, EveryPixelLandsOnItsBit) {
  const auto words = PackGlyphs<kGlyphTableSize>();
  for (int c = 0; c < kGlyphTableSize; ++c) {
    const auto first = static_cast<std::uint32_t>(words[2 * c]);
    const auto second = static_cast<std::uint32_t>(words[2 * c + 1]);
    // Bits 30, 31 of the first word and 5..31 of the second are never used.
    EXPECT_EQ(first >> 30, 0u) << "glyph " << c;
    EXPECT_EQ(second >> 5, 0u) << "glyph " << c;
    for (int y = 0; y < kGlyphRows; ++y)
      for (int x = 0; x < kGlyphColumns; ++x) {
        const int j = kGlyphColumns * y + x;
        const bool set = j < 30 ? ((first >> j) & 1u) != 0 : ((second >> (j - 30)) & 1u) != 0;
        EXPECT_EQ(set, GlyphPixel(c, x, y)) << "glyph " << c << " column " << x << " row " << y;
      }
  }
  EXPECT_FALSE(GlyphPixel(kGlyphPlaceholder, -1, 0));
  EXPECT_FALSE(GlyphPixel(kGlyphPlaceholder, 5, 0));
  EXPECT_FALSE(GlyphPixel(kGlyphPlaceholder, 0, 7));
}

TEST(GlyphTable, KnownPackedWords) {
  const struct {
    int glyph;
    std::int32_t first, second;
  } cases[] = {{1, 138547396, 14}, {8, 588727854, 14}, {38, 1015808, 0}, {39, 0, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(PackGlyph(c.glyph)[0], c.first) << "glyph " << c.glyph;
    EXPECT_EQ(PackGlyph(c.glyph)[1], c.second) << "glyph " << c.glyph;
  }
}

constexpr std::int32_t P = kGlyphPlaceholder, B = kGlyphBlank;

TEST(Utf8Glyphs, OneGlyphPerCodePoint) {
  const struct {
    std::string text;
    std::vector<std::int32_t> glyphs;
  } cases[] = {
      {"OUTPUT 1", {24, 30, 29, 25, 30, 29, B, 1}},
      {"ab x", {10, 11, B, kGlyphCapitalA + 23}},
      {"PORT A \xC2\xB7 3", {25, 24, 27, 29, B, 10, B, kGlyphMiddleDot, B, 3}},
      {"/=#+()'_?!", {42, 43, 44, 45, 46, 47, 48, 49, 50, 51}},
      {"%&*\";<>@[]", {53, 54, 55, 56, 57, 58, 59, 60, 61, 62}},
      {"AB\xE2\x80\xA6", {10, 11, kGlyphEllipsis}},       // U+2026, the ellipsis
      {"\xE2\x80\xA5\xE2\x80\xA7", {P, P}},              // its neighbours are not
      {"\xC3\xA9t\xC3\xA9", {P, 29, P}},                  // e-acute: one placeholder each
      {"\xE2\x82\xAC" "5", {P, 5}},                        // euro sign, three bytes
      {"\xF0\x9F\x98\x80!", {P, 51}},                      // an emoji, four bytes
      {"\x80\xBF", {P, P}},                                // stray continuation bytes
      {"\xC0\xAF", {P, P}},                                // overlong slash
      {"\xED\xA0\x80", {P, P, P}},                         // a surrogate
      {"\xF4\x90\x80\x80", {P, P, P, P}},                  // past U+10FFFF
      {"A\xE2\x82", {10, P, P}},                           // cut short at the end
      {"\xE2\x82" "A", {P, P, 10}},                        // cut short inside
      {"\xFF\xFE", {P, P}},
      {std::string("A\0B", 3), {10, P, 11}},
      {"\t\n", {P, P}},
      {"", {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(EncodeUtf8Glyphs(c.text, 1000, SmallX::Letter), c.glyphs) << "\"" << c.text << "\"";
}

TEST(Utf8Glyphs, ASmallXIsALetterOrTheSignOfASize) {
  // A typed "box" must not show as BOx; a size keeps the font's small x, and
  // a capital X is the capital either way.
  constexpr std::int32_t X = kGlyphCapitalA + 23, x = kGlyphSmallX;
  const std::string text = "box 5x5 X";
  EXPECT_EQ(EncodeUtf8Glyphs(text, 1000, SmallX::Letter),
            (std::vector<std::int32_t>{11, 24, X, B, 5, X, 5, B, X}));
  EXPECT_EQ(EncodeUtf8Glyphs(text, 1000, SmallX::Times),
            (std::vector<std::int32_t>{11, 24, x, B, 5, x, 5, B, X}));
}

TEST(Utf8Glyphs, StopsAtTheLimitAndCutsOnlyWholeSequences) {
  const std::string text(65536, 'A');
  EXPECT_EQ(EncodeUtf8Glyphs(text, 40, SmallX::Letter).size(), 40u);
  EXPECT_EQ(EncodeUtf8Glyphs(text, 0, SmallX::Letter).size(), 0u);
  const std::string dots = "A\xC2\xB7\xC2\xB7";  // 1 + 2 + 2 bytes
  const struct {
    std::size_t maxBytes, expected;
  } cases[] = {{0, 0}, {1, 1}, {2, 1}, {3, 3}, {4, 3}, {5, 5}, {99, 5}};
  for (const auto& c : cases) EXPECT_EQ(Utf8PrefixLength(dots, c.maxBytes), c.expected) << c.maxBytes;
  // A malformed byte is one unit of its own.
  EXPECT_EQ(Utf8PrefixLength("\xFF\xFF", 1), 1u);
}

TEST(EllipsisCut, ATextTooLongEndsInTheEllipsisWithinItsRoom) {
  constexpr std::int32_t E = kGlyphEllipsis;
  const std::vector<std::int32_t> text = {1, 2, 3, 4, 5};
  const struct {
    std::size_t most;
    std::vector<std::int32_t> shown;
  } cases[] = {
      {9, {1, 2, 3, 4, 5}},  // room to spare: untouched, no ellipsis
      {5, {1, 2, 3, 4, 5}},  // exactly full
      {4, {1, 2, 3, E}},
      {2, {1, E}},
      {1, {E}},
      {0, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(CutWithEllipsis(text, c.most), c.shown) << c.most;
}

}  // namespace

// The FREE plug-in's text encoder (the shader's 42 glyphs), its packed font
// and the per-frame info and credit texts. The glyph table itself is tested
// in tests/glyphs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "free/GlyphFont.h"
#include "free/Parameters.h"

namespace {

std::vector<std::int32_t> Encode(std::string_view text) {
  std::vector<std::int32_t> out(kMaxTextGlyphs + 5, -7);
  const int n = EncodeText(text, out.data());
  // Nothing is written past the count.
  for (std::size_t i = static_cast<std::size_t>(n); i < out.size(); ++i)
    EXPECT_EQ(out[i], -7) << "wrote past the count at " << i << " for \"" << text << "\"";
  out.resize(static_cast<std::size_t>(n));
  return out;
}

TEST(GlyphEncoder, MapsCharactersToGlyphs) {
  const struct {
    std::string text;
    std::vector<std::int32_t> glyphs;
  } cases[] = {
      {"1920x1080", {1, 9, 2, 0, 36, 1, 0, 8, 0}},
      {"PIXEL CHECKER 1PX", {25, 18, 33, 14, 21, 39, 12, 17, 14, 12, 20, 14, 27, 39, 1, 25, 33}},
      {"ab,c:", {10, 11, 41, 12, 37}},
      {"AZaz09Xx", {10, 35, 10, 35, 0, 9, 33, 36}},
      {"-. ", {38, 40, 39}},
      {"#/@[`{", {39, 39, 39, 39, 39, 39}},
      {std::string("\xC3\xA9\x7F", 3), {39, 39, 39}},
      {std::string("A\0B", 3), {10, 39, 11}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Encode(c.text), c.glyphs) << "\"" << c.text << "\"";
}

TEST(GlyphEncoder, KeepsTheFirstTwenty) {
  const std::string text = "ABCDEFGHIJKLMNOPQRSTUVWXY";  // 25 characters
  const auto glyphs = Encode(text);
  ASSERT_EQ(glyphs.size(), 20u);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(glyphs[static_cast<std::size_t>(i)], 10 + i);
  EXPECT_EQ(Encode(text.substr(0, 20)).size(), 20u);
  EXPECT_EQ(Encode(text.substr(0, 19)).size(), 19u);
}

TEST(GlyphFont, ShaderFontIsTheTablesFirstFortyTwo) {
  static_assert(kGlyphCount == 42, "the pattern shader draws 42 glyphs");
  const auto words = PackFont();
  ASSERT_EQ(words.size(), 84u);
  for (int c = 0; c < kGlyphCount; ++c) {
    EXPECT_EQ(words[2 * c], PackGlyph(c)[0]) << "glyph " << c;
    EXPECT_EQ(words[2 * c + 1], PackGlyph(c)[1]) << "glyph " << c;
  }
}

FrameParameters Pattern(int pattern) {
  FrameParameters p;
  p.pattern = pattern;
  return p;
}

TEST(InfoText, SecondLinePerPattern) {
  FrameParameters raster = Pattern(kPatternFullRaster);
  raster.panelWidth = 256;
  raster.panelHeight = 104;
  FrameParameters checker = Pattern(kPatternPixelChecker);
  checker.lineWidth = 16;
  const struct {
    FrameParameters p;
    int solid;
    const char* line;
  } cases[] = {
      {Pattern(kPatternPanelGrid), 0, "PANELS 15x9 128x128"},
      {Pattern(kPatternFullRaster), 0, "GRID 128x128"},
      {raster, 0, "GRID 256x104"},
      {Pattern(kPatternColourBars), 0, "COLOUR BARS 75"},
      {Pattern(kPatternGradients), 0, "RGBW RAMPS"},
      {Pattern(kPatternSolidColour), 0, "RED"},
      {Pattern(kPatternSolidColour), 1, "GREEN"},
      {Pattern(kPatternSolidColour), 2, "BLUE"},
      {Pattern(kPatternSolidColour), 3, "WHITE"},
      {Pattern(kPatternSolidColour), 4, "BLACK"},
      {Pattern(kPatternLineSweep), 0, "LINE SWEEP"},
      {Pattern(kPatternPixelChecker), 0, "PIXEL CHECKER 1PX"},
      {checker, 0, "PIXEL CHECKER 16PX"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(InfoLine2(c.p, c.solid, 1920, 1080), c.line) << "pattern " << c.p.pattern;
  EXPECT_EQ(InfoLine1(1920, 1080), "1920x1080");
  EXPECT_EQ(InfoLine1(1, 1), "1x1");
}

TEST(InfoText, PanelCountsFromOffset) {
  const struct {
    int w, h, panelW, panelH, offX, offY;
    const char* line;
  } cases[] = {
      {1920, 1080, 128, 128, 2048, 0, "PANELS 1x9 128x128"},   // negative numerator
      {1920, 1080, 16, 16, 2048, 2048, "PANELS 1x1 16x16"},
      {1920, 1080, 16, 16, 1919, 1079, "PANELS 1x1 16x16"},    // one pixel left
      {1920, 1080, 16, 16, 1921, 0, "PANELS 1x68 16x16"},      // numerator 14 gives 0
      {1920, 1080, 104, 208, 0, 0, "PANELS 19x6 104x208"},
      {1920, 1080, 128, 128, 100, 50, "PANELS 15x9 128x128"},
      {1920, 1080, 128, 128, 129, 57, "PANELS 14x8 128x128"},
      {1024, 768, 256, 256, 0, 0, "PANELS 4x3 256x256"},        // exact fit, no cut panel
      {1025, 769, 256, 256, 0, 0, "PANELS 5x4 256x256"},
      {1, 1, 512, 512, 0, 0, "PANELS 1x1 512x512"},
  };
  for (const auto& c : cases) {
    FrameParameters p = Pattern(kPatternPanelGrid);
    p.panelWidth = c.panelW;
    p.panelHeight = c.panelH;
    p.offsetX = c.offX;
    p.offsetY = c.offY;
    EXPECT_EQ(InfoLine2(p, 0, c.w, c.h), c.line);
  }
}

TEST(InfoText, FrameBuffers) {
  FrameParameters grid = Pattern(kPatternPanelGrid);
  grid.panelWidth = grid.panelHeight = 16;
  // 22 characters, cut to 20.
  const EncodedTexts cut = EncodeFrameTexts(grid, 0, 16384, 16384);
  EXPECT_EQ(InfoLine2(grid, 0, 16384, 16384), "PANELS 1024x1024 16x16");
  EXPECT_EQ(cut.line2Count, 20);
  EXPECT_EQ(std::vector<std::int32_t>(cut.line2.begin(), cut.line2.end()),
            Encode("PANELS 1024x1024 16x"));
  EXPECT_EQ(cut.line1Count, 11);

  // Entries past the counts are glyph 0.
  const EncodedTexts t = EncodeFrameTexts(Pattern(kPatternSolidColour), 3, 1920, 1080);
  EXPECT_EQ(t.line1Count, 9);
  EXPECT_EQ(std::vector<std::int32_t>(t.line1.begin(), t.line1.begin() + 9), Encode("1920x1080"));
  for (int i = 9; i < kMaxTextGlyphs; ++i) EXPECT_EQ(t.line1[static_cast<std::size_t>(i)], 0);
  EXPECT_EQ(t.line2Count, 5);
  EXPECT_EQ(std::vector<std::int32_t>(t.line2.begin(), t.line2.begin() + 5), Encode("WHITE"));
  for (int i = 5; i < kMaxTextGlyphs; ++i) EXPECT_EQ(t.line2[static_cast<std::size_t>(i)], 0);

  // The credit fills all 14 entries with letters and full stops only.
  ASSERT_EQ(std::strlen(kCreditText), static_cast<std::size_t>(kCreditGlyphs));
  EXPECT_EQ(std::vector<std::int32_t>(t.credit.begin(), t.credit.end()), Encode(kCreditText));
  for (std::int32_t g : t.credit) EXPECT_TRUE((g >= 10 && g <= 35) || g == 40) << g;
}

}  // namespace

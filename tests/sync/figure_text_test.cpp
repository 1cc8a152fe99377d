// Text runs on the figure renderer: every glyph of the shared font, the
// indices past 63 included and in each slot of a run's floats, comes back
// out of the drawn pixels as its own bitmap.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "glyphs/GlyphTable.h"
#include "hostkit/RenderTarget.h"
#include "shapes/FigureRenderer.h"
#include "shapes/GlyphText.h"
#include "tests/GLContextSuite.h"

namespace {

class FigureText : public GLContextSuite {
 protected:
  void SetUp() override {
    GLContextSuite::SetUp();
    ASSERT_TRUE(renderer_.Create());
  }
  void TearDown() override { renderer_.Release(); }

  // Draws `list` into a fresh RGBA32F target cleared to black and answers
  // the red of each output pixel, top row first.
  std::vector<float> RenderRed(const shapes::FigureList& list, int width, int height) {
    hostkit::RenderTarget target(width, height, hostkit::PixelFormat::RGBA32F);
    target.Clear(0, 0, 0, 1);
    target.Bind();
    EXPECT_TRUE(renderer_.Upload(list));
    renderer_.Draw(width, height);
    const std::vector<float> rgba = target.ReadOutput();
    std::vector<float> red;
    for (std::size_t i = 0; i < rgba.size(); i += 4) red.push_back(rgba[i]);
    return red;
  }

  shapes::FigureRenderer renderer_;
};

TEST_F(FigureText, EveryGlyphOfTheFontSurvivesTheRunPacking) {
  // The whole table in order, then three more ellipses: with twelve glyphs
  // to a run and three to a float, the ellipsis (index 64, the first past
  // six bits) lands in all three slots of a float.
  std::vector<std::int32_t> glyphs;
  for (int g = 0; g < kGlyphTableSize; ++g) glyphs.push_back(g);
  glyphs.insert(glyphs.end(), 3, kGlyphEllipsis);
  const int count = static_cast<int>(glyphs.size());
  for (int scale : {1, 2}) {
    shapes::FigureList list;
    ASSERT_EQ(list.AddText(glyphs, 2, 2, scale, {1, 1, 1, 1}), count);
    EXPECT_EQ(list.Count(), static_cast<std::size_t>((count + shapes::kGlyphsPerRun - 1) /
                                                     shapes::kGlyphsPerRun));
    const int width = shapes::TextWidth(count, scale) + 4, height = shapes::TextHeight(scale) + 4;
    const std::vector<float> red = RenderRed(list, width, height);
    int wrong = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const int gx = (x - 2) / scale, gy = (y - 2) / scale;
        const int cell = gx / shapes::kGlyphAdvance, column = gx % shapes::kGlyphAdvance;
        const bool inside = x >= 2 && y >= 2 && cell < count && gy < kGlyphRows;
        const int glyph = inside ? glyphs[static_cast<std::size_t>(cell)] : kGlyphBlank;
        const bool lit = inside && GlyphPixel(glyph, column, gy);
        const float got = red[static_cast<std::size_t>(y) * width + x];
        if (got != (lit ? 1.0f : 0.0f) && wrong++ < 5)
          ADD_FAILURE() << "scale " << scale << " glyph " << glyph << ": probe at (" << x << ", "
                        << y << ") Expected: " << (lit ? 1 : 0) << " Observed: " << got;
      }
    EXPECT_EQ(wrong, 0) << "scale " << scale;
  }
}

}  // namespace

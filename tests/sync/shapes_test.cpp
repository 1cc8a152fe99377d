// The shape layer on the renderer: rectangles on whole-pixel edges cover
// exactly their pixels in exactly their colour, a frame's list is one buffer
// upload and one draw call, text is the glyph bitmaps scaled, and a draw
// leaves the bindings as a host expects.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include "glyphs/GlyphTable.h"
#include "hostkit/GLInterceptor.h"
#include "hostkit/RenderTarget.h"
#include "shapes/GlyphText.h"
#include "shapes/RegionCodeRects.h"
#include "shapes/RegionCodeRenderer.h"
#include "shapes/ShapeRenderer.h"
#include "tests/GLContextSuite.h"

namespace {

using shapes::Colour;
using shapes::Rect;

class ShapeLayer : public GLContextSuite {
 protected:
  void SetUp() override {
    GLContextSuite::SetUp();
    ASSERT_TRUE(renderer_.Create());
  }
  void TearDown() override { renderer_.Release(); }

  // Draws `list` into a fresh RGBA32F target of width x height cleared to
  // (0.25, 0.5, 0.75, 1) and answers the output pixels, top row first.
  std::vector<float> Render(const shapes::ShapeList& list, int width, int height) {
    hostkit::RenderTarget target(width, height, hostkit::PixelFormat::RGBA32F);
    target.Clear(0.25f, 0.5f, 0.75f, 1.0f);
    target.Bind();
    renderer_.Draw(list, width, height);
    return target.ReadOutput();
  }

  shapes::ShapeRenderer renderer_;
};

constexpr Colour kClear{0.25f, 0.5f, 0.75f, 1.0f};

void ExpectPixels(const std::vector<float>& pixels, int width, int height,
                  const shapes::ShapeList& list) {
  int wrong = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Colour want = list.ColourAt(x, y, kClear);
      const float* got = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
      const bool same = got[0] == want.r && got[1] == want.g && got[2] == want.b && got[3] == want.a;
      if (!same && wrong++ < 5)
        ADD_FAILURE() << "Probe colour at (" << x << ", " << y << ") Expected: " << want.r << " "
                      << want.g << " " << want.b << " " << want.a << " Observed: " << got[0] << " "
                      << got[1] << " " << got[2] << " " << got[3];
    }
  EXPECT_EQ(wrong, 0);
}

TEST_F(ShapeLayer, RectanglesCoverExactlyTheirPixels) {
  shapes::ShapeList list;
  list.AddRect({0, 0, 1, 1}, {1, 0, 0, 1});                 // the top-left pixel alone
  list.AddRect({36, 26, 37, 27}, {0, 1, 0, 1});             // the bottom-right pixel alone
  list.AddRect({3, 2, 17, 9}, {0.1f, 0.2f, 0.3f, 0.4f});    // any colour, kept exactly
  list.AddRect({10, 5, 30, 20}, {1, 1, 1, 1});              // later ones cover earlier ones
  list.AddRect({20, 20, 20, 25}, {0, 0, 1, 1});             // empty: left out
  list.AddRect({-5, 24, 4, 40}, {0.5f, 0.5f, 0.5f, 1});     // reaching outside: cut by GL
  EXPECT_EQ(list.RectCount(), 5u);
  ExpectPixels(Render(list, 37, 27), 37, 27, list);
}

TEST_F(ShapeLayer, OneUploadAndOneDrawPerList) {
  shapes::ShapeList list;
  for (int i = 0; i < 500; ++i) list.AddRect(shapes::RectAt(i % 50, i / 50, 1, 1), {1, 1, 1, 1});
  hostkit::RenderTarget target(50, 10, hostkit::PixelFormat::RGBA32F);
  target.Bind();
  hostkit::GLCallCounter calls;
  renderer_.Draw(list, 50, 10);
  EXPECT_EQ(calls.Count("glDrawArraysInstanced"), 1);
  EXPECT_EQ(calls.Count("glBufferData") + calls.Count("glBufferSubData"), 1);
  GLint program = -1, vertexArray = -1, buffer = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
  glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &buffer);
  EXPECT_EQ(program, 0);
  EXPECT_EQ(vertexArray, 0);
  EXPECT_EQ(buffer, 0);
  // An empty list draws nothing at all.
  calls.Reset();
  renderer_.Draw(shapes::ShapeList{}, 50, 10);
  EXPECT_EQ(calls.Total(), 0);
}

// The code renderer paints exactly the pixels of the code's rectangles, any
// white, several codes in one draw, cut at the output's edge.
TEST_F(ShapeLayer, RegionCodesPaintTheirRectanglesPixels) {
  struct Code {
    int x, y, cell;
    RegionIdentity id;
    std::uint64_t frame;
  };
  const struct {
    const char* what;
    std::vector<Code> codes;
    Colour white;
  } cases[] = {
      {"smallest cells, even frame", {{0, 0, 2, {0, 0}, 0}}, shapes::kWhite},
      {"two codes, odd frame", {{3, 5, 3, {31, 4095}, 40001}, {50, 9, 5, {7, 1234}, 65535}}, shapes::kWhite},
      {"cut at the edges, dimmed", {{-9, 60, 4, {3, 77}, 12}, {100, -5, 2, {3, 78}, 12}}, {0.5f, 0.5f, 0.5f, 1}},
  };
  constexpr int kWidth = 120, kHeight = 96;
  shapes::RegionCodeRenderer codes;
  ASSERT_TRUE(codes.Create());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    shapes::ShapeList rects;
    std::vector<shapes::PlacedRegionCode> placed;
    for (const Code& code : c.codes) {
      const RegionCodeData data = EncodeRegionCode(code.id, code.frame);
      placed.push_back({code.x, code.y, code.cell, data});
      for (const shapes::CodeRect& r :
           shapes::RegionCodeRects(data, code.x, code.y, code.cell, shapes::RegionCodePart::Whole))
        rects.AddRect(r.rect, r.white ? c.white : shapes::kBlack);
    }
    hostkit::RenderTarget target(kWidth, kHeight, hostkit::PixelFormat::RGBA32F);
    target.Clear(kClear.r, kClear.g, kClear.b, kClear.a);
    target.Bind();
    codes.Draw(placed, c.white, kWidth, kHeight);
    ExpectPixels(target.ReadOutput(), kWidth, kHeight, rects);
  }
  codes.Release();
}

TEST_F(ShapeLayer, TextIsTheGlyphBitmapsScaled) {
  const std::vector<std::int32_t> glyphs = {kGlyphPlaceholder, 8, kGlyphSlash, kGlyphMiddleDot};
  const struct {
    int scale;
  } cases[] = {{1}, {3}};
  for (const auto& c : cases) {
    shapes::ShapeList list;
    const int width = shapes::TextWidth(4, c.scale) + 4, height = shapes::TextHeight(c.scale) + 4;
    EXPECT_EQ(shapes::AddGlyphText(list, glyphs, 2, 2, c.scale, {1, 1, 1, 1}), 4);
    const auto pixels = Render(list, width, height);
    int wrong = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const int gx = (x - 2) / c.scale, gy = (y - 2) / c.scale;
        const int glyph = gx / shapes::kGlyphAdvance, column = gx % shapes::kGlyphAdvance;
        const bool inside = x >= 2 && y >= 2 && glyph < 4 && gy < kGlyphRows;
        const bool lit = inside && GlyphPixel(glyphs[static_cast<std::size_t>(glyph)], column, gy);
        const float red = pixels[(static_cast<std::size_t>(y) * width + x) * 4];
        if (red != (lit ? 1.0f : kClear.r) && wrong++ < 5)
          ADD_FAILURE() << "scale " << c.scale << " pixel (" << x << ", " << y << "): " << red;
      }
    EXPECT_EQ(wrong, 0);
  }
}

TEST(GlyphTextLayout, CutsAtTheWidthAndScalesToFit) {
  const std::vector<std::int32_t> glyphs(10, 0);
  shapes::ShapeList list;
  // Three whole glyphs at scale 2 need 34 pixels; 35 admits three, not four.
  EXPECT_EQ(shapes::AddGlyphText(list, glyphs, 0, 0, 2, {1, 1, 1, 1}, 35), 3);
  EXPECT_EQ(shapes::AddGlyphText(list, glyphs, 0, 0, 2, {1, 1, 1, 1}, 0), 0);
  EXPECT_EQ(shapes::AddGlyphText(list, glyphs, 0, 0, 0, {1, 1, 1, 1}), 0);
  const struct {
    int count, width, height, scale;
  } cases[] = {{3, 34, 14, 2}, {3, 33, 14, 1}, {3, 34, 13, 1}, {3, 16, 100, 0}, {0, 5, 21, 3}};
  for (const auto& c : cases)
    EXPECT_EQ(shapes::FittingScale(c.count, c.width, c.height), c.scale)
        << c.count << " in " << c.width << "x" << c.height;
  EXPECT_EQ(shapes::TextWidth(1 << 30, 1 << 20), std::numeric_limits<int>::max());
}

}  // namespace

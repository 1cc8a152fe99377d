// FigureList: the flat 2D figures of one frame on the CPU, in drawing order
// (later ones cover earlier ones), for pictures that need more than the solid
// rectangles of a ShapeList: hatched rectangles, glyphs of the shared font
// drawn whole by the GPU (turned by quarter turns), right triangles in a
// square's corner, thick line segments and arrowheads. Coordinates are
// output pixels, origin top-left, y down; every kind but the segment and the
// arrowhead covers exactly the whole pixels its integer rectangle and its
// rule pick, so pictures of them can be compared pixel for pixel. No GL here:
// a FigureRenderer draws a list, a few draw calls for all of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "shapes/ShapeList.h"

namespace shapes {

// The kinds as the figure shaders number them (shapes/shaders/figure_*.glsl,
// held to these at build time by cmake/CheckFigureFacts.cmake).
enum class FigureKind : int {
  Solid = 0,           // the rectangle in one colour
  Hatch = 1,           // lines of one pixel every `period` pixels over a ground colour
  Glyph = 2,           // one glyph's set pixels; the rest of its box untouched
  CornerTriangle = 3,  // pixels (u, v) counted from one corner with u + v < side
  Segment = 4,         // a line of a given thickness between two points
  ArrowHead = 5,       // a triangle from a base line to a tip
  TextRun = 6,         // up to kGlyphsPerRun upright glyphs in a row, one box for all
  Box = 7,             // a rectangle with a border of its own colour and width
};
// One past the last kind: the build holds the kinds to counting 0, 1, 2, ...
// (cmake/CheckFigureFacts.cmake), so this is how many there are.
constexpr std::size_t kFigureKindCount = static_cast<std::size_t>(FigureKind::Box) + 1;

// Glyphs one TextRun figure holds: three to a float of its second colour,
// seven bits each (21 bits, exact in a float's 24-bit significand), so any
// index of a font of up to 128 glyphs can be drawn. The figure shaders state
// the same three numbers (held to these at build time).
constexpr int kRunGlyphBits = 7;
constexpr int kRunGlyphsPerFloat = 3;
constexpr int kGlyphsPerRun = 12;
static_assert(kRunGlyphBits * kRunGlyphsPerFloat <= 24, "a float holds 24 bits exactly");
static_assert(kGlyphsPerRun == 4 * kRunGlyphsPerFloat, "a run fills the four floats");

// Which diagonal a hatch runs along: '/' marks pixels with (x + y) mod period
// == 0, '\' those with (x - y) mod period == 0, in output pixels.
enum class HatchDirection : int { Rising = 0, Falling = 1 };

enum class Corner : int { TopLeft = 0, TopRight = 1, BottomRight = 2, BottomLeft = 3 };

// Floats per figure in the instance data: geometry (4), colour (4), second
// colour (4), kind and three parameters (4).
constexpr std::size_t kFloatsPerFigure = 16;

class FigureList {
 public:
  // Each Add leaves out a figure that would cover nothing.
  void AddRect(const Rect& rect, const Colour& colour);
  // A rectangle filled with `fill` inside a border `border` pixels wide in
  // `edge` (a border of half the shorter side or more fills it all).
  void AddBox(const Rect& rect, const Colour& edge, const Colour& fill, int border);
  void AddHatch(const Rect& rect, const Colour& line, const Colour& ground, int period,
                HatchDirection direction);
  // A glyph of the shared font with the top-left corner of its box at (x, y):
  // 5s x 7s upright, 7s x 5s after one or three quarter turns clockwise.
  void AddGlyph(std::int32_t glyph, int x, int y, int scale, int quarterTurns,
                const Colour& colour);
  // Upright glyphs left to right from (x, y), advancing six glyph pixels, as
  // TextRun figures; those reaching past `maxWidth` pixels from x are left
  // out (a negative maxWidth admits all). Answers how many were laid out.
  int AddText(const std::vector<std::int32_t>& glyphs, int x, int y, int scale,
              const Colour& colour, int maxWidth = -1);
  // The right triangle filling the corner of `square` (its width is the
  // side; a square is expected).
  void AddCornerTriangle(const Rect& square, Corner corner, const Colour& colour);
  // A line `thickness` pixels wide from (x0, y0) to (x1, y1).
  void AddSegment(float x0, float y0, float x1, float y1, float thickness, const Colour& colour);
  // A triangle whose base, `width` pixels long, is centred on (baseX, baseY)
  // across the direction to its tip.
  void AddArrowHead(float baseX, float baseY, float tipX, float tipY, float width,
                    const Colour& colour);

  // A copy of figure `index` of `other`, as it is, after the last one.
  void AddCopy(const FigureList& other, std::size_t index);

  void Clear() { data_.clear(); }
  void Reserve(std::size_t figures) { data_.reserve(figures * kFloatsPerFigure); }
  std::size_t Count() const { return data_.size() / kFloatsPerFigure; }
  const std::vector<float>& InstanceData() const { return data_; }
  FigureKind KindAt(std::size_t index) const;

 private:
  void Append(FigureKind kind, float a, float b, float c, float d, const Colour& colour,
              const Colour& ground, float p1, float p2, float p3);

  std::vector<float> data_;
};

}  // namespace shapes

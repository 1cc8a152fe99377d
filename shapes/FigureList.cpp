#include "shapes/FigureList.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "glyphs/GlyphTable.h"
#include "shapes/GlyphText.h"

namespace shapes {
namespace {

static_assert(kGlyphTableSize <= (1 << kRunGlyphBits), "a run's glyph index holds every glyph");

float F(int value) { return static_cast<float>(value); }

bool Finite(float a, float b, float c, float d) {
  return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

}  // namespace

void FigureList::Append(FigureKind kind, float a, float b, float c, float d,
                        const Colour& colour, const Colour& ground, float p1, float p2,
                        float p3) {
  // Pixel edges of any output GL can draw (at most 2^24) are exact floats.
  data_.insert(data_.end(), {a, b, c, d, colour.r, colour.g, colour.b, colour.a, ground.r,
                             ground.g, ground.b, ground.a, static_cast<float>(kind), p1, p2, p3});
}

void FigureList::AddRect(const Rect& rect, const Colour& colour) {
  if (rect.Empty()) return;
  Append(FigureKind::Solid, F(rect.x0), F(rect.y0), F(rect.x1), F(rect.y1), colour, colour, 0, 0,
         0);
}

void FigureList::AddBox(const Rect& rect, const Colour& edge, const Colour& fill, int border) {
  if (rect.Empty()) return;
  Append(FigureKind::Box, F(rect.x0), F(rect.y0), F(rect.x1), F(rect.y1), edge, fill,
         F(std::max(border, 0)), 0, 0);
}

void FigureList::AddHatch(const Rect& rect, const Colour& line, const Colour& ground, int period,
                          HatchDirection direction) {
  if (rect.Empty() || period <= 0) return;
  Append(FigureKind::Hatch, F(rect.x0), F(rect.y0), F(rect.x1), F(rect.y1), line, ground,
         F(period), F(static_cast<int>(direction)), 0);
}

void FigureList::AddGlyph(std::int32_t glyph, int x, int y, int scale, int quarterTurns,
                          const Colour& colour) {
  if (scale <= 0 || glyph < 0 || glyph >= kGlyphTableSize) return;
  const int turns = ((quarterTurns % 4) + 4) % 4;
  // A box past the int range is not drawn (its edges could not be kept).
  const long long longest = static_cast<long long>(kGlyphRows) * scale;
  if (x > std::numeric_limits<int>::max() - longest || y > std::numeric_limits<int>::max() - longest)
    return;
  const bool sideways = turns % 2 == 1;
  const int w = (sideways ? kGlyphRows : kGlyphColumns) * scale;
  const int h = (sideways ? kGlyphColumns : kGlyphRows) * scale;
  Append(FigureKind::Glyph, F(x), F(y), F(x + w), F(y + h), colour, colour, F(glyph), F(turns),
         F(scale));
}

int FigureList::AddText(const std::vector<std::int32_t>& glyphs, int x, int y, int scale,
                        const Colour& colour, int maxWidth) {
  if (scale <= 0) return 0;
  int laidOut = static_cast<int>(std::min<std::size_t>(glyphs.size(), 1u << 20));
  while (maxWidth >= 0 && laidOut > 0 && TextWidth(laidOut, scale) > maxWidth) --laidOut;
  // Boxes past the int range are not drawn (their edges could not be kept).
  const long long longest = static_cast<long long>(kGlyphAdvance) * scale * laidOut;
  if (x > std::numeric_limits<int>::max() - longest ||
      y > std::numeric_limits<int>::max() - static_cast<long long>(kGlyphRows) * scale)
    return 0;
  for (int first = 0; first < laidOut; first += kGlyphsPerRun) {
    const int count = std::min(kGlyphsPerRun, laidOut - first);
    float packed[4] = {0, 0, 0, 0};
    for (int k = 0; k < count; ++k) {
      const std::int32_t g = glyphs[static_cast<std::size_t>(first + k)];
      const int code = g >= 0 && g < kGlyphTableSize ? g : kGlyphBlank;
      packed[k / kRunGlyphsPerFloat] +=
          static_cast<float>(code << (kRunGlyphBits * (k % kRunGlyphsPerFloat)));
    }
    const int left = x + first * kGlyphAdvance * scale;
    Append(FigureKind::TextRun, F(left), F(y), F(left + TextWidth(count, scale)),
           F(y + kGlyphRows * scale), colour, {packed[0], packed[1], packed[2], packed[3]},
           F(scale), F(count), 0);
  }
  return laidOut;
}

void FigureList::AddCornerTriangle(const Rect& square, Corner corner, const Colour& colour) {
  if (square.Empty()) return;
  Append(FigureKind::CornerTriangle, F(square.x0), F(square.y0), F(square.x1), F(square.y1),
         colour, colour, F(static_cast<int>(corner)), 0, 0);
}

void FigureList::AddSegment(float x0, float y0, float x1, float y1, float thickness,
                            const Colour& colour) {
  if (!Finite(x0, y0, x1, y1) || !(thickness > 0) || (x0 == x1 && y0 == y1)) return;
  Append(FigureKind::Segment, x0, y0, x1, y1, colour, colour, thickness, 0, 0);
}

void FigureList::AddArrowHead(float baseX, float baseY, float tipX, float tipY, float width,
                              const Colour& colour) {
  if (!Finite(baseX, baseY, tipX, tipY) || !(width > 0) || (baseX == tipX && baseY == tipY))
    return;
  Append(FigureKind::ArrowHead, baseX, baseY, tipX, tipY, colour, colour, width, 0, 0);
}

void FigureList::AddCopy(const FigureList& other, std::size_t index) {
  const auto from = other.data_.begin() + static_cast<std::ptrdiff_t>(index * kFloatsPerFigure);
  data_.insert(data_.end(), from, from + static_cast<std::ptrdiff_t>(kFloatsPerFigure));
}

FigureKind FigureList::KindAt(std::size_t index) const {
  return static_cast<FigureKind>(static_cast<int>(data_[index * kFloatsPerFigure + 12]));
}

}  // namespace shapes

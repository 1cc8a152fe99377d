#include "hdr/CodeShapes.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "glyphs/Utf8Glyphs.h"
#include "shapes/GlyphText.h"

namespace hdr {
namespace {

// round(e · size / reference) in integers, halves up (edges are never
// negative).
int ScaledEdge(int e, int size, int reference) {
  const long long twice = 2LL * e * size + reference;
  return static_cast<int>(twice / (2LL * reference));
}

std::size_t LongestLine(const std::vector<std::string>& lines) {
  std::size_t longest = 0;
  for (const std::string& line : lines) longest = std::max(longest, line.size());
  return longest;
}

// Lines are one glyph pixel apart: 8 glyph pixels from one line to the next.
constexpr int kLinePitch = 8;
constexpr int kGlyphAdvanceColumns = shapes::kGlyphAdvance;

}  // namespace

shapes::Colour CodeColour(const CodeTriple& c) {
  constexpr float kMax = static_cast<float>(veltrima::signal::kMaxCode);
  return {static_cast<float>(c.r) / kMax, static_cast<float>(c.g) / kMax,
          static_cast<float>(c.b) / kMax, 1.0f};
}

int ReferenceGrid::X(int referenceX) const { return ScaledEdge(referenceX, width_, kWidth); }
int ReferenceGrid::Y(int referenceY) const { return ScaledEdge(referenceY, height_, kHeight); }
shapes::Rect ReferenceGrid::Scaled(int x0, int y0, int x1, int y1) const {
  return {X(x0), Y(y0), X(x1), Y(y1)};
}

LabelSize MeasureLabel(const std::vector<std::string>& lines, int scale) {
  if (lines.empty() || scale <= 0) return {};
  const int count = static_cast<int>(lines.size());
  return {shapes::TextWidth(static_cast<int>(LongestLine(lines)), scale) + 2 * scale,
          (count * kLinePitch - 1) * scale + 2 * scale};
}

void AddLabel(shapes::ShapeList& list, const std::vector<std::string>& lines, int x, int y,
              int scale, veltrima::signal::Range range) {
  if (lines.empty() || scale <= 0) return;
  const LabelSize size = MeasureLabel(lines, scale);
  list.AddRect(shapes::RectAt(x, y, size.width, size.height),
               CodeColour(Grey(veltrima::signal::BlackCode(range))));
  const shapes::Colour white = CodeColour(Grey(veltrima::signal::WhiteCode(range)));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto glyphs = EncodeUtf8Glyphs(lines[i], lines[i].size(), SmallX::Times);
    shapes::AddGlyphText(list, glyphs, x + scale, y + scale + static_cast<int>(i) * kLinePitch * scale,
                         scale, white);
  }
}

int FittingLabelScale(const std::vector<std::string>& lines, int width, int height, int maxScale) {
  if (lines.empty()) return 0;
  // A label is (6n + 1) s wide and (8 lines + 1) s high at scale s.
  const long long across = static_cast<long long>(kGlyphAdvanceColumns) * LongestLine(lines) + 1;
  const long long down = static_cast<long long>(kLinePitch) * lines.size() + 1;
  const long long fits = std::min({static_cast<long long>(maxScale), width / across, height / down});
  return static_cast<int>(std::max(fits, 0LL));
}

std::string FormatNits(double nits) {
  if (nits <= 0) return "0";
  char text[32];
  const int decimals = nits >= 100 ? 0 : nits >= 10 ? 1 : nits >= 1 ? 2 : 4;
  std::snprintf(text, sizeof text, "%.*f", decimals, nits);
  return text;
}

}  // namespace hdr

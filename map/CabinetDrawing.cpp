#include "map/CabinetDrawing.h"

#include <algorithm>
#include <string>

#include "glyphs/GlyphTable.h"
#include "glyphs/Utf8Glyphs.h"
#include "shapes/GlyphText.h"

namespace {

using shapes::Corner;
using shapes::Rect;

constexpr int kMaxMarkSide = 64;
constexpr int kMinMarkSide = 3;
constexpr std::size_t kMaxLabelGlyphs = 64;
// Coordinate tags: scale 1, this far inside the border, on cabinets at
// least this tall inside it.
constexpr int kTagInset = 2;
constexpr int kMinTagHeight = 28;
constexpr std::int32_t kGlyphF = kGlyphCapitalA + ('F' - 'A');

// A text the layout's author wrote (a small x is a letter).
std::vector<std::int32_t> Glyphs(const std::string& text) {
  return EncodeUtf8Glyphs(text, kMaxLabelGlyphs, SmallX::Letter);
}

// A size, "500x500", with the font's small x between the numbers.
std::vector<std::int32_t> SizeGlyphs(long w, long h) {
  return EncodeUtf8Glyphs(std::to_string(w) + "x" + std::to_string(h), kMaxLabelGlyphs,
                          SmallX::Times);
}

int QuarterTurns(int rot) { return ((rot / 90) % 4 + 4) % 4; }

// A rectangle in the cabinet's own frame (origin at its own top-left
// corner, inside the border, before turning) as it lies on the canvas.
Rect ToMapped(const Rect& local, const Rect& inner, int rot) {
  const int iw = inner.Width(), ih = inner.Height();
  Rect m;
  switch (QuarterTurns(rot)) {
    case 1: m = {iw - local.y1, local.x0, iw - local.y0, local.x1}; break;
    case 2: m = {iw - local.x1, ih - local.y1, iw - local.x0, ih - local.y0}; break;
    case 3: m = {local.y0, ih - local.x1, local.y1, ih - local.x0}; break;
    default: m = local; break;
  }
  return {inner.x0 + m.x0, inner.y0 + m.y0, inner.x0 + m.x1, inner.y0 + m.y1};
}

// The F's scale for a mark of side n.
int FScale(int side) { return std::max(1, side / 10); }

}  // namespace

int BorderWidth(const Rect& cabinet, int lineWidth) {
  const int shorter = std::min(cabinet.Width(), cabinet.Height());
  return std::max(1, std::min(lineWidth, shorter / 2));
}

Rect InnerRect(const Rect& c, int lineWidth) {
  const int b = BorderWidth(c, lineWidth);
  return {c.x0 + b, c.y0 + b, c.x1 - b, c.y1 - b};
}

int MarkSide(const Rect& cabinet, int lineWidth) {
  const Rect inner = InnerRect(cabinet, lineWidth);
  if (inner.Empty()) return 0;
  const int side = std::min(kMaxMarkSide, std::min(inner.Width(), inner.Height()) / 5);
  return side >= kMinMarkSide ? side : 0;
}

Corner TurnedTopLeft(int rot) {
  constexpr Corner kCorners[] = {Corner::TopLeft, Corner::TopRight, Corner::BottomRight,
                                 Corner::BottomLeft};
  return kCorners[QuarterTurns(rot)];
}

void AddCabinetBorder(shapes::FigureList& list, const Rect& c, int lineWidth,
                      const shapes::Colour& colour) {
  const int b = BorderWidth(c, lineWidth);
  list.AddRect({c.x0, c.y0, c.x1, c.y0 + b}, colour);
  list.AddRect({c.x0, c.y1 - b, c.x1, c.y1}, colour);
  list.AddRect({c.x0, c.y0 + b, c.x0 + b, c.y1 - b}, colour);
  list.AddRect({c.x1 - b, c.y0 + b, c.x1, c.y1 - b}, colour);
}

void AddOrientationTriangle(shapes::FigureList& list, const Rect& c, int lineWidth, int rot,
                            const shapes::Colour& colour) {
  const int n = MarkSide(c, lineWidth);
  if (n == 0) return;
  list.AddCornerTriangle(ToMapped({0, 0, n, n}, InnerRect(c, lineWidth), rot), TurnedTopLeft(rot),
                         colour);
}

void AddOrientationLetter(shapes::FigureList& list, const Rect& c, int lineWidth, int rot,
                          const shapes::Colour& colour) {
  const int n = MarkSide(c, lineWidth);
  if (n == 0) return;
  const Rect inner = InnerRect(c, lineWidth);
  // The F stands beside the triangle along the cabinet's own top edge, so it
  // reads upright only on a cabinet mounted the way the map says.
  const int s = FScale(n);
  const bool sideways = QuarterTurns(rot) % 2 == 1;
  const int localW = sideways ? inner.Height() : inner.Width();
  const int localH = sideways ? inner.Width() : inner.Height();
  const Rect f = shapes::RectAt(n + s, 0, kGlyphColumns * s, kGlyphRows * s);
  if (f.x1 > localW || f.y1 > localH) return;
  const Rect mapped = ToMapped(f, inner, rot);
  list.AddGlyph(kGlyphF, mapped.x0, mapped.y0, s, QuarterTurns(rot), colour);
}

void AddCabinetTexts(shapes::FigureList& list, const layout::Cabinet& cabinet, const Rect& r,
                     int lineWidth, const shapes::Colour& colour) {
  const Rect inner = InnerRect(r, lineWidth);
  const Rect avail = {inner.x0 + kTagInset, inner.y0 + kTagInset, inner.x1 - kTagInset,
                      inner.y1 - kTagInset};
  if (avail.Empty()) return;
  const auto label = Glyphs(cabinet.label.empty() ? cabinet.id : cabinet.label);
  const int count = static_cast<int>(label.size());
  // At most three quarters of the width and a quarter of the height, so the
  // corner tags and the mark keep their room.
  const int scale = shapes::FittingScale(count, avail.Width() * 3 / 4, avail.Height() / 4);
  if (scale <= 0) return;
  const int cx = r.x0 + r.Width() / 2, cy = r.y0 + r.Height() / 2;
  const int labelY = cy - shapes::TextHeight(scale) / 2;
  list.AddText(label, cx - shapes::TextWidth(count, scale) / 2, labelY, scale, colour);

  std::string port = "NO PORT";
  if (cabinet.port > 0) {
    port = "PORT " + layout::PortName(cabinet.port);
    if (cabinet.chain > 0) port += " \xC2\xB7 " + std::to_string(cabinet.chain);
  }
  const auto portLine = Glyphs(port);
  const auto sizeLine = SizeGlyphs(cabinet.w, cabinet.h);
  const int widest = static_cast<int>(std::max(portLine.size(), sizeLine.size()));
  const int small = std::min(std::max(1, scale / 3), shapes::FittingScale(widest, avail.Width(),
                                                                          avail.Height()));
  if (small <= 0) return;
  int y = labelY + shapes::TextHeight(scale) + 2 * small;
  for (const auto* line : {&portLine, &sizeLine}) {
    if (y + shapes::TextHeight(small) > avail.y1) return;
    const int n = static_cast<int>(line->size());
    list.AddText(*line, cx - shapes::TextWidth(n, small) / 2, y, small, colour);
    y += shapes::TextHeight(small) + 2 * small;
  }
}

void AddCornerCoordinates(shapes::FigureList& list, const Rect& c, int lineWidth, int rot,
                          bool markShown, const shapes::Colour& colour) {
  const Rect inner = InnerRect(c, lineWidth);
  if (inner.Height() < kMinTagHeight) return;
  const int mark = markShown ? MarkSide(c, lineWidth) : 0;
  const Corner markCorner = TurnedTopLeft(rot);
  const auto topLeft = Glyphs(std::to_string(c.x0) + "," + std::to_string(c.y0));
  const auto bottomRight = Glyphs(std::to_string(c.x1 - 1) + "," + std::to_string(c.y1 - 1));
  const int textH = shapes::TextHeight(1);

  const int tlW = shapes::TextWidth(static_cast<int>(topLeft.size()), 1);
  int tlY = inner.y0 + kTagInset;
  if (mark > 0 && markCorner == Corner::TopLeft) tlY += mark + kTagInset;
  if (tlW <= inner.Width() - 2 * kTagInset && tlY + textH <= inner.y1 - kTagInset)
    list.AddText(topLeft, inner.x0 + kTagInset, tlY, 1, colour);

  const int brW = shapes::TextWidth(static_cast<int>(bottomRight.size()), 1);
  int brY = inner.y1 - kTagInset - textH;
  if (mark > 0 && markCorner == Corner::BottomRight) brY -= mark + kTagInset;
  if (brW <= inner.Width() - 2 * kTagInset && brY >= inner.y0 + kTagInset)
    list.AddText(bottomRight, inner.x1 - kTagInset - brW, brY, 1, colour);
}

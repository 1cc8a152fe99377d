#include "map/CabinetDrawing.h"

#include <algorithm>
#include <string>
#include <utility>

#include "glyphs/EllipsisCut.h"
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

// A text the layout's author wrote (a small x is a letter); one longer than
// kMaxLabelGlyphs ends in the ellipsis.
std::vector<std::int32_t> Glyphs(const std::string& text) {
  return CutWithEllipsis(EncodeUtf8Glyphs(text, kMaxLabelGlyphs + 1, SmallX::Letter),
                         kMaxLabelGlyphs);
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

// Where the F beside a mark of side n goes on the canvas; empty where the
// cabinet has no room for it. The F stands beside the triangle along the
// cabinet's own top edge, so it reads upright only on a cabinet mounted the
// way the map says.
Rect LetterBox(const Rect& inner, int n, int rot) {
  const int s = FScale(n);
  const bool sideways = QuarterTurns(rot) % 2 == 1;
  const int localW = sideways ? inner.Height() : inner.Width();
  const int localH = sideways ? inner.Width() : inner.Height();
  const Rect f = shapes::RectAt(n + s, 0, kGlyphColumns * s, kGlyphRows * s);
  if (f.x1 > localW || f.y1 > localH) return Rect{};
  return ToMapped(f, inner, rot);
}

bool MeetsAny(const Rect& box, const std::vector<Rect>& others) {
  for (const Rect& o : others)
    if (box.Overlaps(o)) return true;
  return false;
}

// A label too long for `room` pixels at scale 1: as many of its glyphs as
// fit with the ellipsis glyph after them; empty where not even one does.
std::vector<std::int32_t> CutToFit(const std::vector<std::int32_t>& label, int room) {
  const int fitting = std::max(0, room + 1) / shapes::kGlyphAdvance;
  if (fitting < 2) return {};
  return CutWithEllipsis(label, static_cast<std::size_t>(fitting));
}

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
  const Rect box = LetterBox(InnerRect(c, lineWidth), n, rot);
  if (box.Empty()) return;
  list.AddGlyph(kGlyphF, box.x0, box.y0, FScale(n), QuarterTurns(rot), colour);
}

std::vector<Rect> MarkBoxes(const Rect& c, int lineWidth, int rot) {
  const int n = MarkSide(c, lineWidth);
  if (n == 0) return {};
  const Rect inner = InnerRect(c, lineWidth);
  std::vector<Rect> boxes = {ToMapped({0, 0, n, n}, inner, rot)};
  const Rect letter = LetterBox(inner, n, rot);
  if (!letter.Empty()) boxes.push_back(letter);
  return boxes;
}

Rect PlacedText::Box() const {
  return shapes::RectAt(x, y, shapes::TextWidth(static_cast<int>(glyphs.size()), scale),
                        shapes::TextHeight(scale));
}

std::vector<PlacedText> CabinetTexts(const layout::Cabinet& cabinet, const Rect& r,
                                     int lineWidth, const std::vector<Rect>& keepClear) {
  const Rect inner = InnerRect(r, lineWidth);
  const Rect avail = {inner.x0 + kTagInset, inner.y0 + kTagInset, inner.x1 - kTagInset,
                      inner.y1 - kTagInset};
  if (avail.Empty()) return {};
  std::vector<std::int32_t> label = Glyphs(cabinet.label.empty() ? cabinet.id : cabinet.label);
  // At most three quarters of the width and a quarter of the height, so the
  // corner tags and the mark keep their room.
  const int roomW = avail.Width() * 3 / 4, roomH = avail.Height() / 4;
  int scale = shapes::FittingScale(static_cast<int>(label.size()), roomW, roomH);
  if (scale <= 0 && shapes::TextHeight(1) <= roomH) {
    label = CutToFit(label, roomW);
    if (!label.empty()) scale = 1;
  }
  const int cx = r.x0 + r.Width() / 2, cy = r.y0 + r.Height() / 2;
  auto centred = [&](std::vector<std::int32_t> glyphs, int y, int s) {
    const int w = shapes::TextWidth(static_cast<int>(glyphs.size()), s);
    return PlacedText{std::move(glyphs), cx - w / 2, y, s};
  };
  // The largest scale at which the centred label meets neither mark nor tag.
  std::vector<PlacedText> texts;
  for (; scale >= 1; --scale) {
    PlacedText line = centred(label, cy - shapes::TextHeight(scale) / 2, scale);
    if (!MeetsAny(line.Box(), keepClear)) {
      texts.push_back(std::move(line));
      break;
    }
  }
  if (texts.empty()) return texts;

  std::string port = "NO PORT";
  if (cabinet.port > 0) {
    port = "PORT " + layout::PortName(cabinet.port);
    if (cabinet.chain > 0) port += " \xC2\xB7 " + std::to_string(cabinet.chain);
  }
  auto portLine = Glyphs(port);
  auto sizeLine = SizeGlyphs(cabinet.w, cabinet.h);
  const int widest = static_cast<int>(std::max(portLine.size(), sizeLine.size()));
  const int small = std::min(std::max(1, scale / 3), shapes::FittingScale(widest, avail.Width(),
                                                                          avail.Height()));
  if (small <= 0) return texts;
  int y = texts.front().Box().y1 + 2 * small;
  for (auto* glyphs : {&portLine, &sizeLine}) {
    PlacedText line = centred(std::move(*glyphs), y, small);
    if (line.Box().y1 > avail.y1 || MeetsAny(line.Box(), keepClear)) break;
    texts.push_back(std::move(line));
    y += shapes::TextHeight(small) + 2 * small;
  }
  return texts;
}

std::vector<PlacedText> CornerCoordinates(const Rect& c, int lineWidth, int rot, bool markShown) {
  const Rect inner = InnerRect(c, lineWidth);
  if (inner.Height() < kMinTagHeight) return {};
  const int mark = markShown ? MarkSide(c, lineWidth) : 0;
  const Corner markCorner = TurnedTopLeft(rot);
  std::vector<Rect> taken = markShown ? MarkBoxes(c, lineWidth, rot) : std::vector<Rect>{};
  const Rect room = {inner.x0 + kTagInset, inner.y0 + kTagInset, inner.x1 - kTagInset,
                     inner.y1 - kTagInset};
  std::vector<PlacedText> tags;
  auto place = [&](PlacedText tag) {
    const Rect box = tag.Box();
    const bool inside =
        box.x0 >= room.x0 && box.y0 >= room.y0 && box.x1 <= room.x1 && box.y1 <= room.y1;
    if (!inside || MeetsAny(box, taken)) return;
    taken.push_back(box);
    tags.push_back(std::move(tag));
  };
  const int textH = shapes::TextHeight(1);

  PlacedText topLeft{Glyphs(std::to_string(c.x0) + "," + std::to_string(c.y0)), room.x0, room.y0,
                     1};
  if (mark > 0 && markCorner == Corner::TopLeft) topLeft.y += mark + kTagInset;
  place(std::move(topLeft));

  PlacedText bottomRight{Glyphs(std::to_string(c.x1 - 1) + "," + std::to_string(c.y1 - 1)), 0,
                         room.y1 - textH, 1};
  bottomRight.x = room.x1 - bottomRight.Box().Width();
  if (mark > 0 && markCorner == Corner::BottomRight) bottomRight.y -= mark + kTagInset;
  place(std::move(bottomRight));
  return tags;
}

std::vector<PlacedText> CabinetWords(const layout::Cabinet& cabinet, const Rect& rect,
                                     int lineWidth, bool labels, bool coordinates, bool marks,
                                     const Rect& code) {
  std::vector<PlacedText> words;
  if (coordinates) words = CornerCoordinates(rect, lineWidth, cabinet.rot, marks);
  if (!labels) return words;
  std::vector<Rect> keepClear = marks ? MarkBoxes(rect, lineWidth, cabinet.rot) : std::vector<Rect>{};
  for (const PlacedText& tag : words) keepClear.push_back(tag.Box());
  if (!code.Empty()) keepClear.push_back(code);
  for (PlacedText& line : CabinetTexts(cabinet, rect, lineWidth, keepClear))
    words.push_back(std::move(line));
  return words;
}

void AddPlacedTexts(shapes::FigureList& list, const std::vector<PlacedText>& texts,
                    const shapes::Colour& colour) {
  for (const PlacedText& t : texts) list.AddText(t.glyphs, t.x, t.y, t.scale, colour);
}

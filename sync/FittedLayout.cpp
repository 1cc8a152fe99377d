#include "sync/FittedLayout.h"

#include <algorithm>
#include <vector>

#include "framestamp/StampCode.h"
#include "glyphs/GlyphTable.h"
#include "shapes/GlyphText.h"
#include "sync/QrSymbol.h"

namespace {

using shapes::Rect;

// The four texts in drawing order (label, frame number, time of day,
// timecode): the glyphs each is sized for, and its share of the height when
// they are stacked.
struct TextRow {
  int designGlyphs, heightShare;
};
constexpr TextRow kTexts[4] = {{kLabelDesignGlyphs, 10},
                                {kFrameNumberDesignDigits, 13},
                                {kTimeDesignGlyphs, 8},
                                {kTimeDesignGlyphs, 8}};

struct TextPlacement {
  std::array<Rect, 4> rects{};
  std::array<int, 4> scales{};
  int bottom = 0;  // below the last row
  int Smallest() const { return *std::min_element(scales.begin(), scales.end()); }
};

// The texts one above another, each row's height its share of the box and
// no wider than the box for its design length; rows then packed together.
TextPlacement Stacked(const Rect& box, int gap) {
  TextPlacement p;
  int shares = 0;
  for (const TextRow& t : kTexts) shares += t.heightShare;
  const int room = std::max(0, box.Height() - 3 * gap);
  int y = box.y0;
  for (std::size_t i = 0; i < 4; ++i) {
    const int rowHeight = static_cast<int>(static_cast<long long>(room) * kTexts[i].heightShare / shares);
    p.scales[i] = shapes::FittingScale(kTexts[i].designGlyphs, box.Width(), rowHeight);
    p.rects[i] = {box.x0, y, box.x1, y + shapes::TextHeight(p.scales[i])};
    y = p.rects[i].y1 + gap;
  }
  p.bottom = y - gap;
  return p;
}

// The texts side by side, each as wide as its share of the design glyphs.
TextPlacement SideBySide(const Rect& box, int gap) {
  TextPlacement p;
  int glyphs = 0;
  for (const TextRow& t : kTexts) glyphs += t.designGlyphs;
  const int room = std::max(0, box.Width() - 3 * gap);
  int x = box.x0;
  for (std::size_t i = 0; i < 4; ++i) {
    const int width = static_cast<int>(static_cast<long long>(room) * kTexts[i].designGlyphs / glyphs);
    p.scales[i] = shapes::FittingScale(kTexts[i].designGlyphs, width, box.Height());
    p.rects[i] = {x, box.y0, x + width, box.y0 + shapes::TextHeight(p.scales[i])};
    x += width + gap;
  }
  p.bottom = box.y0;
  for (const Rect& r : p.rects) p.bottom = std::max(p.bottom, r.y1);
  return p;
}

// Stacked where that draws the smallest text larger (portrait, near
// square), side by side where that does (ribbons).
void PlaceTexts(SyncLayout& l, const Rect& box, int gap) {
  const TextPlacement stacked = Stacked(box, gap), row = SideBySide(box, gap);
  const TextPlacement& p = row.Smallest() > stacked.Smallest() ? row : stacked;
  l.label = p.rects[0];
  l.frameNumber = p.rects[1];
  l.timeOfDay = p.rects[2];
  l.timecode = p.rects[3];
  l.labelScale = p.scales[0];
  l.frameScale = p.scales[1];
  l.timeScale = p.scales[2];
}

int TextBlockBottom(const SyncLayout& l) {
  return std::max({l.label.y1, l.frameNumber.y1, l.timeOfDay.y1, l.timecode.y1});
}

// The QR code, the flash box and the markers as three equal squares, the
// QR code's reserved square at the largest module that fits (the one asked
// for at most), in one, two or three columns.
struct Tiles {
  int module = 0, side = 0, columns = 1;
  int Rows() const { return (3 + columns - 1) / columns; }
  int Width(int gap) const { return columns * side + (columns - 1) * gap; }
  int Height(int gap) const { return Rows() * side + (Rows() - 1) * gap; }
};

Tiles ChooseTiles(int maxWidth, int maxHeight, int gap, int requestedModule, bool preferWide) {
  Tiles best;
  best.side = -1;
  // Column counts in the order that wins a tie: beside the texts the
  // narrowest block, across a pillar or at a ribbon's end the lowest.
  const int order[2][3] = {{1, 2, 3}, {3, 2, 1}};
  for (int columns : order[preferWide ? 1 : 0]) {
    Tiles t;
    t.columns = columns;
    const int room = std::min((maxWidth - (columns - 1) * gap) / columns,
                              (maxHeight - (t.Rows() - 1) * gap) / t.Rows());
    if (room <= 0) continue;
    t.module = std::min(requestedModule, room / kQrReservedModules);
    // Without a QR code the tiles take what room there is (the markers may
    // still fit); with one, exactly its square.
    t.side = t.module >= kMinQrModule ? t.module * kQrReservedModules : room;
    if (t.module > best.module || (t.module == best.module && t.module < kMinQrModule && t.side > best.side))
      best = t;
  }
  if (best.side < 0) best = Tiles{};
  return best;
}

void PlaceTiles(SyncLayout& l, const Tiles& t, int x0, int y0, int gap) {
  std::array<Rect, 3> squares;
  for (int i = 0; i < 3; ++i)
    squares[static_cast<std::size_t>(i)] = shapes::RectAt(x0 + (i % t.columns) * (t.side + gap),
                                                          y0 + (i / t.columns) * (t.side + gap), t.side, t.side);
  l.qrModule = t.module;
  l.qr = squares[0];
  l.flash = squares[1];
  const Rect& m = squares[2];
  const int parity = std::max(0, (m.Width() - gap) / 2);
  l.parityA = shapes::RectAt(m.x0, m.y0, parity, parity);
  l.parityB = shapes::RectAt(m.x0 + parity + gap, m.y0, parity, parity);
  l.colourBar = {m.x0, m.y0 + parity + gap, m.x1, m.y1};
}

// The ruler's numbers sit in its lower half: 8 glyph pixels in h/2 - 2.
int RulerTextScaleFor(int rulerHeight) { return std::max(1, (rulerHeight / 2 - 2) / (kGlyphRows + 1)); }
constexpr int kMinRulerHeight = 2 * ((kGlyphRows + 1) * kMinTextScale + 2);
constexpr int kMinTrackLabelThickness = kGlyphRows * kMinTextScale + 2;

void Landscape(SyncLayout& l, const Rect& content, int margin, int requestedModule) {
  // A ribbon puts the tiles at its right end, over the whole height; the
  // other landscape shapes put them beside the texts.
  const bool ribbon = content.Width() >= 3 * content.Height();
  Rect rest = content;
  if (ribbon) {
    const Tiles tiles = ChooseTiles(content.Width() * 2 / 5, content.Height(), margin, requestedModule, true);
    const int tilesX = content.x1 - tiles.Width(margin);
    PlaceTiles(l, tiles, tilesX, content.y0, margin);
    rest.x1 = tilesX - margin;
  }

  const int shortSide = content.Height();
  const int rulerHeight = std::max(kMinRulerHeight, shortSide / 9);
  l.ruler = {rest.x0, rest.y1 - rulerHeight, rest.x1, rest.y1};
  l.rulerTextScale = RulerTextScaleFor(rulerHeight);

  const int thickness = std::max(kMinTrackLabelThickness, shortSide / (ribbon ? 12 : 16));
  const int trackGap = std::max(2, thickness / 4);
  l.trackLabelScale = std::max(1, (thickness - 2) / kGlyphRows);
  const int labelWidth = shapes::TextWidth(6, l.trackLabelScale);  // "8 PX/F"
  const int tracksBottom = l.ruler.y0 - margin;
  for (std::size_t i = 0; i < kMotionTrackCount; ++i) {
    const int y0 = tracksBottom - static_cast<int>(kMotionTrackCount - i) * thickness -
                   static_cast<int>(kMotionTrackCount - 1 - i) * trackGap;
    l.trackLabels[i] = {rest.x0, y0, rest.x0 + labelWidth, y0 + thickness};
    l.tracks[i] = {rest.x0 + labelWidth + margin, y0, rest.x1, y0 + thickness};
  }

  const Rect top{rest.x0, rest.y0, rest.x1, l.tracks[0].y0 - margin};
  int textRight = top.x1;
  if (!ribbon) {
    const Tiles tiles = ChooseTiles(top.Width() * 3 / 5, top.Height(), margin, requestedModule, false);
    const int tilesX = top.x1 - tiles.Width(margin);
    PlaceTiles(l, tiles, tilesX, top.y0, margin);
    textRight = tilesX - margin;
  }
  PlaceTexts(l, {top.x0, top.y0, textRight, top.y1}, std::max(1, margin / 2));
}

void Portrait(SyncLayout& l, const Rect& content, int margin, int requestedModule) {
  const int width = content.Width();
  PlaceTexts(l, {content.x0, content.y0, content.x1, content.y0 + content.Height() / 4},
             std::max(1, margin / 2));
  int y = TextBlockBottom(l) + margin;

  // The tiles take up to 35% of the height; on a narrow pillar, where that
  // holds no QR code stacked three high, up to half.
  Tiles tiles = ChooseTiles(width, content.Height() * 7 / 20, margin, requestedModule, true);
  if (tiles.module < kMinQrModule)
    tiles = ChooseTiles(width, content.Height() / 2, margin, requestedModule, true);
  PlaceTiles(l, tiles, content.x0, y, margin);
  y += tiles.Height(margin) + margin;

  const int rulerHeight = std::max(kMinRulerHeight, width / 9);
  l.ruler = {content.x0, y, content.x1, y + rulerHeight};
  l.rulerTextScale = RulerTextScaleFor(rulerHeight);
  y = l.ruler.y1 + margin;

  // Four columns, each a label above a vertical track; a label too wide for
  // its column is broken into "8" above "PX/F".
  const int columnGap = std::max(2, width / 40);
  const int column = (width - 3 * columnGap) / 4;
  const int largest = std::max(kMinTextScale, width / 160);
  int scale = std::min(largest, shapes::FittingScale(6, column, 1 << 20));
  l.trackLabelLines = 1;
  if (scale < kMinTextScale) {
    scale = std::min(largest, shapes::FittingScale(4, column, 1 << 20));
    l.trackLabelLines = 2;
  }
  l.trackLabelScale = scale;
  const int labelHeight = l.trackLabelLines * shapes::TextHeight(scale) + (l.trackLabelLines - 1) * scale;
  const int thickness = std::min(column, std::max(kMinTrackLabelThickness, width / 24));
  l.tracksAlongHeight = true;
  for (std::size_t i = 0; i < kMotionTrackCount; ++i) {
    const int x0 = content.x0 + static_cast<int>(i) * (column + columnGap);
    l.trackLabels[i] = {x0, y, x0 + column, y + labelHeight};
    l.tracks[i] = {x0, y + labelHeight + margin, x0 + thickness, content.y1};
  }
}

}  // namespace

SyncLayout FittedSyncLayout(int width, int height, int requestedCellSize, int requestedQrModule) {
  SyncLayout l;
  l.width = width;
  l.height = height;
  l.cellSize = StripCellSize(requestedCellSize, width);
  if (l.cellSize > 0 && kStripBandRows * l.cellSize > height) l.cellSize = 0;
  if (l.cellSize > 0) {
    const StripRect band = StripBand(l.cellSize, height);
    l.stripBand = shapes::RectAt(band.x, band.y, band.width, band.height);
  }
  const int bottom = l.cellSize > 0 ? height - kStripBandRows * l.cellSize : height;
  const int margin = std::max(2, std::min(width, bottom) / 40);
  const Rect content{margin, margin, width - margin, bottom - margin};
  if (content.Empty()) return l;
  // Never a module below the minimum: a smaller one is asked for as the minimum.
  const int module = std::max(requestedQrModule, kMinQrModule);
  if (content.Height() > content.Width())
    Portrait(l, content, margin, module);
  else
    Landscape(l, content, margin, module);
  return l;
}

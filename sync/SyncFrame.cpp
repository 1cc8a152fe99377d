#include "sync/SyncFrame.h"

#include <algorithm>
#include <string_view>

#include "framestamp/StampCode.h"
#include "framestamp/StampText.h"
#include "framestamp/TimeOfDay.h"
#include "framestamp/Timecode.h"
#include "glyphs/Utf8Glyphs.h"
#include "shapes/Colour.h"
#include "shapes/GlyphText.h"
#include "sync/MarkerColours.h"

namespace {

using shapes::Colour;
using shapes::Dimmed;
using shapes::Rect;
using shapes::ShapeList;

// An ASCII text (what the plug-in writes itself) as glyphs.
std::vector<std::int32_t> Glyphs(std::string_view text) {
  return EncodeUtf8Glyphs(text, text.size(), SmallX::Times);
}

// A line of glyphs in `box`, cut at its right edge.
void AddLine(ShapeList& list, const std::vector<std::int32_t>& glyphs, const Rect& box, int scale,
             const Colour& colour) {
  if (box.Empty() || scale <= 0) return;
  shapes::AddGlyphText(list, glyphs, box.x0, box.y0, scale, colour, box.Width());
}

void AddStrip(ShapeList& list, const SyncLayout& l, const SyncSettings& s, const FrameFacts& f) {
  if (l.cellSize <= 0) return;
  // White and black are exact at full alpha, whatever the brightness.
  list.AddRect(l.stripBand, shapes::kBlack);
  FrameStamp stamp;
  stamp.frame = static_cast<std::uint32_t>(f.frame % kStampFrameModulus);
  stamp.millisecondOfDay = static_cast<std::uint32_t>(f.millisecondOfDay);
  stamp.output = s.output;
  const std::uint64_t word = EncodeStamp(stamp);
  for (int i = 0; i < kStripCells; ++i) {
    if (!StripCellIsWhite(word, i)) continue;
    const StripRect c = StripCell(l.cellSize, l.height, i);
    list.AddRect(shapes::RectAt(c.x, c.y, c.width, c.height), shapes::kWhite);
  }
}

// Whether row y holds a dark run from x up to (not including) end, light
// or the symbol's edge on either side.
bool SameDarkRun(const QrSymbol& symbol, int x, int end, int y) {
  if (x > 0 && symbol.Dark(x - 1, y)) return false;
  if (end < symbol.size && symbol.Dark(end, y)) return false;
  for (int i = x; i < end; ++i)
    if (!symbol.Dark(i, y)) return false;
  return true;
}

void AddQr(ShapeList& list, const SyncLayout& l, const QrSymbol& symbol) {
  const int m = l.qrModule;
  if (m <= 0 || symbol.size + 2 * kQrQuietModules > kQrReservedModules) return;
  // A QR code reads as dark on light: the quiet zone and light modules white.
  const int side = (symbol.size + 2 * kQrQuietModules) * m;
  list.AddRect(shapes::RectAt(l.qr.x0, l.qr.y0, side, side), shapes::kWhite);
  const int x0 = l.qr.x0 + kQrQuietModules * m, y0 = l.qr.y0 + kQrQuietModules * m;
  // One rectangle per dark run of a row, carried down over the rows below
  // that have the very same run: a fifth fewer rectangles to draw.
  for (int y = 0; y < symbol.size; ++y) {
    int x = 0;
    while (x < symbol.size) {
      if (!symbol.Dark(x, y)) {
        ++x;
        continue;
      }
      int end = x;
      while (end < symbol.size && symbol.Dark(end, y)) ++end;
      if (y == 0 || !SameDarkRun(symbol, x, end, y - 1)) {
        int below = y + 1;
        while (below < symbol.size && SameDarkRun(symbol, x, end, below)) ++below;
        list.AddRect({x0 + x * m, y0 + y * m, x0 + end * m, y0 + below * m}, shapes::kBlack);
      }
      x = end;
    }
  }
}

void AddRuler(ShapeList& list, const SyncLayout& l, std::int64_t millisecondOfDay, float brightness) {
  const Rect& r = l.ruler;
  if (r.Empty()) return;
  const Colour tick = Dimmed(shapes::kWhite, brightness);
  const int length = r.Width();
  const int tickWidth = std::max(1, length / 1000);
  list.AddRect(r, Dimmed({0.12f, 0.12f, 0.12f, 1.0f}, brightness));
  const int minor = std::max(1, r.Height() / 5), major = std::max(1, r.Height() / 2);
  for (int ms = 0; ms < 1000; ms += 10)
    list.AddRect(shapes::RectAt(RulerX(r, ms), r.y0, tickWidth, ms % 100 == 0 ? major : minor), tick);
  list.AddRect(shapes::RectAt(RulerX(r, 999), r.y0, tickWidth, major), tick);
  // Only the numbers that fit apart: every 100, 200 or 500 ms.
  for (int ms = 0; l.rulerStepMs > 0 && ms < 1000; ms += l.rulerStepMs) {
    const Rect box = RulerNumberBox(l, ms);
    shapes::AddGlyphText(list, Glyphs(std::to_string(ms)), box.x0, box.y0, l.rulerTextScale, tick,
                         r.x1 - box.x0);
  }
  // The marker at this frame's millisecond of its second, over the ticks.
  const int ms = static_cast<int>(millisecondOfDay % 1000);
  const int markerWidth = std::max(2, length / 400);
  const int markerX = std::min(RulerX(r, ms), r.x1 - markerWidth);
  list.AddRect({markerX, r.y0, markerX + markerWidth, r.y1}, Dimmed({1.0f, 0.15f, 0.15f, 1.0f}, brightness));
}

// "8 PX/F" on one line, or "8" above "PX/F" where the column is narrow.
void AddTrackLabel(ShapeList& list, const SyncLayout& l, const Rect& box, int speed, const Colour& colour) {
  if (l.trackLabelLines == 1) {
    AddLine(list, Glyphs(std::to_string(speed) + " PX/F"), box, l.trackLabelScale, colour);
    return;
  }
  const int s = l.trackLabelScale;
  AddLine(list, Glyphs(std::to_string(speed)), box, s, colour);
  AddLine(list, Glyphs("PX/F"), {box.x0, box.y0 + shapes::TextHeight(s) + s, box.x1, box.y1}, s, colour);
}

void AddTracks(ShapeList& list, const SyncLayout& l, std::uint64_t frame, float brightness) {
  for (int i = 0; i < kMotionTrackCount; ++i) {
    const Rect& track = l.tracks[static_cast<std::size_t>(i)];
    const Rect& label = l.trackLabels[static_cast<std::size_t>(i)];
    const int speed = TrackSpeed(i);  // pixels per frame
    AddTrackLabel(list, l, label, speed, Dimmed(shapes::kWhite, brightness));
    if (track.Empty()) continue;
    list.AddRect(track, Dimmed({0.12f, 0.12f, 0.12f, 1.0f}, brightness));
    const int bar = TrackBarLength(track, l.tracksAlongHeight);
    const int travel = TrackTravel(track, l.tracksAlongHeight);
    // Exactly `speed` pixels further each frame, starting over at the end.
    const std::uint64_t offset =
        travel > 0 ? (frame % static_cast<std::uint64_t>(travel)) * static_cast<std::uint64_t>(speed) %
                         static_cast<std::uint64_t>(travel)
                   : 0;
    const int at = static_cast<int>(offset);
    const Rect moving = l.tracksAlongHeight
                            ? Rect{track.x0, track.y0 + at, track.x1, std::min(track.y0 + at + bar, track.y1)}
                            : Rect{track.x0 + at, track.y0, std::min(track.x0 + at + bar, track.x1), track.y1};
    list.AddRect(moving, Dimmed(shapes::kWhite, brightness));
  }
}

// A box white when `lit`, black otherwise, inside a grey frame that shows
// where it is while it is black.
void AddFramedBox(ShapeList& list, const Rect& box, bool lit, float brightness) {
  if (box.Empty()) return;
  list.AddRect(box, Dimmed({0.25f, 0.25f, 0.25f, 1.0f}, brightness));
  const int edge = std::max(1, std::min(box.Width(), box.Height()) / 40);
  list.AddRect({box.x0 + edge, box.y0 + edge, box.x1 - edge, box.y1 - edge},
               lit ? Dimmed(shapes::kWhite, brightness) : shapes::kBlack);
}

}  // namespace

std::string QrTextFor(const SyncSettings& s, const FrameFacts& f) {
  StampText text;
  text.frame = f.frame;
  text.time = FormatTimeOfDay(f.millisecondOfDay);
  text.timecode = FormatTimecode(TimecodeAt(f.millisecondOfDay, s.rate));
  text.output = s.output;
  text.label = s.label.substr(0, Utf8PrefixLength(s.label, kQrMaxLabelBytes));
  return ComposeStampText(text);
}

void ComposeSyncFrame(const SyncSettings& s, const SyncLayout& l, const FrameFacts& f,
                      const std::optional<QrSymbol>& qr, ShapeList& list) {
  const float b = s.brightness;
  const Colour text = Dimmed(shapes::kWhite, b);
  const bool wholeFlash = s.shown.flash && s.flashArea == kFlashWholeOutput && f.flash;
  list.AddRect({0, 0, l.width, l.height}, wholeFlash ? text : shapes::kBlack);

  if (s.shown.label) {
    const int fit = l.labelScale > 0 ? l.label.Width() / (shapes::kGlyphAdvance * l.labelScale) + 1 : 0;
    // The label is typed by a person: a small x in it is a letter.
    const auto label =
        EncodeUtf8Glyphs(s.label, static_cast<std::size_t>(std::max(fit, 0)), SmallX::Letter);
    AddLine(list, label, l.label, l.labelScale, text);
  }
  if (s.shown.frameNumber)
    AddLine(list, Glyphs(std::to_string(f.frame)), l.frameNumber, l.frameScale, text);
  if (s.shown.timeOfDay)
    AddLine(list, Glyphs(FormatTimeOfDay(f.millisecondOfDay)), l.timeOfDay, l.timeScale, text);
  if (s.shown.timecode)
    AddLine(list, Glyphs("TC " + FormatTimecode(TimecodeAt(f.millisecondOfDay, s.rate))),
            l.timecode, l.timeScale, text);
  if (s.shown.qr && qr) AddQr(list, l, *qr);
  if (s.shown.flash && s.flashArea == kFlashBox) AddFramedBox(list, l.flash, f.flash, b);
  if (s.shown.markers) {
    const bool even = f.frame % 2 == 0;
    AddFramedBox(list, l.parityA, even, b);
    AddFramedBox(list, l.parityB, !even, b);
    list.AddRect(l.colourBar, Dimmed(MarkerColourFor(f.frame).colour, b));
  }
  if (s.shown.tracks) AddTracks(list, l, f.frame, b);
  if (s.shown.ruler) AddRuler(list, l, f.millisecondOfDay, b);
  if (s.shown.strip) AddStrip(list, l, s, f);
}

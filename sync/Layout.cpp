#include "sync/Layout.h"

#include <algorithm>

#include "shapes/GlyphText.h"
#include "sync/ClassicLayout.h"
#include "sync/FittedLayout.h"
#include "sync/LayoutRules.h"

using shapes::Rect;

SyncLayout ComputeSyncLayout(int width, int height, int requestedCellSize, int requestedQrModule) {
  // Beyond any viewport GL draws; the layout's arithmetic stays well inside
  // int below it, whatever size a host announces.
  const int w = std::clamp(width, 0, kMaxLayoutDimension);
  const int h = std::clamp(height, 0, kMaxLayoutDimension);
  // The first layout stays on outputs within a tenth of 16:9 wherever it
  // keeps every minimum, so that their pictures (1080p and up) are what they
  // always were.
  const long long wide = 9LL * w, tall = 16LL * h;
  const bool nearSixteenByNine = 10 * wide >= 9 * tall && 10 * wide <= 11 * tall;
  SyncLayout classic = ClassicSyncLayout(w, h, requestedCellSize, requestedQrModule);
  classic.rulerStepMs = RulerStepFor(classic.ruler, classic.rulerTextScale);
  bool whole = true;
  for (const auto& element : LayoutElements(classic)) whole = whole && !element.second.Empty();
  if (nearSixteenByNine && whole && MinimumSizeFaults(classic).empty()) return classic;
  SyncLayout fitted = FittedSyncLayout(w, h, requestedCellSize, requestedQrModule);
  ClipToOutput(fitted);
  fitted.rulerStepMs = RulerStepFor(fitted.ruler, fitted.rulerTextScale);
  LeaveOutWhatIsTooSmall(fitted);
  return fitted;
}

std::vector<std::pair<std::string, shapes::Rect>> LayoutElements(const SyncLayout& l) {
  std::vector<std::pair<std::string, shapes::Rect>> all = {
      {"label", l.label},         {"frame number", l.frameNumber}, {"time of day", l.timeOfDay},
      {"timecode", l.timecode},   {"QR code", l.qr},               {"flash box", l.flash},
      {"parity A", l.parityA},    {"parity B", l.parityB},         {"colour bar", l.colourBar},
      {"ruler", l.ruler},         {"code strip", l.stripBand},
  };
  for (int i = 0; i < kMotionTrackCount; ++i) {
    all.emplace_back("track label " + std::to_string(i), l.trackLabels[static_cast<std::size_t>(i)]);
    all.emplace_back("motion track " + std::to_string(i), l.tracks[static_cast<std::size_t>(i)]);
  }
  return all;
}

int TrackBarLength(const Rect& track, bool alongHeight) {
  return std::max(2, (alongHeight ? track.Width() : track.Height()) / 2);
}

int TrackTravel(const Rect& track, bool alongHeight) {
  return (alongHeight ? track.Height() : track.Width()) - TrackBarLength(track, alongHeight);
}

int RulerX(const Rect& ruler, int ms) {
  const int tickWidth = std::max(1, ruler.Width() / 1000);
  const int span = std::max(0, ruler.Width() - tickWidth);
  return ruler.x0 + static_cast<int>(static_cast<long long>(span) * ms / 999);
}

namespace {

// The number's glyphs start one glyph pixel below the major ticks (half the
// ruler's height).
Rect RulerNumberAt(const Rect& ruler, int textScale, int ms) {
  const int digits = static_cast<int>(std::to_string(ms).size());
  const int width = shapes::TextWidth(digits, textScale);
  const int x = std::min(RulerX(ruler, ms), ruler.x1 - width);
  const int y = ruler.y0 + std::max(1, ruler.Height() / 2) + std::max(1, textScale);
  return shapes::RectAt(x, y, width, shapes::TextHeight(textScale));
}

}  // namespace

Rect RulerNumberBox(const SyncLayout& l, int ms) { return RulerNumberAt(l.ruler, l.rulerTextScale, ms); }

int RulerStepFor(const Rect& ruler, int textScale) {
  if (ruler.Empty() || textScale <= 0) return 0;
  if (RulerNumberAt(ruler, textScale, 0).y1 > ruler.y1) return 0;
  for (int step : kRulerNumberSteps) {
    // Each number ends at least one glyph advance before the next begins.
    bool apart = true;
    for (int ms = 0; ms + step < 1000 && apart; ms += step)
      apart = RulerNumberAt(ruler, textScale, ms).x1 + shapes::kGlyphAdvance * textScale <=
              RulerNumberAt(ruler, textScale, ms + step).x0;
    if (apart) return step;
  }
  return 0;
}

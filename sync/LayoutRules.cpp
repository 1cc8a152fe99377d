#include "sync/LayoutRules.h"

#include <algorithm>
#include <functional>

#include "glyphs/GlyphTable.h"
#include "shapes/GlyphText.h"
#include "sync/QrSymbol.h"

namespace {

using shapes::Rect;

std::string SizeText(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }
std::string SizeText(const Rect& r) { return SizeText(r.Width(), r.Height()); }

// Why a text row of `designGlyphs` at `scale` in `box` is unreadable; empty
// when it is not.
std::string TextFault(const Rect& box, int scale, int designGlyphs) {
  if (scale < kMinTextScale)
    return "needs " + SizeText(shapes::TextWidth(designGlyphs, kMinTextScale),
                               shapes::TextHeight(kMinTextScale)) +
           " pixels for text at twice the font, has " + SizeText(box);
  if (box.Width() < shapes::TextWidth(designGlyphs, scale) || box.Height() < shapes::TextHeight(scale))
    return "text at scale " + std::to_string(scale) + " does not fit " + SizeText(box);
  return {};
}

// The side every tile keeps: the QR code's reserved square, at the module
// drawn or else at the smallest module.
int QrSide(const SyncLayout& l) { return kQrReservedModules * std::max(l.qrModule, kMinQrModule); }

std::string SquareFault(const Rect& r, int side, const char* what) {
  if (r.Width() >= side && r.Height() >= side) return {};
  return std::string("needs ") + SizeText(side, side) + " pixels (" + what + "), has " + SizeText(r);
}

std::string TrackFault(const SyncLayout& l, std::size_t i) {
  const Rect& track = l.tracks[i];
  const int thickness = l.tracksAlongHeight ? track.Width() : track.Height();
  if (thickness < kMinTrackThickness)
    return "thinner than " + std::to_string(kMinTrackThickness) + " pixels (" + SizeText(track) + ")";
  const int speed = TrackSpeed(static_cast<int>(i));
  if (TrackTravel(track, l.tracksAlongHeight) < kTrackFramesShown * speed)
    return "too short to show " + std::to_string(kTrackFramesShown) + " frames of " +
           std::to_string(speed) + " pixels (" + SizeText(track) + ")";
  return {};
}

std::string TrackLabelFault(const SyncLayout& l, std::size_t i) {
  const Rect& box = l.trackLabels[i];
  const int s = l.trackLabelScale;
  const int glyphs = l.trackLabelLines == 1 ? 6 : 4;  // "8 PX/F", or its longer line "PX/F"
  const int height = l.trackLabelLines * shapes::TextHeight(s) + (l.trackLabelLines - 1) * s;
  if (s < kMinTextScale || box.Width() < shapes::TextWidth(glyphs, s) || box.Height() < height)
    return "no room for its text at twice the font (" + SizeText(box) + ")";
  return {};
}

std::string RulerFault(const SyncLayout& l) {
  if (l.rulerTextScale < kMinTextScale || l.rulerStepMs == 0)
    return "no room for its numbers at twice the font every 500 ms (" + SizeText(l.ruler) + ")";
  return {};
}

// One element's check, and how it is left out.
struct Rule {
  std::string name;
  Rect* rect;
  std::function<std::string()> fault;
  std::function<void()> leaveOut;
};

std::vector<Rule> Rules(SyncLayout& l) {
  std::vector<Rule> rules = {
      {"label", &l.label, [&l] { return TextFault(l.label, l.labelScale, kLabelDesignGlyphs); },
       [&l] { l.labelScale = 0; }},
      {"frame number", &l.frameNumber,
       [&l] { return TextFault(l.frameNumber, l.frameScale, kFrameNumberDesignDigits); },
       [&l] { l.frameScale = 0; }},
      {"time of day", &l.timeOfDay, [&l] { return TextFault(l.timeOfDay, l.timeScale, kTimeDesignGlyphs); },
       [] {}},
      {"timecode", &l.timecode, [&l] { return TextFault(l.timecode, l.timeScale, kTimeDesignGlyphs); },
       [] {}},
      {"QR code", &l.qr,
       [&l] {
         if (l.qrModule < kMinQrModule)
           return SquareFault(l.qr, kQrReservedModules * kMinQrModule, "modules of 2 pixels and the quiet zone");
         return SquareFault(l.qr, kQrReservedModules * l.qrModule, "its modules and the quiet zone");
       },
       [&l] { l.qrModule = 0; }},
      {"flash box", &l.flash, [&l] { return SquareFault(l.flash, QrSide(l), "as large as the QR code"); },
       [] {}},
      {"parity A", &l.parityA, [&l] { return SquareFault(l.parityA, kMinMarkerSide, "a marker"); }, [] {}},
      {"parity B", &l.parityB, [&l] { return SquareFault(l.parityB, kMinMarkerSide, "a marker"); }, [] {}},
      {"colour bar", &l.colourBar, [&l] { return SquareFault(l.colourBar, kMinMarkerSide, "a marker"); },
       [] {}},
      {"ruler", &l.ruler, [&l] { return RulerFault(l); }, [&l] { l.rulerStepMs = 0; }},
  };
  for (std::size_t i = 0; i < kMotionTrackCount; ++i) {
    rules.push_back({"motion track " + std::to_string(i), &l.tracks[i],
                     [&l, i] { return TrackFault(l, i); }, [] {}});
    rules.push_back({"track label " + std::to_string(i), &l.trackLabels[i],
                     [&l, i] { return TrackLabelFault(l, i); }, [] {}});
  }
  return rules;
}

}  // namespace

std::vector<std::string> MinimumSizeFaults(const SyncLayout& layout) {
  SyncLayout copy = layout;
  std::vector<std::string> faults;
  for (const Rule& rule : Rules(copy)) {
    if (rule.rect->Empty()) continue;
    const std::string why = rule.fault();
    if (!why.empty()) faults.push_back(rule.name + ": " + why);
  }
  return faults;
}

void LeaveOutWhatIsTooSmall(SyncLayout& l) {
  // Two passes: a track left out takes its label along, and the label's
  // reason is the track's.
  for (const Rule& rule : Rules(l)) {
    const std::string why = rule.rect->Empty() ? "no room at all" : rule.fault();
    if (why.empty()) continue;
    l.leftOut.push_back(rule.name + " left out: " + why);
    *rule.rect = Rect{};
    rule.leaveOut();
  }
  for (std::size_t i = 0; i < kMotionTrackCount; ++i)
    if (l.tracks[i].Empty() != l.trackLabels[i].Empty()) {
      l.leftOut.push_back(l.tracks[i].Empty()
                              ? "track label " + std::to_string(i) + " left out: its track is"
                              : "motion track " + std::to_string(i) + " left out: its label is");
      l.tracks[i] = l.trackLabels[i] = Rect{};
    }
  if (l.cellSize <= 0)
    l.leftOut.push_back("code strip left out: the output is narrower than 70 pixels or lower than 3 cells");
}

void ClipToOutput(SyncLayout& l) {
  const shapes::Rect output{0, 0, l.width, l.height};
  auto clip = [&output](shapes::Rect& r) {
    r = {std::max(r.x0, output.x0), std::max(r.y0, output.y0), std::min(r.x1, output.x1),
         std::min(r.y1, output.y1)};
    if (r.Empty()) r = shapes::Rect{};
  };
  for (shapes::Rect* r : {&l.label, &l.frameNumber, &l.timeOfDay, &l.timecode, &l.qr, &l.flash, &l.parityA,
                  &l.parityB, &l.colourBar, &l.ruler, &l.stripBand})
    clip(*r);
  for (auto& r : l.trackLabels) clip(r);
  for (auto& r : l.tracks) clip(r);
}

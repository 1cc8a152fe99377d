// Where each element of a SYNC frame goes, from the output size alone (and
// the strip's cell size and the QR module size asked for). Two layouts:
//
// Near 16:9, 1920x1080 and larger (the classic layout, ClassicLayout.h):
//
//   +------------------------------------------+-----------------+
//   | OUTPUT LABEL                             |  QR code        |
//   | 123456          (frame number)           |                 |
//   | 12:34:56.789    (time of day)            +-------+---------+
//   | TC 12:34:56:12  (timecode)               | flash | [] []   |
//   |                                          |  box  | colour  |
//   +------------------------------------------+-------+---------+
//   | 1 PX/F  ===|================================================|
//   | 2 PX/F  ======|     motion tracks                          |
//   | 4 PX/F, 8 PX/F                                             |
//   | |''''|''''|  millisecond ruler 0 ... 900            |      |
//   +------------------------------------------------------------+
//   | code strip band (70 S wide, 3 S high)                      |
//
// Every other shape (FittedLayout.h): the texts and three equal tiles (QR
// code, flash box, markers) fitted to the room, the tracks along the
// output's longer side (vertical in portrait), the ruler across the width.
//
// Every element either keeps its minimum size (below) or is left out whole,
// an empty rectangle, with the reason in `leftOut`.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "shapes/ShapeList.h"

constexpr int kMotionTrackCount = 4;
// Outputs larger than this (no GL draws one) are laid out as if this large.
constexpr int kMaxLayoutDimension = 1 << 16;
// The widest texts the rows are sized for: a label of this many glyphs,
// frame numbers of this many digits, "TC 12:34:56:12".
constexpr int kLabelDesignGlyphs = 16;
constexpr int kFrameNumberDesignDigits = 10;
constexpr int kTimeDesignGlyphs = 14;

// The minimum sizes: text no smaller than twice the font, QR modules of two
// output pixels (its quiet zone always whole), a flash box at least as large
// as the QR code's square, markers a camera sees, and tracks long enough for
// kTrackFramesShown frames of their speed.
constexpr int kMinTextScale = 2;
constexpr int kMinQrModule = 2;
constexpr int kMinMarkerSide = 16;
constexpr int kMinTrackThickness = 8;
constexpr int kTrackFramesShown = 16;
// The ruler's numbers stand every 100 ms where they fit, else every 200 or
// 500 ms; at least one glyph advance apart.
constexpr int kRulerNumberSteps[] = {100, 200, 500};

struct SyncLayout {
  int width = 0, height = 0;
  int cellSize = 0;  // the strip's S; 0: no strip
  int qrModule = 0;  // pixels per QR module; 0: no QR code
  int labelScale = 0, frameScale = 0, timeScale = 0, trackLabelScale = 0, rulerTextScale = 0;
  shapes::Rect label, frameNumber, timeOfDay, timecode;
  shapes::Rect qr;  // the reserved square, quiet zone included
  shapes::Rect flash, parityA, parityB, colourBar;
  std::array<shapes::Rect, kMotionTrackCount> trackLabels{}, tracks{};
  bool tracksAlongHeight = false;  // the bars move down, not right
  int trackLabelLines = 1;         // 2: "8" above "PX/F"
  shapes::Rect ruler;
  int rulerStepMs = 100;           // between numbers; 0: none fit
  shapes::Rect stripBand;
  std::vector<std::string> leftOut;  // one line per element left out, and why
};

SyncLayout ComputeSyncLayout(int width, int height, int requestedCellSize, int requestedQrModule);

// Every element's rectangle with its name, for tests and diagnostics.
std::vector<std::pair<std::string, shapes::Rect>> LayoutElements(const SyncLayout& layout);

// Motion track `index` moves 2^index pixels per frame.
inline int TrackSpeed(int index) { return 1 << index; }
// A track's moving bar: its length along the track, and how far it travels
// before it starts over.
int TrackBarLength(const shapes::Rect& track, bool alongHeight);
int TrackTravel(const shapes::Rect& track, bool alongHeight);

// Where the ruler's number for `ms` (a multiple of layout.rulerStepMs) is
// drawn; the drawing and the checks both read it.
shapes::Rect RulerNumberBox(const SyncLayout& layout, int ms);
// The x of millisecond `ms` (0..999) on a ruler.
int RulerX(const shapes::Rect& ruler, int ms);
// The widest step of kRulerNumberSteps at which the numbers fit the ruler at
// `textScale`; 0 when none does.
int RulerStepFor(const shapes::Rect& ruler, int textScale);

// Where each element of a SYNC frame goes, from the output size alone (and
// the strip's cell size and the QR module size asked for), so that the
// elements never cover one another from 1280x720 up:
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
// Below 1280x720 everything is still placed and sized to the output, but
// elements may meet or be left out (an empty rectangle).
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

struct SyncLayout {
  int width = 0, height = 0;
  int cellSize = 0;  // the strip's S; 0: no strip
  int qrModule = 0;  // pixels per QR module; 0: no QR code
  int labelScale = 0, frameScale = 0, timeScale = 0, trackLabelScale = 0, rulerTextScale = 0;
  shapes::Rect label, frameNumber, timeOfDay, timecode;
  shapes::Rect qr;  // the reserved square, quiet zone included
  shapes::Rect flash, parityA, parityB, colourBar;
  std::array<shapes::Rect, kMotionTrackCount> trackLabels{}, tracks{};
  shapes::Rect ruler;
  shapes::Rect stripBand;
};

SyncLayout ComputeSyncLayout(int width, int height, int requestedCellSize, int requestedQrModule);

// Every element's rectangle with its name, for tests and diagnostics.
std::vector<std::pair<std::string, shapes::Rect>> LayoutElements(const SyncLayout& layout);

// The landscape layout SYNC was first drawn with: a text column and a column
// of codes above four horizontal tracks and the ruler. Kept for the outputs
// where it meets every minimum (1920x1080 and larger near 16:9), so that
// their pictures stay as they were.
#include "sync/ClassicLayout.h"

#include <algorithm>

#include "framestamp/StampCode.h"
#include "glyphs/GlyphTable.h"
#include "shapes/GlyphText.h"
#include "sync/LayoutRules.h"
#include "sync/QrSymbol.h"

namespace {

using shapes::Rect;

// Text rows' heights as shares of the text column: label, frame number, time
// of day, timecode.
constexpr int kLabelShare = 10, kFrameShare = 13, kTimeShare = 8;
constexpr int kShareTotal = kLabelShare + kFrameShare + 2 * kTimeShare;

// The glyph scale of a row: its share of the column's height, and no wider
// than the column for its design length.
int Scale(int share, int textHeight, int designGlyphs, int columnWidth) {
  const int byHeight = static_cast<int>(static_cast<long long>(std::max(0, textHeight)) * share /
                                        (static_cast<long long>(kShareTotal) * kGlyphRows));
  const int byWidth = shapes::FittingScale(designGlyphs, columnWidth, textHeight);
  return std::max(0, std::min(byHeight, byWidth));
}

}  // namespace

SyncLayout ClassicSyncLayout(int width, int height, int requestedCellSize, int requestedQrModule) {
  SyncLayout l;
  l.width = width;
  l.height = height;
  const int W = l.width, H = l.height;
  l.cellSize = StripCellSize(requestedCellSize, W);
  if (l.cellSize > 0 && kStripBandRows * l.cellSize > H) l.cellSize = 0;
  if (l.cellSize > 0) {
    const StripRect band = StripBand(l.cellSize, H);
    l.stripBand = shapes::RectAt(band.x, band.y, band.width, band.height);
  }
  // Everything else lies above the strip's rows, across the whole width.
  const int bottom = l.cellSize > 0 ? H - kStripBandRows * l.cellSize : H;
  const int margin = std::max(1, bottom / 40);

  const int rulerHeight = std::max(1, bottom / 9);
  l.ruler = {margin, bottom - margin - rulerHeight, W - margin, bottom - margin};
  // The ticks take the ruler's upper half; the numbers, one glyph pixel
  // below them, must end inside its lower half: 8 glyph pixels in h/2 - 2.
  l.rulerTextScale = std::max(1, (rulerHeight / 2 - 2) / (kGlyphRows + 1));

  const int trackHeight = std::max(1, bottom / 24);
  const int trackGap = std::max(1, trackHeight / 4);
  l.trackLabelScale = std::max(1, (trackHeight - 2) / 7);
  const int trackLabelWidth = shapes::TextWidth(6, l.trackLabelScale) + margin;  // "8 PX/F"
  const int tracksBottom = l.ruler.y0 - margin;
  for (int i = 0; i < kMotionTrackCount; ++i) {
    const int y0 = tracksBottom - (kMotionTrackCount - i) * trackHeight -
                   (kMotionTrackCount - 1 - i) * trackGap;
    l.trackLabels[static_cast<std::size_t>(i)] = {margin, y0, margin + trackLabelWidth - margin / 2,
                                                  y0 + trackHeight};
    l.tracks[static_cast<std::size_t>(i)] = {margin + trackLabelWidth, y0, W - margin,
                                             y0 + trackHeight};
  }

  // The top block: a text column on the left, the codes and markers right.
  const int topBottom = l.tracks[0].y0 - margin;
  const int topHeight = topBottom - margin;
  const int rightWidth = W / 4;
  const int rightX = W - margin - rightWidth;
  const int qrSide = std::min(rightWidth, topHeight * 3 / 5);
  l.qrModule = std::max(0, std::min(requestedQrModule, qrSide / kQrReservedModules));
  l.qr = shapes::RectAt(rightX, margin, kQrReservedModules * l.qrModule,
                        kQrReservedModules * l.qrModule);

  const int belowQr = (l.qrModule > 0 ? l.qr.y1 : margin) + margin;
  l.flash = {rightX, belowQr, rightX + rightWidth / 2 - margin / 2, topBottom};
  const int markersX = l.flash.x1 + margin;
  const int markersWidth = W - margin - markersX;
  const int parity = std::max(0, std::min((markersWidth - margin) / 2, (topBottom - belowQr - margin) / 2));
  l.parityA = shapes::RectAt(markersX, belowQr, parity, parity);
  l.parityB = shapes::RectAt(markersX + parity + margin, belowQr, parity, parity);
  l.colourBar = {markersX, belowQr + parity + margin, W - margin, topBottom};

  const int columnRight = rightX - margin;
  const int columnWidth = columnRight - margin;
  const int gap = std::max(1, margin / 2);
  const int textHeight = topHeight - 3 * gap;
  l.labelScale = Scale(kLabelShare, textHeight, kLabelDesignGlyphs, columnWidth);
  l.frameScale = Scale(kFrameShare, textHeight, kFrameNumberDesignDigits, columnWidth);
  l.timeScale = Scale(kTimeShare, textHeight, kTimeDesignGlyphs, columnWidth);
  int y = margin;
  auto row = [&](int scale) {
    const Rect r{margin, y, columnRight, y + shapes::TextHeight(scale)};
    y = r.y1 + gap;
    return r;
  };
  l.label = row(l.labelScale);
  l.frameNumber = row(l.frameScale);
  l.timeOfDay = row(l.timeScale);
  l.timecode = row(l.timeScale);

  // At small sizes the proportions run out of room: what falls outside the
  // output is cut away (an empty rectangle where nothing is left).
  ClipToOutput(l);
  if (l.qr.Width() < kQrReservedModules * l.qrModule || l.qr.Height() < kQrReservedModules * l.qrModule)
    l.qrModule = 0;
  return l;
}

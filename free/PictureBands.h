// How a new kept picture of a large output is drawn: a band of rows per
// frame while the last picture keeps showing, so that no frame after a
// change costs much more than a steady one. An output of up to four bands'
// pixels is drawn at once (1920x1080 with the default band), a larger one in
// bands of about kBandPixels each (sixteen at 3840x2160: a change shows
// 0.27 s later at 60 frames a second).
#pragma once

#include <vector>

#include "free/FrameRegions.h"

// 1920x270: a quarter of a 1080p picture. On a software renderer with every
// overlay on, the costliest grid's band is then about half a 3840x2160
// fill's work, and a band with more than its share of labels about one: the
// frames while it is drawn stay within three fills with the copy of the
// last picture (one and a half on a float host).
constexpr long long kBandPixels = 1920LL * 270LL;

// Rows [top, bottom) of the output, counted from the top.
struct RowSpan {
  int top = 0, bottom = 0;
};

// How many bands a width x height picture is drawn in: 1 for an output of at
// most four bands' pixels (or a band size below 1), else enough bands of
// `bandPixels` to cover it, never more than its rows.
int PictureBandCount(int width, int height, long long bandPixels);

// Band `index` of `count` over `height` rows: the rows split as evenly as
// they go, in order from the top, together covering every row once.
RowSpan PictureBand(int height, int count, int index);

// The parts of `pieces` that lie in `rows`, each keeping its features.
std::vector<PixelRect> PiecesInRows(const std::vector<PixelRect>& pieces, RowSpan rows);

// Where a frame's costly features lie. The pattern under everything is cheap
// to draw; text and overlays cover small parts of the output. A frame is cut
// into disjoint rectangles, each tagged with the features that cover any of
// its pixels, so that every pixel is drawn exactly once by a program that
// contains exactly the features that can reach it (and no other). The
// feature rectangles only ever err on the large side: a rectangle too big
// costs time, one too small would change pixels.
#pragma once

#include <vector>

#include "free/FrameClock.h"
#include "free/ParameterConversion.h"

// Features of a rectangle, as bits.
enum RegionFeature : unsigned {
  kRegionLabel = 1u,   // panel labels
  kRegionCoords = 2u,  // panel coordinate tags, raster corner coordinates
  kRegionMoving = 4u,  // moving bar and ball
  kRegionInfo = 8u,    // centre info box
  kRegionCredit = 16u, // credit tag
  kRegionAll = 31u,
  // Not drawn by a feature of its own: pixels that may change from one frame
  // to the next with no setting changed (the sweep's lines). Programs never
  // see this bit.
  kRegionChanging = 32u,
  // The moving bar away from the ball: every pixel white (or an overlay
  // above it) whatever the compiler makes of the ball's blend, so any
  // program that draws the moving element draws it exactly.
  kRegionBar = 64u,
};

// Output pixels [x0, x1) x [y0, y1), origin top-left, y down.
struct PixelRect {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  unsigned features = 0;
};

struct RegionInputs {
  int width = 1, height = 1;
  FrameParameters p;
  AnimationValues motion;
  int line1Count = 0;  // glyphs on the info box's two lines
  int line2Count = 0;
};

// The features a frame with these settings has, wherever they lie.
unsigned FrameFeatures(const RegionInputs& in);

// The rectangles that may hold each feature of the frame, clipped to the
// output. Outputs too large or grids too fine to list panel by panel give one
// rectangle over the whole output with every feature the frame has.
std::vector<PixelRect> FeatureRects(const RegionInputs& in);

// FeatureRects without the moving element: what covers the pixels that hold
// still from frame to frame.
std::vector<PixelRect> StillFeatureRects(const RegionInputs& in);

// The rectangles whose pixels may change from frame to frame with the same
// settings, clipped to the output: the ball as a stack of strips that follow
// its outline (kRegionMoving), the bar (kRegionBar) and the sweep's lines
// (kRegionChanging). Every other pixel of the frame depends only on the
// settings and the output size.
std::vector<PixelRect> ChangingRects(const RegionInputs& in);

// Disjoint rectangles covering the width x height output exactly once, each
// tagged with the union of the features of the `features` rectangles that
// overlap it (0 where none does).
std::vector<PixelRect> PartitionOutput(int width, int height,
                                       const std::vector<PixelRect>& features);

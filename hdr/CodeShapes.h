// What every HDR pattern draws with: rectangles whose colour is a 10-bit code
// triple written as code / 1023, text labels white (940 narrow, 1023 full)
// on black of the range, and the pattern geometry given at 1920 x 1080
// scaled to the output with every edge rounded to a whole pixel.
#pragma once

#include <string>
#include <vector>

#include "hdr/Settings.h"
#include "shapes/ShapeList.h"
#include "signal/Signal.h"

namespace hdr {

// The colour that carries the codes exactly in a float framebuffer.
shapes::Colour CodeColour(const CodeTriple& codes);
inline CodeTriple Grey(int code) { return {code, code, code}; }

// The reference geometry: edges given on a 1920 x 1080 output, placed on a
// width x height one at round(e · width / 1920) and round(e · height / 1080)
// (exactly x2 at 3840 x 2160, x4 at 7680 x 4320).
class ReferenceGrid {
 public:
  static constexpr int kWidth = 1920, kHeight = 1080;
  ReferenceGrid(int width, int height) : width_(width), height_(height) {}
  int X(int referenceX) const;
  int Y(int referenceY) const;
  // The output rectangle of the reference rectangle [x0, x1) x [y0, y1).
  shapes::Rect Scaled(int x0, int y0, int x1, int y1) const;

 private:
  int width_, height_;
};

// Lines of text in a box of black of the range, `scale` glyph pixels, with a
// margin of `scale` around the text: its size.
struct LabelSize {
  int width = 0, height = 0;
};
LabelSize MeasureLabel(const std::vector<std::string>& lines, int scale);
// Draws the label with its top-left corner at (x, y).
void AddLabel(shapes::ShapeList& list, const std::vector<std::string>& lines, int x, int y,
              int scale, veltrima::signal::Range range);
// The largest scale, at most `maxScale`, at which the label fits in
// width x height; 0 when not even scale 1 does.
int FittingLabelScale(const std::vector<std::string>& lines, int width, int height, int maxScale);

// Light in nits as a label shows it: whole nits from 100 up, fewer decimals
// the brighter (0, 0.0012, 1.23, 12.3, 203).
std::string FormatNits(double nits);

}  // namespace hdr

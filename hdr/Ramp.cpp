// The ramp: above, every code of the range from black to white, the code at
// column x being black + floor(x · (white - black + 1) / W); below, the same
// codes as an 8-bit chain of the range returns them (the signal's
// ThroughEightBits: a narrow chain keeps a quarter of the code, so its white
// 940 stays 940; a full one 255 / 1023 of it); between, a scale with a tick
// every 64 codes.
#include <algorithm>
#include <string>

#include "hdr/CodeShapes.h"
#include "hdr/Patterns.h"
#include "signal/CodeRules.h"

namespace hdr {
namespace {

namespace sig = veltrima::signal;

// The first column whose code is at least `code`: ceil((code - black) W / span).
int FirstColumn(int code, int width, int black, int span) {
  return static_cast<int>((static_cast<long long>(code - black) * width + span - 1) / span);
}

// Over rows [y0, y1), the columns of each code of black..white, shown as
// shown(code), one rectangle per run of equal shown codes. Walks the codes,
// not the columns, so the work is the same at any width.
template <typename Shown>
void AddRuns(shapes::ShapeList& list, int width, int y0, int y1, int black, int white,
             Shown shown) {
  const int span = white - black + 1;
  int code = black;
  while (code <= white) {
    const int value = shown(code);
    int next = code + 1;
    while (next <= white && shown(next) == value) ++next;
    list.AddRect({FirstColumn(code, width, black, span), y0, FirstColumn(next, width, black, span), y1},
                 CodeColour(Grey(value)));
    code = next;
  }
}

}  // namespace

void AddRamp(const HdrSettings& s, int width, int height, shapes::ShapeList& list) {
  const sig::Range range = s.signal.range;
  const int black = sig::BlackCode(range), white = sig::WhiteCode(range);
  const int band = height / 8;
  const int top = (height - band) / 2, bottom = top + band;
  AddRuns(list, width, 0, top, black, white, [](int code) { return code; });
  AddRuns(list, width, bottom, height, black, white,
          [range](int code) { return sig::ThroughEightBits(range, code); });

  // The scale: black of the range, a white tick at the first column of each
  // multiple of 64, its code under it when labels are on and it fits.
  list.AddRect({0, top, width, bottom}, CodeColour(Grey(black)));
  const int tickWidth = std::max(1, width / 960), tickHeight = band / 2;
  const int span = white - black + 1;
  for (int m = (black + 63) / 64 * 64; m <= white; m += 64) {
    const int x = FirstColumn(m, width, black, span);
    list.AddRect(shapes::RectAt(std::min(x, width - tickWidth), top, tickWidth, tickHeight),
                 CodeColour(Grey(white)));
    if (!s.labels) continue;
    const std::vector<std::string> lines{std::to_string(m)};
    const int scale = FittingLabelScale(lines, width, band - tickHeight, std::max(1, height / 540));
    if (scale == 0) continue;
    const LabelSize size = MeasureLabel(lines, scale);
    AddLabel(list, lines, std::clamp(x - size.width / 2, 0, std::max(0, width - size.width)),
             top + tickHeight, scale, range);
  }
}

}  // namespace hdr

// The measurement window: a rectangle of the output's aspect holding
// "Patch Size %" of its area, centred, in the patch codes, on the
// background code of the range.
#include <algorithm>
#include <cmath>
#include <string>

#include "hdr/CodeShapes.h"
#include "hdr/Patterns.h"

namespace hdr {

void AddPatch(const HdrSettings& s, int width, int height, shapes::ShapeList& list) {
  namespace sig = veltrima::signal;
  const int black = sig::BlackCode(s.signal.range), white = sig::WhiteCode(s.signal.range);
  const int background =
      static_cast<int>(std::lround(black + static_cast<double>(s.background) * (white - black)));
  list.AddRect({0, 0, width, height}, CodeColour(Grey(background)));

  const double side = std::sqrt(s.patchPercent / 100.0);
  const int w = static_cast<int>(std::lround(width * side));
  const int h = static_cast<int>(std::lround(height * side));
  const int x = (width - w) / 2, y = (height - h) / 2;
  list.AddRect(shapes::RectAt(x, y, w, h), CodeColour(s.patch));

  if (!s.labels) return;
  // The codes under the patch, or over it, where there is room.
  const std::vector<std::string> lines{"R " + std::to_string(s.patch.r) + "  G " +
                                       std::to_string(s.patch.g) + "  B " +
                                       std::to_string(s.patch.b)};
  const int gap = std::max(1, height / 100);
  const int room = std::max(y, height - (y + h)) - 2 * gap;
  const int scale = FittingLabelScale(lines, width, room, std::max(1, height / 360));
  if (scale == 0) return;
  const LabelSize size = MeasureLabel(lines, scale);
  const bool below = height - (y + h) >= y;
  AddLabel(list, lines, (width - size.width) / 2,
           below ? y + h + gap : y - gap - size.height, scale, s.signal.range);
}

}  // namespace hdr

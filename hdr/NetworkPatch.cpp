// The "Patch" pattern when a calibration program drives it: the program's
// background and rectangles in the signal's 10-bit codes ("Patch Levels"
// says how the program's values become them), each rectangle's edges at
// its fractions of the output rounded to whole pixels; the last rectangle's
// codes written outside it where there is room ("Labels"); and the
// connection's status line top-left with the patch levels under it ("Status
// Line"). With both switches off nothing but the program's patch is drawn,
// so a probe reads only that.
#include <algorithm>
#include <string>
#include <vector>

#include "calibration/PatchLevels.h"
#include "hdr/CodeShapes.h"
#include "hdr/Patterns.h"

namespace hdr {

namespace {

// The program's values as the signal's codes, by the "Patch Levels" in force.
CodeTriple Triple(const HdrSettings& s, const calibration::SentCodes& sent) {
  const calibration::SignalCodes codes = calibration::SignalCodesOf(sent, s.signal.range, s.patchLevels);
  return {codes.red, codes.green, codes.blue};
}

// The codes of `patch` in a label below it, or above it, whichever has more
// room; nothing when neither has room for the smallest text.
void AddCodesLabel(const HdrSettings& s, const shapes::Rect& patch, const CodeTriple& codes,
                   int width, int height, shapes::ShapeList& list) {
  const std::vector<std::string> lines{"R " + std::to_string(codes.r) + "  G " +
                                       std::to_string(codes.g) + "  B " + std::to_string(codes.b)};
  const int gap = std::max(1, height / 100);
  const int above = patch.y0, below = height - patch.y1;
  const int room = std::max(above, below) - 2 * gap;
  if (room <= 0) return;
  const int scale = FittingLabelScale(lines, width, room, std::max(1, height / 360));
  if (scale == 0) return;
  const LabelSize size = MeasureLabel(lines, scale);
  const int x = std::clamp((patch.x0 + patch.x1 - size.width) / 2, 0, width - size.width);
  AddLabel(list, lines, x, below >= above ? patch.y1 + gap : patch.y0 - gap - size.height, scale,
           s.signal.range);
}

// The connection's status, and under it the patch levels in force.
void AddStatusLine(const HdrSettings& s, const std::string& status, int width, int height,
                   shapes::ShapeList& list) {
  const std::vector<std::string> lines{status,
                                       calibration::PatchLevelsLine(s.patchLevels, s.signal.range)};
  const int margin = std::max(1, height / 100);
  const int scale = FittingLabelScale(lines, width - 2 * margin, height - 2 * margin,
                                      std::max(1, height / 270));
  if (scale > 0) AddLabel(list, lines, margin, margin, scale, s.signal.range);
}

}  // namespace

void AddNetworkPatch(const HdrSettings& s, const NetworkPatchView& view, int width, int height,
                     shapes::ShapeList& list) {
  // Until the first patch arrives the screen is black of the range.
  const CodeTriple ground = view.hasPatch ? Triple(s, view.scene.background)
                                          : Grey(veltrima::signal::BlackCode(s.signal.range));
  list.AddRect({0, 0, width, height}, CodeColour(ground));
  const calibration::PatchRectangle* last = nullptr;
  shapes::Rect lastRect;
  for (const calibration::PatchRectangle& rectangle : view.scene.rectangles) {
    const calibration::PixelRect edges = calibration::EdgesAt(rectangle.geometry, width, height);
    const shapes::Rect rect{edges.left, edges.top, edges.right, edges.bottom};
    if (rect.Empty()) continue;
    list.AddRect(rect, CodeColour(Triple(s, rectangle.colour)));
    last = &rectangle;
    lastRect = rect;
  }
  if (s.labels && last) AddCodesLabel(s, lastRect, Triple(s, last->colour), width, height, list);
  if (s.statusLine && !view.status.empty()) AddStatusLine(s, view.status, width, height, list);
}

}  // namespace hdr

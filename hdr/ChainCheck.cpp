// Chain Check: the frame veltrima-signal-read reads back from a capture.
// Everything it holds, and where, comes from chaincheck/Layout.h, the home
// the reader measures by; this file only turns the layout into rectangles
// and adds labels for people in the boxes the layout leaves for them.
#include <algorithm>
#include <string>
#include <vector>

#include "chaincheck/Layout.h"
#include "hdr/CodeShapes.h"
#include "hdr/Patterns.h"

namespace hdr {
namespace {

namespace sig = veltrima::signal;

chaincheck::StripContent ContentOf(const HdrSettings& s, std::uint16_t frame) {
  chaincheck::StripContent content;
  content.signal = s.signal;
  content.peakNits = s.peakNits;
  content.frame = frame;
  return content;
}

CodeTriple Triple(const chaincheck::Codes& c) { return {c[0], c[1], c[2]}; }

shapes::Rect RectOf(const chaincheck::Box& b) { return {b.x0, b.y0, b.x1, b.y1}; }

std::string SignalName(const sig::Signal& signal) {
  for (const auto& named : sig::kSignals)
    if (named.signal.transfer == signal.transfer && named.signal.range == signal.range)
      return std::string(named.name);
  return "";
}

// The lines at the largest scale (up to the output's label scale) that fits
// the box, top-left in it; nothing when not even scale 1 does.
void AddFittingLabel(shapes::ShapeList& list, const std::vector<std::string>& lines,
                     const chaincheck::Box& box, int height, sig::Range range) {
  const int scale = FittingLabelScale(lines, box.Width(), box.Height(), std::max(1, height / 270));
  if (scale > 0) AddLabel(list, lines, box.x0, box.y0, scale, range);
}

}  // namespace

void AddChainCheck(const HdrSettings& s, int width, int height, shapes::ShapeList& list) {
  const chaincheck::Layout layout = chaincheck::MakeLayout(ContentOf(s, 0), width, height);
  list.AddRect({0, 0, width, height}, CodeColour(Triple(layout.background)));
  for (const chaincheck::Area& area : layout.areas)
    list.AddRect(RectOf(area.box), CodeColour(Triple(area.codes)));
  if (!s.labels) return;
  AddFittingLabel(list,
                  {"CHAIN CHECK V" + std::to_string(chaincheck::kStripVersion),
                   SignalName(s.signal) + ", PEAK " + std::to_string(s.peakNits) + " NITS"},
                  layout.stripLabel, height, s.signal.range);
  AddFittingLabel(list,
                  {"CHAIN CHECK: CAPTURE THIS FRAME DOWNSTREAM AND READ IT WITH VELTRIMA-SIGNAL-READ",
                   "GREY STEPS BELOW BLACK TO ABOVE WHITE, A RAMP OF ONE CODE PER COLUMN (0-1023),",
                   "PRIMARIES AND SECONDARIES AT 100 AND 75 % IN BT.2020 AND AS BT.709 COLOURS,",
                   "COLOUR EDGES AND CB/CR ALTERNATIONS, A 1-PIXEL GRILLE AND CORNER MARKS"},
                  layout.titleLabel, height, s.signal.range);
}

void AddChainCheckStrip(const HdrSettings& s, int width, int height, std::uint16_t frame,
                        shapes::ShapeList& list) {
  const chaincheck::Layout layout = chaincheck::MakeStripLayout(ContentOf(s, frame), width, height);
  // The strip's black cells are the background: one rectangle of it first,
  // then the white cells over it.
  list.AddRect(RectOf(layout.strip), CodeColour(Triple(layout.background)));
  for (const chaincheck::Area& area : layout.areas) list.AddRect(RectOf(area.box), CodeColour(Triple(area.codes)));
}

}  // namespace hdr

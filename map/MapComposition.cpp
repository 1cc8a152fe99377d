#include "map/MapComposition.h"

#include <algorithm>

#include "map/MapFrame.h"

namespace {

// The work of one band of a picture drawn band by band, in pixels of figure
// area (shapes/FigureBands.h): on llvmpipe, shading a 32nd of the output's
// pixels costs about one copy of the kept picture, a memory copy. Never
// less than a 256 x 256 square's: below that a band's own draw calls cost
// more than its pixels, and a small output would take hundreds of frames.
double BandBudget(int width, int height) {
  constexpr double kBandsPerCopy = 32;
  constexpr double kFewestPixels = 256.0 * 256.0;
  return std::max(kFewestPixels, static_cast<double>(width) * height / kBandsPerCopy);
}

// The bands a new picture is cut into at most, about: a change shows within
// about a second at 60 frames a second, however many figures the map has
// (its bands then cost more than a copy each).
constexpr std::size_t kAimBands = 40;

// A list this short is drawn whole in the frame after a change: a few draw
// calls, less than a copy's work.
constexpr std::size_t kWholeBelowFigures = 256;

}  // namespace

MapComposition ComposeMap(const MapSourceFacts& source, const SharedScreenPlan& earlier,
                          const MapSettings& settings, int width, int height, bool cutIntoBands) {
  MapComposition made;
  made.key = {source.revision, settings, width, height};
  if (source.good) {
    const bool reusable = earlier.plan && earlier.layout == source.good &&
                          earlier.plan->screen == settings.screen;
    made.plan = reusable ? earlier
                         : SharedScreenPlan{source.good, std::make_shared<const ScreenPlan>(
                                                             PlanScreen(*source.good,
                                                                        settings.screen))};
  }
  ComposeMapFrame(source, made.plan.plan.get(), settings, width, height, made.figures, &made.note,
                  &made.placed, &made.codes);
  if (cutIntoBands)
    made.banded = shapes::CutIntoBands(made.figures, width, height, BandBudget(width, height),
                                       kWholeBelowFigures, kAimBands);
  return made;
}

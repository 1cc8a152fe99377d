// MapComposition: what the plug-in draws for one output size and one set of
// settings, made from the source's facts: the screen plan, the figures and,
// for a picture kept and drawn a band per frame, the figures cut into bands.
// Plain CPU work on its own copies, so it is made where it costs no frame:
// in the call that sets a value, or on a thread of its own after a read that
// ended between frames, while the last picture keeps showing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "map/CabinetCode.h"
#include "map/MapSource.h"
#include "map/ScreenPlan.h"
#include "map/Settings.h"
#include "shapes/FigureBands.h"
#include "shapes/FigureList.h"

// What a composition was made from: the source's revision, the settings and
// the output size.
struct MapCompositionKey {
  std::uint64_t revision = 0;
  MapSettings settings;
  int width = 0, height = 0;

  bool operator==(const MapCompositionKey& o) const {
    return revision == o.revision && settings == o.settings && width == o.width &&
           height == o.height;
  }
  bool operator!=(const MapCompositionKey& o) const { return !(*this == o); }
};

// A screen plan with the layout it points into, kept alive together.
struct SharedScreenPlan {
  std::shared_ptr<const layout::Layout> layout;
  std::shared_ptr<const ScreenPlan> plan;
};

struct MapComposition {
  MapCompositionKey key;
  SharedScreenPlan plan;  // empty without a good layout
  shapes::FigureList figures;
  shapes::BandedFigures banded;  // empty unless cut
  std::vector<shapes::Rect> placed;  // the plates placed on the map
  std::vector<CabinetCode> codes;    // the frame codes, whose dynamic cells each frame draws
  std::string note;                  // why something was left out, for the log
};

// Composes `source` for an output of width x height; `earlier` is the plan
// of an earlier composition, taken again when it is of the same layout and
// screen (a plan finds overlaps, chains and gaps: the dear part). With
// `cutIntoBands`, the figures are also cut into bands of about a copy's
// work each (at least a 256 x 256 square's, about 40 bands at most).
MapComposition ComposeMap(const MapSourceFacts& source, const SharedScreenPlan& earlier,
                          const MapSettings& settings, int width, int height, bool cutIntoBands);

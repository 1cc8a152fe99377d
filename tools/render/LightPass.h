// The first of the two passes of a PQ or HLG video file: every frame drawn
// once, as the file will hold it, only to measure its content light level.
// The file's header and x265's SEI need MaxCLL and MaxFALL before the first
// frame is encoded, and the frames of a long clip are too many to keep; the
// plug-in draws frame n the same way each time (its clock is the frame's
// moment), and the file checks its frames against this measure as it
// writes them.
#pragma once

#include <vector>

#include "framestamp/FrameRate.h"
#include "tools/render/ContentLight.h"
#include "tools/render/FrameSource.h"

struct LightPassPlan {
  Clocking clocking = Clocking::SteppedLinked;
  int width = 0, height = 0;
  FrameRate rate;
  long frames = 1;
  VideoSignal signal;
};

ContentLight MeasureContentLight(const hostkit::PluginLibrary& plugin, const LightPassPlan& plan,
                                 const std::vector<ParameterValue>& values, bool quiet);

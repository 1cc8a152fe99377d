// The verdict as a picture a person reads at a glance (--plot FILE.png):
// received against sent code for every grey step (R', G', B' in their
// colours) and the ramp, over the ideal line; every level a fault gives in
// nits (any number of a fault named "..._nits": a knee, a clip) marked where
// it lies on the sent codes; the saturated patches as sent beside as
// received; the verdict's first line as the title, drawn and also stored as
// the PNG's "Title" text. Drawn by PLplot's cairo PNG device, which needs
// no display.
#pragma once

#include <string>
#include <vector>

#include "tools/signal-read/Report.h"

inline constexpr int kPlotWidth = 1600, kPlotHeight = 1000;

// A level a fault names in nits, and the sent code it lies at.
struct PlotMark {
  std::string label;  // "knee 400 nits"
  double nits = 0;
  double code = 0;
};

// The marks the report's faults give, in the order they are named.
std::vector<PlotMark> PlotMarks(const SignalReport& report);

// Writes the picture; false with `why` when it cannot be written. One
// call at a time: PLplot draws through one stream of its own.
bool WritePlot(const SignalReport& report, const std::string& path, std::string& why);

// The video signal a loaded plug-in draws, when it has a "Signal" option:
// which element the run chooses (its default, or the last --set of it) and
// the "Peak nits" that HLG and SDR light and the mastering display refer to.
// The render tool tags, measures and converts its files by this.
#pragma once

#include <optional>
#include <vector>

#include "signal/Signal.h"
#include "tools/render/ParameterTable.h"

inline constexpr char kSignalParameterName[] = "Signal";
inline constexpr char kPeakNitsParameterName[] = "Peak nits";

struct VideoSignal {
  veltrima::signal::Signal signal;
  double peakNits = 1000.0;
};

// PQ and HLG: the signals that need more than 8 bits and carry HDR metadata.
bool IsHdr(const veltrima::signal::Signal& signal);

// The signal chosen by `values` (sent in order, the last of each parameter
// wins) over the plug-in's defaults; none when the plug-in has no "Signal"
// option naming any of kSignals. Where it does, a chosen element whose name
// is no known signal, or a number that is no element's value, is a
// UsageError: a file tagged by a guess would lie.
std::optional<VideoSignal> ChosenSignal(const ParameterTable& table,
                                        const std::vector<ParameterValue>& values);

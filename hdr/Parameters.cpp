#include "hdr/Parameters.h"

#include <iterator>

#include "calibration/PatchLevels.h"
#include "calibration/PatchSource.h"
#include "host/ParameterKinds.h"
#include "signal/Signal.h"

namespace {

using veltrima::signal::kSignals;

const char* const kPatternNames[] = {"BT.2111 Bars", "PLUGE", "Nit Steps", "Signal Steps", "Ramp", "Patch",
                                     "Chain Check"};
static_assert(std::size(kPatternNames) == kHdrPatternCount, "one element per pattern");

// The option's elements are the table's names (string literals, so their
// data is terminated).
const char* const kSignalNames[] = {kSignals[0].name.data(), kSignals[1].name.data(),
                                    kSignals[2].name.data(), kSignals[3].name.data(),
                                    kSignals[4].name.data(), kSignals[5].name.data()};
static_assert(std::size(kSignalNames) == kSignals.size(), "one element per signal");

const std::array<ParameterDefinition, kHdrParamCount> kDefinitions = {{
    OptionParameter("Pattern", kPatternNames, 0),
    OptionParameter("Signal", kSignalNames, 0),
    IntegerParameter("Peak nits", 1000, 100, 10000),
    IntegerParameter("Steps", 11, 2, 64),
    SwitchParameter("Labels", true),
    IntegerParameter("Patch Red", 512, 0, veltrima::signal::kMaxCode),
    IntegerParameter("Patch Green", 512, 0, veltrima::signal::kMaxCode),
    IntegerParameter("Patch Blue", 512, 0, veltrima::signal::kMaxCode),
    IntegerParameter("Patch Size %", 10, 1, 100),
    FractionParameter("Background %", 0.0f),
    SwitchParameter("Framebuffer Warning", true),
    OptionParameter("Patch Source", calibration::kPatchSourceNames,
                    static_cast<int>(calibration::PatchSource::Parameters)),
    // An empty text means the source's default server.
    ParameterDefinition{"Server", FF_TYPE_TEXT, 0.0f, 0.0f, 1.0f, nullptr, 0, ""},
    IntegerParameter("Settle Frames", calibration::kDefaultSettleFrames,
                     calibration::kMinSettleFrames, calibration::kMaxSettleFrames),
    SwitchParameter("Status Line", true),
    // The default keeps the codes a program sends, as before the option.
    OptionParameter("Patch Levels", calibration::kPatchLevelsNames,
                    static_cast<int>(calibration::PatchLevels::CodesAsSent)),
}};

}  // namespace

const std::array<ParameterDefinition, kHdrParamCount>& HdrParameterDefinitions() {
  return kDefinitions;
}

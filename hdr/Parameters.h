// The HDR plug-in's parameters as the host sees them: index, name, type,
// default, range and option elements, as constant data that the constructor
// registers and that tests and tools can list.
#pragma once

#include <array>

#include "host/FFGL.h"
#include "host/ParameterDefinition.h"

enum HdrParam : FFUInt32 {
  kHdrPattern = 0,
  kHdrSignal,
  kHdrPeakNits,
  kHdrSteps,
  kHdrLabels,
  kHdrPatchRed,
  kHdrPatchGreen,
  kHdrPatchBlue,
  kHdrPatchSize,
  kHdrBackground,
  kHdrFramebufferWarning,
  kHdrPatchSource,   // option: calibration/PatchSource.h's names
  kHdrServer,        // text, HOST:PORT
  kHdrSettleFrames,
  kHdrStatusLine,
  kHdrPatchLevels,   // option: calibration/PatchLevels.h's names
  kHdrParamCount
};

// "Pattern" elements, in value order.
enum class HdrPattern : int { Bt2111Bars = 0, Pluge, NitSteps, SignalSteps, Ramp, Patch, ChainCheck };
constexpr int kHdrPatternCount = 7;

// The definitions in index order. "Signal" lists signal/Signal.h's kSignals
// in their order, so its value indexes that table.
const std::array<ParameterDefinition, kHdrParamCount>& HdrParameterDefinitions();

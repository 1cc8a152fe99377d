// The HDR plug-in's stored parameter values (exactly what the host sent)
// turned into what a frame uses. Defined for any float
// (host/ValueConversion.h).
#pragma once

#include <array>

#include "calibration/PatchLevels.h"
#include "calibration/PatchSource.h"
#include "hdr/Parameters.h"
#include "signal/Signal.h"

struct CodeTriple {
  int r = 0, g = 0, b = 0;
  bool operator==(const CodeTriple& o) const { return r == o.r && g == o.g && b == o.b; }
};

struct HdrSettings {
  HdrPattern pattern = HdrPattern::Bt2111Bars;
  veltrima::signal::Signal signal;
  int peakNits = 1000;
  int steps = 11;
  bool labels = true;
  CodeTriple patch{512, 512, 512};
  int patchPercent = 10;
  float background = 0.0f;  // 0-1 of the range from black to white
  bool framebufferWarning = true;
  // The "Patch" pattern's source: its own parameters or a calibration
  // program over the network.
  calibration::PatchSource patchSource = calibration::PatchSource::Parameters;
  int settleFrames = calibration::kDefaultSettleFrames;
  bool statusLine = true;
  // How a program's values become the signal's codes.
  calibration::PatchLevels patchLevels = calibration::PatchLevels::CodesAsSent;

  bool operator==(const HdrSettings& o) const {
    return pattern == o.pattern && signal.transfer == o.signal.transfer &&
           signal.range == o.signal.range && peakNits == o.peakNits && steps == o.steps &&
           labels == o.labels && patch == o.patch && patchPercent == o.patchPercent &&
           background == o.background && framebufferWarning == o.framebufferWarning &&
           patchSource == o.patchSource && settleFrames == o.settleFrames &&
           statusLine == o.statusLine && patchLevels == o.patchLevels;
  }
  bool operator!=(const HdrSettings& o) const { return !(*this == o); }
};

HdrSettings ConvertHdrSettings(const std::array<float, kHdrParamCount>& values);

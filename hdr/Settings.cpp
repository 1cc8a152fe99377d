#include "hdr/Settings.h"

#include "host/ValueConversion.h"

namespace {

int WholeNumber(const std::array<float, kHdrParamCount>& values, HdrParam index) {
  return WholeNumberOf(values[index], HdrParameterDefinitions()[index]);
}

}  // namespace

HdrSettings ConvertHdrSettings(const std::array<float, kHdrParamCount>& v) {
  HdrSettings s;
  s.pattern = static_cast<HdrPattern>(WholeNumber(v, kHdrPattern));
  s.signal = veltrima::signal::kSignals[static_cast<std::size_t>(WholeNumber(v, kHdrSignal))].signal;
  s.peakNits = WholeNumber(v, kHdrPeakNits);
  s.steps = WholeNumber(v, kHdrSteps);
  s.labels = Flag(v[kHdrLabels]);
  s.patch = {WholeNumber(v, kHdrPatchRed), WholeNumber(v, kHdrPatchGreen),
             WholeNumber(v, kHdrPatchBlue)};
  s.patchPercent = WholeNumber(v, kHdrPatchSize);
  s.background = Fraction(v[kHdrBackground]);
  s.framebufferWarning = Flag(v[kHdrFramebufferWarning]);
  s.patchSource = static_cast<calibration::PatchSource>(WholeNumber(v, kHdrPatchSource));
  s.settleFrames = WholeNumber(v, kHdrSettleFrames);
  s.statusLine = Flag(v[kHdrStatusLine]);
  s.patchLevels = static_cast<calibration::PatchLevels>(WholeNumber(v, kHdrPatchLevels));
  return s;
}

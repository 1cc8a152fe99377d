// OVNVeltrimaFree: the LED-wall test-pattern source. It registers the sixteen
// parameters, stores what the host sends exactly as sent, and applies presets.
#pragma once

#include <array>

#include "host/Plugin.h"
#include "source/Parameters.h"

class OVNVeltrimaFree : public CFFGLPlugin {
 public:
  OVNVeltrimaFree();
  ~OVNVeltrimaFree() override;

  // Stores the value unchanged; "Preset" first applies a newly chosen preset.
  // Failure for an index above 15.
  FFUInt32 SetFloatParameter(FFUInt32 index, float value) override;
  // The stored value, or 0.0 for an index above 15.
  float GetFloatParameter(FFUInt32 index) override;

  // The value store, as the frame reads it.
  const std::array<float, kParamCount>& Values() const { return values_; }

 private:
  void DefineParameters();
  // Rewrites parameters 1 to 14 when `value` selects a preset other than the
  // last one received, raising a value-changed event on each.
  void ApplyPresetStep(float value);

  std::array<float, kParamCount> values_{};
  // -1 until the first "Preset" value arrives: that one is only recorded.
  int lastPreset_ = -1;
};

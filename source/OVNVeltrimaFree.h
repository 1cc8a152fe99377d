// OVNVeltrimaFree: the LED-wall test-pattern source. It registers the sixteen
// parameters, stores what the host sends exactly as sent, applies presets,
// and every frame hands the pattern shader its uniforms and draws once.
#pragma once

#include <array>
#include <cstdint>

#include "gl/ScreenQuad.h"
#include "gl/ShaderProgram.h"
#include "host/Plugin.h"
#include "source/FrameClock.h"
#include "source/GlyphFont.h"
#include "source/ParameterConversion.h"
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

  // Builds the program and the quad; failure releases both again.
  FFUInt32 InitGL(const FFGLViewportStruct* viewport) override;
  // Releases the program and the quad; safe when nothing was made.
  FFUInt32 DeInitGL() override;
  // Advances the clock, sets every uniform and draws once into the host's
  // framebuffer; touches no other GL state and leaves program 0 current.
  FFUInt32 ProcessOpenGL(ProcessOpenGLStruct* frame) override;

  // The animation clock, for programs that link the plug-in and must resume
  // a given moment (a soak run that crosses the accumulators' wrap).
  FrameClock& AnimationClock() { return clock_; }

  // The value store, as the frame reads it.
  const std::array<float, kParamCount>& Values() const { return values_; }

 private:
  void DefineParameters();
  void SetUniforms(int width, int height, const FrameParameters& p,
                   const AnimationValues& motion, int solidIndex);
  // Rewrites parameters 1 to 14 when `value` selects a preset other than the
  // last one received, raising a value-changed event on each.
  void ApplyPresetStep(float value);

  std::array<float, kParamCount> values_{};
  std::array<std::int32_t, kFontWords> font_{};
  ffglex::ShaderProgram program_;
  ffglex::ScreenQuad quad_;
  FrameClock clock_;
  // -1 until the first "Preset" value arrives: that one is only recorded.
  int lastPreset_ = -1;
};

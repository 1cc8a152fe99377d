// OVNVeltrimaFree: the LED-wall test-pattern source. It registers the sixteen
// parameters, stores what the host sends exactly as sent, applies presets,
// and every frame draws the pattern shader's output: each part of the output
// exactly once, with a program specialised to what that part shows.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "gl/ProgramCache.h"
#include "gl/RectBatch.h"
#include "gl/ShaderProgram.h"
#include "host/Plugin.h"
#include "free/FrameClock.h"
#include "free/GlyphFont.h"
#include "free/ParameterConversion.h"
#include "free/Parameters.h"

struct ProgramVariant;

class OVNVeltrimaFree : public CFFGLPlugin {
 public:
  OVNVeltrimaFree();
  ~OVNVeltrimaFree() override;

  // Stores the value unchanged; "Preset" first applies a newly chosen preset.
  // Failure for an index above 15.
  FFUInt32 SetFloatParameter(FFUInt32 index, float value) override;
  // The stored value, or 0.0 for an index above 15.
  float GetFloatParameter(FFUInt32 index) override;

  // Builds the general program and the rectangle batch; failure releases
  // them again. Specialised programs are built on first use.
  FFUInt32 InitGL(const FFGLViewportStruct* viewport) override;
  // Releases every program and the batch; safe when nothing was made.
  FFUInt32 DeInitGL() override;
  // Advances the clock and draws the frame into the host's framebuffer: the
  // output cut into rectangles, each pixel drawn once, every program used
  // given every uniform. Touches no other GL state and leaves program 0 and
  // vertex array 0 bound.
  FFUInt32 ProcessOpenGL(ProcessOpenGLStruct* frame) override;

  // The animation clock, for programs that link the plug-in and must resume
  // a given moment (a soak run that crosses the accumulators' wrap).
  FrameClock& AnimationClock() { return clock_; }

  // With `on`, frames are drawn as one rectangle over the whole output with
  // the general program, the way every frame was drawn before
  // specialisation: the reference the specialised programs are compared
  // against.
  void UseGeneralProgram(bool on) { generalOnly_ = on; }
  // Test seam: `edit` may rewrite the fragment text of each specialised
  // program built from now on (programs already built keep theirs), so that
  // a test can make chosen builds fail and watch the frame fall back to the
  // general program. It runs only when a program is built, never on a frame
  // that finds its programs built; null, the default, leaves the text as is.
  using SourceEdit = std::function<void(const ProgramVariant&, std::string& fragment)>;
  void EditSpecialisedSources(SourceEdit edit) { editSources_ = std::move(edit); }
  // Specialised programs currently built (none before the first frame).
  std::size_t SpecialisedProgramCount() const { return programs_.Size(); }

  // The value store, as the frame reads it.
  const std::array<float, kParamCount>& Values() const { return values_; }

 private:
  void DefineParameters();
  void SetUniforms(ffglex::ShaderProgram& program, int width, int height,
                   const FrameParameters& p, const AnimationValues& motion, int solidIndex,
                   const EncodedTexts& texts);
  // Draws the frame with specialised programs; false, having drawn nothing,
  // when one of them could not be built.
  bool DrawSpecialised(int width, int height, const FrameParameters& p,
                       const AnimationValues& motion, int solidIndex, const EncodedTexts& texts);
  // Rewrites parameters 1 to 14 when `value` selects a preset other than the
  // last one received, raising a value-changed event on each.
  void ApplyPresetStep(float value);

  // A frame uses at most a handful of programs; switching back and forth
  // between a few settings stays within this without rebuilding.
  static constexpr std::size_t kProgramCacheCapacity = 48;

  std::array<float, kParamCount> values_{};
  std::array<std::int32_t, kFontWords> font_{};
  ffglex::ShaderProgram program_;
  ffglex::ProgramCache programs_{kProgramCacheCapacity};
  ffglex::RectBatch rects_;
  bool generalOnly_ = false;
  SourceEdit editSources_;
  FrameClock clock_;
  // -1 until the first "Preset" value arrives: that one is only recorded.
  int lastPreset_ = -1;
};

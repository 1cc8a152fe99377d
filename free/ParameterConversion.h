// Turns stored parameter values (exactly what the host sent) into the
// integers, flags and fractions a frame uses. Every conversion is defined for
// any float: NaN gives the range's minimum, values beyond the range saturate
// at its ends however large, and nothing passes through an integer type that
// could overflow.
#pragma once

#include <array>

#include "free/Parameters.h"

// Rounded to nearest (halves away from zero), then clamped to [lo, hi].
int RoundClamped(float value, int lo, int hi);

// Rounded to nearest, saturated at the 32-bit range; NaN gives 0.
int RoundSaturated(float value);

// On when the value is above 0.5; NaN is off.
bool Flag(float value);

// Clamped to [0, 1]; NaN gives 0.
float Fraction(float value);

// The converted values of one frame. `solidIndex` is -1 for "Cycle": the
// frame clock then chooses the colour.
struct FrameParameters {
  int pattern = 0;
  int panelWidth = 128;
  int panelHeight = 128;
  int offsetX = 0;
  int offsetY = 0;
  int labelMode = 0;
  bool moving = true;
  bool showResolution = true;
  float brightness = 1.0f;
  int lineWidth = 1;
  float numberSize = 0.5f;
  int solidIndex = -1;
  float speed = 0.5f;
  bool transparent = false;
  bool credit = false;
};

FrameParameters ConvertParameters(const std::array<float, kParamCount>& values);

// The preset row chosen by a "Preset" value: rounded, clamped to 0 to 9.
int PresetNumber(float value);

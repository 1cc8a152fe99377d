// Turns stored parameter values (exactly what the host sent) into the
// integers, flags and fractions a frame uses, through the shared conversions
// of host/ValueConversion.h.
#pragma once

#include <array>

#include "free/Parameters.h"
#include "host/ValueConversion.h"

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

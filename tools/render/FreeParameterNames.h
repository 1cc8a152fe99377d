// The FREE plug-in's parameters that veltrima-render names itself (--preset,
// --sheet, and the transparent background that keeps frames off the 8-bit
// path), read from free/'s own table so that a name changed there reaches
// the tool.
#pragma once

#include "free/Parameters.h"

inline const char* FreePresetName() { return ParameterDefinitions()[kParamPreset].name; }
inline const char* FreeBackgroundName() { return ParameterDefinitions()[kParamBackground].name; }
// The "Background" element that draws alpha.
inline const char* FreeTransparentName() {
  return ParameterDefinitions()[kParamBackground].elements[kBackgroundTransparent];
}

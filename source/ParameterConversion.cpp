#include "source/ParameterConversion.h"

#include <cmath>
#include <limits>

#include "source/Presets.h"

int RoundClamped(float value, int lo, int hi) {
  if (std::isnan(value) || value <= static_cast<float>(lo)) return lo;
  if (value >= static_cast<float>(hi)) return hi;
  // Strictly inside the range, so the rounded value fits in an int.
  return static_cast<int>(std::lround(value));
}

int RoundSaturated(float value) {
  if (std::isnan(value)) return 0;
  // 2^31 is exactly representable as a float; anything at or beyond it would
  // overflow the conversion.
  constexpr float kLimit = 2147483648.0f;
  if (value >= kLimit) return std::numeric_limits<int>::max();
  if (value <= -kLimit) return std::numeric_limits<int>::min();
  return static_cast<int>(std::lround(value));
}

bool Flag(float value) { return value > 0.5f; }

float Fraction(float value) {
  if (std::isnan(value) || value <= 0.0f) return 0.0f;
  return value >= 1.0f ? 1.0f : value;
}

int PresetNumber(float value) { return RoundClamped(value, 0, static_cast<int>(kPresetCount) - 1); }

FrameParameters ConvertParameters(const std::array<float, kParamCount>& v) {
  FrameParameters p;
  p.pattern = RoundClamped(v[kParamPattern], kPatternPanelGrid, kPatternPixelChecker);
  p.panelWidth = RoundClamped(v[kParamPanelWidth], 16, 512);
  p.panelHeight = RoundClamped(v[kParamPanelHeight], 16, 512);
  p.offsetX = RoundClamped(v[kParamOffsetX], 0, 2048);
  p.offsetY = RoundClamped(v[kParamOffsetY], 0, 2048);
  p.labelMode = RoundSaturated(v[kParamPanelLabel]);
  p.moving = Flag(v[kParamMovingElement]);
  p.showResolution = Flag(v[kParamShowResolution]);
  p.brightness = Fraction(v[kParamBrightness]);
  p.lineWidth = RoundClamped(v[kParamLineWidth], 1, 16);
  p.numberSize = Fraction(v[kParamNumberSize]);
  // 1 to 5 name red, green, blue, white, black (index 0 to 4); 0 or less cycles.
  const int solid = RoundClamped(v[kParamSolidColour], 0, 5);
  p.solidIndex = solid >= 1 ? solid - 1 : -1;
  p.speed = Fraction(v[kParamSpeed]);
  p.transparent = Flag(v[kParamBackground]);
  p.credit = Flag(v[kParamCredit]);
  return p;
}

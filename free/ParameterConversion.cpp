#include "free/ParameterConversion.h"

#include <cmath>
#include <limits>


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

namespace {

// The value rounded and clamped to the whole numbers its definition allows.
int WholeNumber(const std::array<float, kParamCount>& values, ParamIndex index) {
  const WholeRange range = WholeNumberRange(index);
  return RoundClamped(values[index], range.lo, range.hi);
}

}  // namespace

int PresetNumber(float value) {
  const WholeRange range = WholeNumberRange(kParamPreset);
  return RoundClamped(value, range.lo, range.hi);
}

FrameParameters ConvertParameters(const std::array<float, kParamCount>& v) {
  FrameParameters p;
  p.pattern = WholeNumber(v, kParamPattern);
  p.panelWidth = WholeNumber(v, kParamPanelWidth);
  p.panelHeight = WholeNumber(v, kParamPanelHeight);
  p.offsetX = WholeNumber(v, kParamOffsetX);
  p.offsetY = WholeNumber(v, kParamOffsetY);
  p.labelMode = RoundSaturated(v[kParamPanelLabel]);
  p.moving = Flag(v[kParamMovingElement]);
  p.showResolution = Flag(v[kParamShowResolution]);
  p.brightness = Fraction(v[kParamBrightness]);
  p.lineWidth = WholeNumber(v, kParamLineWidth);
  p.numberSize = Fraction(v[kParamNumberSize]);
  // 1 to 5 name red, green, blue, white, black (index 0 to 4); 0 or less cycles.
  const int solid = WholeNumber(v, kParamSolidColour);
  p.solidIndex = solid >= 1 ? solid - 1 : -1;
  p.speed = Fraction(v[kParamSpeed]);
  p.transparent = Flag(v[kParamBackground]);
  p.credit = Flag(v[kParamCredit]);
  return p;
}

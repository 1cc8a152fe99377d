#include "free/ParameterConversion.h"

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

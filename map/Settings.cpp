#include "map/Settings.h"

#include "host/ValueConversion.h"

namespace {

int WholeNumber(const std::array<float, kMapParamCount>& values, MapParam index) {
  return WholeNumberOf(values[index], MapParameterDefinitions()[index]);
}

}  // namespace

MapSettings ConvertMapSettings(const std::array<float, kMapParamCount>& v) {
  MapSettings s;
  s.screen = WholeNumber(v, kMapScreen);
  s.lineWidth = WholeNumber(v, kMapLineWidth);
  s.brightness = Fraction(v[kMapBrightness]);
  s.labels = Flag(v[kMapShowLabels]);
  s.coordinates = Flag(v[kMapShowCoordinates]);
  s.orientation = Flag(v[kMapShowOrientation]);
  s.arrows = Flag(v[kMapShowArrows]);
  s.hatch = Flag(v[kMapShowHatch]);
  s.info = Flag(v[kMapShowInfo]);
  s.frameCodes = Flag(v[kMapFrameCodes]);
  s.output = static_cast<unsigned>(WholeNumber(v, kMapOutputNumber));
  s.codeCellSize = WholeNumber(v, kMapCodeCellSize);
  return s;
}

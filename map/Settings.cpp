#include "map/Settings.h"

#include "host/ValueConversion.h"

namespace {

int WholeNumber(const std::array<float, kMapParamCount>& values, MapParam index) {
  const MapParamDefinition& d = MapParameterDefinitions()[index];
  // Declared ranges are whole numbers well inside the int range.
  return RoundClamped(values[index], static_cast<int>(d.minimum), static_cast<int>(d.maximum));
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
  return s;
}

// The MAP plug-in's stored parameter values (exactly what the host sent)
// turned into what a frame uses; defined for any float (host/ValueConversion.h).
#pragma once

#include <array>

#include "map/Parameters.h"

struct MapSettings {
  int screen = 1;
  int lineWidth = 2;
  float brightness = 1.0f;
  bool labels = true, coordinates = true, orientation = true, arrows = true, hatch = true,
       info = true;
  bool frameCodes = false;
  unsigned output = 0;  // the codes' output number
  int codeCellSize = kDefaultMapCodeCellSize;

  bool operator==(const MapSettings& o) const {
    return screen == o.screen && lineWidth == o.lineWidth && brightness == o.brightness &&
           labels == o.labels && coordinates == o.coordinates && orientation == o.orientation &&
           arrows == o.arrows && hatch == o.hatch && info == o.info && frameCodes == o.frameCodes &&
           output == o.output && codeCellSize == o.codeCellSize;
  }
  bool operator!=(const MapSettings& o) const { return !(*this == o); }
};

MapSettings ConvertMapSettings(const std::array<float, kMapParamCount>& values);

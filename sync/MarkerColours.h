// The colour bar's table: 16 colours, far apart for a camera, shown in turn
// by frame number mod 16, so that a photo or a capture shows a dropped or
// repeated frame as a skipped or repeated colour.
#pragma once

#include <array>
#include <cstdint>

#include "shapes/ShapeList.h"

constexpr int kMarkerColourCount = 16;

struct MarkerColour {
  const char* name;
  shapes::Colour colour;  // before brightness
};

const std::array<MarkerColour, kMarkerColourCount>& MarkerColours();

// The entry for a frame number.
inline const MarkerColour& MarkerColourFor(std::uint64_t frame) {
  return MarkerColours()[static_cast<std::size_t>(frame % kMarkerColourCount)];
}

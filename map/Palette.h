// The MAP plug-in's colours, defined once: the port table (the README lists
// it with the same hex values), and the colours of everything else a map
// shows. Straight RGBA before brightness.
#pragma once

#include <array>
#include <cstdint>

#include "map/layout/Limits.h"
#include "shapes/ShapeList.h"

namespace map_palette {

struct NamedColour {
  std::uint32_t hex;  // 0xRRGGBB
  shapes::Colour colour;
};

constexpr NamedColour FromHex(std::uint32_t hex) {
  return {hex, {static_cast<float>((hex >> 16) & 0xFF) / 255.0f,
                static_cast<float>((hex >> 8) & 0xFF) / 255.0f,
                static_cast<float>(hex & 0xFF) / 255.0f, 1.0f}};
}

// Ports A..L: twelve colours far apart from one another and from the
// overlap red, so that a photo of the wall tells ports apart.
inline constexpr std::array<NamedColour, layout::kMaxPorts> kPortColours = {{
    FromHex(0xE6194B),  // A crimson
    FromHex(0x3CB44B),  // B green
    FromHex(0xFFE119),  // C yellow
    FromHex(0x4363D8),  // D blue
    FromHex(0xF58231),  // E orange
    FromHex(0x911EB4),  // F purple
    FromHex(0x42D4F4),  // G cyan
    FromHex(0xF032E6),  // H magenta
    FromHex(0xBFEF45),  // I lime
    FromHex(0xFABED4),  // J pink
    FromHex(0x469990),  // K teal
    FromHex(0xDCBEFF),  // L lavender
}};
// A cabinet with no port.
inline constexpr NamedColour kNoPort = FromHex(0x808080);
// Gaps: grey lines on black; overlaps: red lines on black.
inline constexpr NamedColour kGapLine = FromHex(0x404040);
inline constexpr NamedColour kOverlapLine = FromHex(0xFF0000);
// The banner over a layout whose file could not be read again.
inline constexpr NamedColour kBanner = FromHex(0xB00000);
// The orientation mark, texts and the info line's plate.
inline constexpr NamedColour kMark = FromHex(0xFFFFFF);
inline constexpr NamedColour kText = FromHex(0xFFFFFF);
inline constexpr NamedColour kPlate = FromHex(0x000000);

// The colour of port 1..kMaxPorts; kNoPort for anything else.
constexpr const NamedColour& PortColour(int port) {
  return port >= 1 && port <= layout::kMaxPorts ? kPortColours[static_cast<std::size_t>(port - 1)]
                                                : kNoPort;
}

// Hatch lines repeat every this many pixels.
constexpr int kHatchPeriod = 8;

}  // namespace map_palette

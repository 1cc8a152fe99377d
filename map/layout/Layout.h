// The layout of an LED wall as the MAP plug-in draws it: its cabinets in
// output pixels, and the queries the drawing needs. Every parser produces
// this model; nothing here knows about file formats.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace layout {

struct Cabinet {
  std::string id;     // never empty
  std::string label;  // shown on the cabinet; the id when the file gives none
  // The cabinet's footprint on the canvas, in pixels: origin top-left, y
  // down. For a rotated cabinet this is the rotated rectangle as it lies on
  // the canvas, not its size before turning.
  long x = 0, y = 0, w = 0, h = 0;  // w, h > 0
  int rot = 0;                      // 0, 90, 180 or 270 degrees clockwise
  int port = 0;                     // 0 = none, 1..kMaxPorts = A..L
  int chain = 0;                    // 1-based position in its port's chain, 0 = none
  int screen = 1;                   // 1-based
  std::size_t sourceLine = 0;       // line of the file (JSON: 1-based index)
};

struct Layout {
  // The canvas the file states; 0 when it states none (CanvasExtent then
  // answers the cabinets' bounding box from 0,0).
  long canvasW = 0, canvasH = 0;
  std::vector<Cabinet> cabinets;  // in file order, at least one
  // Names of the screens where the file has them: index = screen - 1.
  std::vector<std::string> screenNames;
};

struct Extent {
  long w = 0, h = 0;
};

// The canvas the file states, or else the bounding box of all cabinets
// measured from 0,0 (cabinets left of or above the origin add nothing).
Extent CanvasExtent(const Layout& layout);

// The canvas one screen (1-based) is drawn on: the file's canvas where it
// states one, else the bounding box of that screen's cabinets from 0,0, each
// dimension on its own. Layout pixels are output pixels from the top-left,
// so a screen whose cabinets start far right keeps the room to their left.
Extent ScreenCanvasExtent(const Layout& layout, int screen);

// The number of screens: the highest screen number any cabinet has, or the
// number of named screens if that is more (a named screen may be empty).
int ScreenCount(const Layout& layout);

// Indices into layout.cabinets of the cabinets on `screen` (1-based), in
// file order; empty for a screen number that has none.
std::vector<std::size_t> CabinetsOfScreen(const Layout& layout, int screen);

// One port's chain: indices into layout.cabinets in chain order.
struct PortChain {
  int port = 0;  // 1..kMaxPorts
  std::vector<std::size_t> cabinets;
};
// Every port that has chained cabinets, in port order, each chain ordered by
// chain position (positions are unique per port: the parsers reject
// repeats). Cabinets with a port but no chain position are left out.
std::vector<PortChain> ChainsByPort(const Layout& layout);

// "A".."L" for ports 1..kMaxPorts, "" for anything else.
std::string PortName(int port);

}  // namespace layout

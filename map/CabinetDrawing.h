// The parts of one cabinet on the map, each added on its own so that the
// frame can layer them (every border under every mark, every mark under
// every text). All take the cabinet's rectangle in output pixels.
//
//   +--------------------------------+   border: the line width, port colour
//   |#  F              1920,0 ...    |   # orientation mark: a right triangle
//   |##                              |     in the cabinet's own top-left
//   |         LABEL                  |     corner, turned with rot, and an F
//   |      PORT A · 3                |     beside it, turned alike
//   |        500x500                 |   texts centred on the centre
//   |0,0 ...              499,499    |   coordinates of two corner pixels
//   +--------------------------------+
#pragma once

#include <cstdint>
#include <vector>

#include "map/layout/Layout.h"
#include "shapes/FigureList.h"

// The border's width: the line width, but at most half the cabinet's
// shorter side (at least 1).
int BorderWidth(const shapes::Rect& cabinet, int lineWidth);
// The rectangle inside the border.
shapes::Rect InnerRect(const shapes::Rect& cabinet, int lineWidth);
// The orientation mark's side: a fifth of the inner rectangle's shorter
// side, at most 64 pixels; 0 (no mark) below 3.
int MarkSide(const shapes::Rect& cabinet, int lineWidth);
// The corner of the mapped rectangle that holds the cabinet's own top-left
// corner after turning it by `rot` degrees clockwise.
shapes::Corner TurnedTopLeft(int rot);

void AddCabinetBorder(shapes::FigureList& list, const shapes::Rect& cabinet, int lineWidth,
                      const shapes::Colour& colour);
// The mark's triangle, and the F beside it: apart, so that a frame can add
// every triangle and then every F (one run of each kind).
void AddOrientationTriangle(shapes::FigureList& list, const shapes::Rect& cabinet, int lineWidth,
                            int rot, const shapes::Colour& colour);
void AddOrientationLetter(shapes::FigureList& list, const shapes::Rect& cabinet, int lineWidth,
                          int rot, const shapes::Colour& colour);
// A line of a cabinet's text where it goes: glyphs, top-left corner, scale.
struct PlacedText {
  std::vector<std::int32_t> glyphs;
  int x = 0, y = 0, scale = 1;
  shapes::Rect Box() const;
};

// The boxes the orientation mark covers: its triangle, and its F where drawn.
std::vector<shapes::Rect> MarkBoxes(const shapes::Rect& cabinet, int lineWidth, int rot);

// The label, large, centred on the cabinet's centre, and under it the port
// line ("PORT A · 3", "PORT A", "NO PORT") and the size ("500x500"), each
// clear of `keepClear` (the cabinet's mark and corner tags) and inside the
// border. A label too long for the cabinet at scale 1 is cut and ends in
// the ellipsis glyph; one that meets `keepClear` shrinks until it does not. Lines that still do
// not fit are left out, all of them when the label does not fit.
std::vector<PlacedText> CabinetTexts(const layout::Cabinet& cabinet, const shapes::Rect& rect,
                                     int lineWidth, const std::vector<shapes::Rect>& keepClear);
// "x,y" of the top-left pixel and of the bottom-right one, at scale 1 two
// pixels inside the border; a tag moves clear of the orientation mark where
// that lies in its corner (`markShown`), and is left out where it would
// still meet the mark or the other tag.
std::vector<PlacedText> CornerCoordinates(const shapes::Rect& cabinet, int lineWidth, int rot,
                                          bool markShown);
// Every text of a cabinet with these switches on or off: the corner tags,
// then the label lines placed clear of them, of the mark and of `code` (the
// cabinet's frame code; empty for none). No two of their boxes meet, and
// none meets MarkBoxes() when `marks` is on.
std::vector<PlacedText> CabinetWords(const layout::Cabinet& cabinet, const shapes::Rect& rect,
                                     int lineWidth, bool labels, bool coordinates, bool marks,
                                     const shapes::Rect& code = {});
void AddPlacedTexts(shapes::FigureList& list, const std::vector<PlacedText>& texts,
                    const shapes::Colour& colour);

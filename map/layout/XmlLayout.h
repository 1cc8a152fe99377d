// Reads a layout from the screen-setup XML that media servers' advanced
// output editors save: each slice of each screen becomes one cabinet.
//
// Limits: kMaxFileBytes of text, kMaxCabinets slices in all and as many
// screens (map/layout/Limits.h).
//
// What it reads (everything else is ignored):
//
//   <XmlState>
//     <ScreenSetup>
//       <screens>
//         <Screen name="Main wall">                 screen 1, 2, ... in order
//           <layers>
//             <Slice>
//               <Params name="Common">
//                 <Param name="Name" value="Slice 1"/> id and label
//               </Params>
//               <InputRect orientation="1.5708">    radians, clockwise
//                 <v x="0" y="0"/> ... four in all
//               </InputRect>
//               <OutputRect orientation="0"/>       only its orientation
//
// - The slice's name is the value of the first Param named "Name" in any of
//   its Params children, whatever those are named; without one it is
//   "Slice N", N its 1-based place in its screen.
// - The cabinet is the bounding box of the InputRect's four vertices as they
//   stand in input space. Each edge is rounded to the nearest whole pixel
//   (halves upwards), so slices that share an edge still share it. The
//   OutputRect's vertices are not read: the map shows where content is
//   taken from.
// - rot is the InputRect's orientation when it is present and not a whole
//   turn, else the OutputRect's (a section turned to save cable is often
//   rotated on its way to the output only), else 0; in degrees. An
//   orientation that is read must lie within half a degree of a multiple
//   of 90: a slice at another angle is an error naming the line of its
//   rect, since a map of upright cabinets would misplace it.
// - Screens without slices count; their names fill screenNames.
// - Faults name the line of the element at fault.
#pragma once

#include <string_view>

#include "map/layout/Layout.h"
#include "map/layout/LayoutError.h"

namespace layout {

Result<Layout> ParseXmlLayout(std::string_view text);

}  // namespace layout

// The XML of one message of the Resolve protocol, which the calibration
// program sends as a TCP server:
//   <calibration><color red= green= blue= bits=/><background .../>
//                <geometry x= y= cx= cy=/></calibration>
// (codes of `bits` bits, 8 or 10, absent meaning 8; geometry as fractions of
// the output; no background means black, no geometry the whole output), or
//   <calibration><shapes><rectangle><color .../><geometry .../></rectangle>
//                ...</shapes></calibration>
// (rectangles drawn in order over black).
//
// Limits, since every byte comes from the network: a message is at most
// kMaxResolveMessageBytes (the framing refuses longer ones before any is
// read), at most kMaxRectangles rectangles, no document type declaration
// (so no entity can expand: the XML bomb is refused whole), codes are
// whole numbers under 2^bits, fractions lie in 0-1 and a rectangle inside
// the output.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "calibration/PatchScene.h"

namespace calibration {

constexpr size_t kMaxResolveMessageBytes = 64 * 1024;
constexpr size_t kMaxRectangles = 64;

struct ResolveParse {
  bool ok = false;
  PatchScene scene;
  // Capitals, ASCII, short: what the screen shows after "BAD MESSAGE: ".
  std::string error;
};

ResolveParse ParseResolveMessage(std::string_view xml);

}  // namespace calibration

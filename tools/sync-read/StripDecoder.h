// Finds and reads the code strip in a frame that may have been scaled,
// cropped a little or photographed straight on: nothing is assumed about the
// cell size or where the strip lies. Rows are searched from the bottom for
// the guard pattern (an isolated white cell, and another one 67 cells to its
// right); the cell size follows from the guards' distance, the levels from
// the guards themselves (the threshold runs midway between guard white and
// guard black, from the left guards' to the right guards'), and each cell is
// sampled over the middle of its area. Every white run between the guards
// must start and end on their cell grid, and the band's rows above and below
// must be dark, which tells the strip from pixel-font text of the same
// pitch. The word's CRC is checked: a misread
// or damaged strip is reported as a CRC mismatch, never as another frame.
//
// Limits: a strip tilted by more than about half a cell over its length
// (some 0.4 degrees) is not found row by row; the QR code covers photos at
// an angle.
#pragma once

#include <cstdint>

#include "framestamp/StampCode.h"
#include "tools/sync-read/LumaImage.h"

struct StripReading {
  enum class Status { NotFound, CrcMismatch, Decoded };
  Status status = Status::NotFound;
  std::uint64_t word = 0;  // as sampled, also when its CRC does not match
  FrameStamp stamp;        // when decoded
  // Where it was read: the left edge of the start guard, the cell width in
  // pixels and the rows it spans.
  double x = 0, cell = 0;
  int top = 0, bottom = 0;
};

StripReading ReadStrip(const LumaImage& image);

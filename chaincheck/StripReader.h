// Finds and reads the Chain Check identity strip in a grey frame that may
// have been scaled (0.5x to 2x), shifted, subsampled or compressed, and whose
// levels a chain may have squeezed, expanded or tone-mapped. Nothing is
// assumed about where the strip lies or how large its cells are. Stages:
//  1. rows: each row is cut at the midpoint of its own darkest and brightest
//     value (rows with under 1/16 of the depth's span between them are
//     skipped) into dark and bright runs;
//  2. start guard: a bright run two units long, then a dark and a bright
//     run one unit long each, then a dark run of at least about one unit,
//     after darkness or the frame's edge;
//  3. end guard: the bright run that ends nearest 58 units from the start;
//     the cell width is the distance between the two over 58;
//  4. rows of the strip: up and down from the found row while the middle
//     of the first cell stays bright;
//  5. levels: the mean of the guard cells' middles, bright and dark; each
//     data cell's middle (half its width, half the strip's height) is white
//     when its mean is above the midpoint of the two;
//  6. the cells are decoded (guards, CRC, fields: StripFormat.h). A row whose
//     cells fail is passed over and the search goes on; the first row that
//     decodes is the answer.
#pragma once

#include "chaincheck/GreyImage.h"
#include "chaincheck/StripFormat.h"

namespace chaincheck {

struct StripReading {
  enum class Status { NotFound, Unreadable, Decoded };
  Status status = Status::NotFound;
  StripContent content;  // when decoded
  // Where it was read: its left and right edges, the cell width and its
  // rows [top, bottom), in pixels; the guard levels in the image's values.
  double left = 0, right = 0, cell = 0;
  int top = 0, bottom = 0;
  double black = 0, white = 0;
};

StripReading ReadStrip(const GreyImage& image);

}  // namespace chaincheck

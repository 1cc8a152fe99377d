// Whether the ramp went through an 8-bit stage that dithers (eight-bit,
// "rule": "dithered"): ordered, random or error-diffusion dither puts every
// pixel on the 8-bit lattice, but spreads a column of one code over the
// lattice values either side of it in the share that keeps the code, so
// that the column's mean holds 10-bit precision while its median snaps to
// the lattice.
//
// Evidence needed, on the ramp columns from `first` to `last` (a capture at
// its sent size), for one of the usual ways back up to 10 bits (x 4, bit
// replication, x 1023 / 255):
//  - 98 % of the pixels lie within half a code of a lattice value no
//    further than one lattice step from the column's code;
//  - half of the columns whose code is off the lattice hold two lattice
//    values (a plain 8-bit cut holds one);
//  - the columns' means keep their codes: their RMS distance is at most
//    half a code.
// The effective depth is that of a plain quantiser with the same RMS error
// in the means: 10 - log2(max(1, RMS * sqrt(12))), at most 10 bits.
#pragma once

#include <vector>

#include "tools/signal-read/GreyVerdict.h"

struct DitherReading {
  double onLattice = 0;     // share of pixels on the lattice near their code
  double twoValued = 0;     // share of off-lattice columns holding two lattice values
  double meanRms = 0;       // RMS of column mean minus column code
  double effectiveBits = 0;
  bool dithered = false;
};

// The best reading over the ways back up to 10 bits. pixels[c] holds ramp
// code c's values as 10-bit codes.
DitherReading ReadDither(const std::vector<std::vector<double>>& pixels, int first, int last);

// Adds eight-bit "dithered" with "effective_bits" and returns true when the
// ramp shows a dithered 8-bit stage.
bool CheckDither(const ChainReading& reading, int first, int last, GreyVerdict& verdict);

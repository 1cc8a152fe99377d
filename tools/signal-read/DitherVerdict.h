// Whether the greys went through an 8-bit stage that dithers (eight-bit,
// "rule": "dithered"): ordered, random or error-diffusion dither puts every
// pixel on the 8-bit lattice, but spreads a flat grey step over the lattice
// values either side of its code in the share that keeps the code, so that
// the step's mean holds 10-bit precision while its median snaps to the
// lattice. Flat steps are read, not the ramp's one-pixel columns: an ordered
// or error-diffusion pattern keeps a code only over an area.
//
// Evidence needed, on the grey steps sent from `first` to `last`, for one
// of the usual ways back up to 10 bits (x 4, bit replication, x 1023 / 255):
//  - 98 % of their pixels lie within half a code of a lattice value no
//    further than one lattice step from the step's code;
//  - half of the steps whose code is off the lattice hold two lattice
//    values (a plain 8-bit cut holds one);
//  - the steps' means keep their codes: their RMS distance from where a
//    dither puts a code (between the lattice values either side of its
//    8-bit position, in proportion) is at most half a code.
// The effective depth is that of a plain quantiser with the same RMS error
// in the means: 10 - log2(max(1, RMS * sqrt(12))), at most 10 bits.
//
// A dither whose pattern changes from frame to frame (temporal) is read on
// later frames' steps beside the first's: every frame's pixels on the
// lattice, a fifth of the steps' pixels changing value between frames (a
// spatial pattern keeps every pixel), and the means over all frames
// keeping their codes as above.
#pragma once

#include <vector>

#include "tools/signal-read/GreyVerdict.h"

struct DitherReading {
  double onLattice = 0;     // share of pixels on the lattice near their code
  double twoValued = 0;     // share of off-lattice steps holding two lattice values
  double meanRms = 0;       // RMS of step mean minus where a dither puts it
  double effectiveBits = 0;
  bool dithered = false;
};

// The best reading over the ways back up to 10 bits, from the steps' pixels.
DitherReading ReadDither(const std::vector<StepMeasure>& steps, int first, int last);

// Whether the steps' pixels spread over the 8-bit lattice as a dither's do,
// whatever their means: what makes later frames worth measuring.
bool SpreadsOverLattice(const std::vector<StepMeasure>& steps);

struct TemporalDither {
  DitherReading pooled;  // read on every frame's pixels together
  double moved = 0;      // share of the steps' pixels that change between frames
  bool temporal = false;
};

// The dither over the first frame's steps and later frames' steps at the
// same places.
TemporalDither ReadTemporalDither(const std::vector<StepMeasure>& steps,
                                  const std::vector<std::vector<StepMeasure>>& later, int first, int last);

// Adds eight-bit "dithered" with "effective_bits" and "dither" ("spatial"
// or "temporal") and returns true when the steps show a dithered 8-bit
// stage.
bool CheckDither(const ChainReading& reading, int first, int last, GreyVerdict& verdict);

#pragma once
// The rules that turn a signal's codes into numbers of another kind: a
// 10-bit code at another bit depth and back, a narrow code shown in full
// range, and the luma weights of a Y'CbCr matrix. One home, so that the
// plug-in's patterns, the calibration client and the render tool's files
// agree on every code.
#include <cstdint>

#include "signal/Signal.h"

namespace veltrima::signal {

// A 10-bit code as a value of `bits` bits (1-16), unrounded. Narrow codes
// scale with the depth by 2^(bits - 10) (black 64 and white 940 are 16 and
// 235 at 8 bits, 256 and 3760 at 12); full-range codes are (2^bits - 1) E',
// so they scale by (2^bits - 1) / 1023 (white 1023 is 255 at 8 bits).
double CodeAtDepth(Range range, double code10, int bits);

// CodeAtDepth rounded to the nearest value (halves up) and clamped to
// 0..2^bits - 1.
std::uint32_t RoundedCodeAtDepth(Range range, int code10, int bits);

// The inverse: the 10-bit code a value of `bits` bits (1-16) stands for in
// `range`, rounded to the nearest code (halves up) and clamped to 0-1023.
// 8-bit narrow 235 is 940; 8-bit full 255 is 1023; 10-bit values pass
// unchanged in either range.
int Code10FromDepth(Range range, std::uint32_t value, int bits);

// A code through an 8-bit stage of the range and back to 10 bits.
int ThroughEightBits(Range range, int code10);

// A narrow-range code shown in full range: round((c - 64) 1023 / 876) for
// either sign, clamped to 0-1023, so that darker-than-black codes land on
// black and brighter-than-white ones on 1023.
int NarrowToFull(int narrowCode);

// The luma weights of a Y'CbCr matrix: Y' = red R' + green G' + blue B'.
// BT.601 is no signal's own; a stage may still read with it.
enum class Matrix { Bt709, Bt2020, Bt601 };
struct LumaWeights {
  double red, green, blue;
};
LumaWeights LumaWeightsOf(Matrix matrix);

// The matrix a signal's files use: BT.2020 for PQ and HLG, BT.709 for SDR.
Matrix MatrixOf(Transfer transfer);

}  // namespace veltrima::signal

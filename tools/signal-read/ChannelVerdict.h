// Whether a chain moved colours between channels while the greys stayed:
// R', G', B' arriving in another order (channels-swapped, "order": where the
// received R', G', B' came from, e.g. "BGR"), or Cb and Cr exchanged in a
// Y'CbCr stage (chroma-swapped: each colour keeps its luma and comes back
// as another hue: red as a blue-purple, blue as a yellow-green). Evidence
// needed, from the saturated patches of an R'G'B' capture: the patches miss
// what was sent (each channel through the greys' own map, so a range fault
// beside it stays apart) by more than 6 codes somewhere, and one exchange
// alone, predicted exactly, holds within 4 codes on every patch and
// channel. The Cb/Cr exchange is predicted in BT.2020 and BT.709 Y'CbCr and
// clamped to the code range as a converter back to R'G'B' clamps. Lossy
// and Y'CbCr captures are not judged, nor levels the greys leave
// unexplained. Patches that miss by more than 6 codes where no check has
// named anything make the verdict unexplained: a capture is never clean
// with its colours that far off.
#pragma once

#include "tools/signal-read/ChainReading.h"
#include "tools/signal-read/GreyVerdict.h"

void CheckChannels(const ChainReading& reading, GreyVerdict& verdict);

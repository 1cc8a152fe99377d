// Whether a BT.709-to-BT.2020 primaries conversion was applied to colour
// that already was BT.2020 (gamut-converted-twice): the greys pass such a
// conversion unchanged (the white points agree), while every saturated
// patch moves towards the middle of the gamut. Judged, like a matrix
// mismatch, on an R'G'B' capture whose greys named nothing and whose
// patches named no matrix: the patches miss the sent codes by more than 6
// codes somewhere, and the sent codes carried from BT.709 into BT.2020 in
// the signal's linear light (as the pattern carries its BT.709 colours,
// BT.2087) predict every patch and channel within 3 codes. Lossy and
// Y'CbCr captures are not judged.
#pragma once

#include "tools/signal-read/ChainReading.h"
#include "tools/signal-read/GreyVerdict.h"

void CheckGamut(const ChainReading& reading, GreyVerdict& verdict);

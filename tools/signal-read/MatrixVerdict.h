// Whether Y'CbCr was written with one matrix and read with another
// (matrix-mismatch, "written" and "read": "BT.2020" or "BT.709"), from the
// saturated patches of an R'G'B' capture whose greys arrived unchanged and
// named nothing (greys do not see a matrix; a range or depth fault stacked
// with one is not told apart yet). Each pair is predicted exactly: the sent
// codes to Y'CbCr by the written matrix, back by the read one, clamped to
// the code range; the fault is named when the patches miss the sent codes
// by more than 6 codes somewhere and that pair's prediction holds within
// 3 codes on every patch and channel. Lossy and Y'CbCr captures are not
// judged; BT.601 is not among the pairs yet.
#pragma once

#include "tools/signal-read/ChainReading.h"
#include "tools/signal-read/GreyVerdict.h"

void CheckMatrix(const ChainReading& reading, GreyVerdict& verdict);

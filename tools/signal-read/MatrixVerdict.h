// Whether Y'CbCr was written with one matrix and read with another
// (matrix-mismatch, "written" and "read": "BT.2020", "BT.709" or
// "BT.601"), from the saturated patches of an R'G'B' capture whose greys
// named nothing or only a range change (greys do not see a matrix). Each
// pair is predicted exactly: the sent codes to Y'CbCr by the written
// matrix, through the greys' range change if any, back by the read one,
// clamped to the code range; the fault is named when the patches miss what
// the greys alone predict by more than 6 codes somewhere and that pair's
// prediction holds within 3 codes on every patch and channel. Lossy and
// Y'CbCr captures are not judged, nor a mismatch beside a clip or an 8-bit
// stage.
#pragma once

#include "tools/signal-read/ChainReading.h"
#include "tools/signal-read/GreyVerdict.h"

void CheckMatrix(const ChainReading& reading, GreyVerdict& verdict);

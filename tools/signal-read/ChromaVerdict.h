// Whether the chain subsampled chroma before the capture (chroma-subsampled,
// "format" 4:2:2 or 4:2:0, "filter" dropped, averaged, bilinear or
// bicubic), from the chroma zone at the sent size. Evidence needed: the
// one-pixel alternation of two colours of equal luma keeps at most 20 % of
// its sent swing across columns (4:2:2), and across rows too (4:2:0), in a
// direction the capture's own coding keeps; the edge at an odd column then
// names the filter (ChromaFilter.h). A capture subsampled by its own coding
// is reported in "measured" "chroma", not as a fault; a lossy capture is
// not judged (compression may smooth a one-pixel alternation by itself).
#pragma once

#include "tools/signal-read/ChainReading.h"
#include "tools/signal-read/GreyVerdict.h"

void CheckChroma(const ChainReading& reading, GreyVerdict& verdict);

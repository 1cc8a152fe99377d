// Whether the file's declared range agrees with what its pixels show
// (tags-disagree, "tag": "range"). The coded range is measured from the
// grey ladder's line: sent black and white arriving within 8 and 12 codes
// of 64 and 940 are narrow, of 0 and 1023 full; levels that are neither
// (a squeeze twice, a fault of its own) are not judged, nor is a file that
// declares no range. A disagreement is named beside any range fault: the
// tag and the levels are separate settings to mend.
#pragma once

#include <string>

#include "tools/capture/DeclaredTags.h"
#include "tools/signal-read/ChainReading.h"
#include "tools/signal-read/GreyVerdict.h"

// "narrow", "full", or empty when the levels are neither.
std::string MeasuredRange(const ChainReading& reading, const GreyVerdict& verdict);

void CheckDeclaredRange(const ChainReading& reading, const DeclaredTags& declared, GreyVerdict& verdict);

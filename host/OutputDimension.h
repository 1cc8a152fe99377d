// The output size a host sends (an unsigned 32-bit number) as the int that
// pixel arithmetic uses, kept inside int whatever the host sends.
#pragma once

#include <algorithm>
#include <limits>

#include "host/FFGL.h"

inline int OutputDimension(FFUInt32 size) {
  return static_cast<int>(std::min<FFUInt32>(size, std::numeric_limits<int>::max()));
}

// The size a host's viewport gives a plug-in's output, as the int that GL
// and the drawing code take. Every product reads its viewport through this.
#pragma once

#include <algorithm>
#include <limits>

#include "host/FFGL.h"

// The output size in pixels, kept inside int whatever the host sends (a size
// beyond int is kept at int's maximum rather than wrapping negative).
inline int OutputDimension(FFUInt32 size) {
  return static_cast<int>(std::min<FFUInt32>(size, std::numeric_limits<int>::max()));
}

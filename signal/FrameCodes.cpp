#include "signal/FrameCodes.h"

#include <algorithm>

#include "signal/CodeRules.h"

namespace veltrima::signal {

double CodeOfFrameValue(std::uint32_t value, int bits) {
  // The inverse of full range's CodeAtDepth: its scale at this depth is that of code 1.
  return static_cast<double>(value) / CodeAtDepth(Range::Full, 1.0, std::clamp(bits, 1, 16));
}

}  // namespace veltrima::signal

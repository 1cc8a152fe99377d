// The region code's decoder on untrusted levels: each input byte gives one
// cell's level of the 9 x 9 data square (byte / 200, so levels beyond white
// occur; byte 255 is not a number), missing cells black. Every input must
// decode to a reading or nothing; a reading names an identity in range and
// at most three neighbouring counters, and says a change was caught exactly
// when it names more than one.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "framestamp/RegionCode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  RegionCodeLevels levels{};
  for (std::size_t i = 0; i < levels.size() && i < size; ++i)
    levels[i] = data[i] == 255 ? std::numeric_limits<float>::quiet_NaN() : data[i] / 200.0f;
  const auto reading = DecodeRegionCode(levels);
  if (!reading) return 0;
  const auto span = static_cast<std::uint16_t>(reading->lastFrame - reading->firstFrame);
  if (reading->identity.output > kRegionMaxOutput || reading->identity.region > kRegionMaxIndex ||
      span > 2 || reading->changeCaught != (span != 0) || reading->quarterTurns < 0 ||
      reading->quarterTurns > 3)
    std::abort();
  return 0;
}

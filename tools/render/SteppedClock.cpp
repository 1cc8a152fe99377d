#include "tools/render/SteppedClock.h"

#include "source/SteadyClock.h"

namespace {

std::int64_t now = 0;
std::int64_t Now() { return now; }

}  // namespace

SteppedClock::SteppedClock() {
  now = 0;
  SetSteadyClockReader(&Now);
}

SteppedClock::~SteppedClock() { SetSteadyClockReader(nullptr); }

void SteppedClock::Set(std::int64_t nanoseconds) { now = nanoseconds; }

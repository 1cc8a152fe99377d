#include "source/SteadyClock.h"

#include <atomic>
#include <chrono>

namespace {

std::int64_t ReadChronoSteadyClock() {
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::int64_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(since).count());
}

// Instances may render on different host threads, so the swap is atomic.
std::atomic<ClockReader> g_reader{&ReadChronoSteadyClock};

}  // namespace

std::int64_t ReadSteadyClock() { return g_reader.load()(); }

void SetSteadyClockReader(ClockReader reader) {
  g_reader.store(reader != nullptr ? reader : &ReadChronoSteadyClock);
}

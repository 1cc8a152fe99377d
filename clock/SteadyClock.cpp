#include "clock/SteadyClock.h"

#include <atomic>

#if defined(_WIN32)
#include <windows.h>
#else
#include <chrono>
#endif

namespace {

#if defined(_WIN32)
// Windows' monotonic clock is the performance counter. Whole seconds and the
// remainder are scaled apart so that counter * 1e9 cannot overflow however
// long the machine has been up.
std::int64_t ReadPlatformClock() {
  static const std::int64_t frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<std::int64_t>(f.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  const std::int64_t ticks = now.QuadPart;
  constexpr std::int64_t kNanosecondsPerSecond = 1000000000;
  return ticks / frequency * kNanosecondsPerSecond + ticks % frequency * kNanosecondsPerSecond / frequency;
}
#else
std::int64_t ReadPlatformClock() {
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::int64_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(since).count());
}
#endif

// Instances may render on different host threads, so the swap is atomic.
std::atomic<ClockReader> g_reader{&ReadPlatformClock};

}  // namespace

std::int64_t ReadSteadyClock() { return g_reader.load()(); }

void SetSteadyClockReader(ClockReader reader) {
  g_reader.store(reader != nullptr ? reader : &ReadPlatformClock);
}

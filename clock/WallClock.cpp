#include "clock/WallClock.h"

#include <atomic>
#include <ctime>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;
constexpr std::int64_t kSecondsPerDay = 86'400;

#if defined(_WIN32)
// FILETIME counts 100 ns steps since 1601-01-01 UTC.
std::int64_t ReadSystemClock() {
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  const std::int64_t ticks =
      static_cast<std::int64_t>((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) |
                                now.dwLowDateTime);
  constexpr std::int64_t kTicksFrom1601To1970 = 116'444'736'000'000'000;
  return (ticks - kTicksFrom1601To1970) * 100;
}

bool Convert(std::time_t seconds, TimeZone zone, std::tm& out) {
  return (zone == TimeZone::Local ? localtime_s(&out, &seconds) : gmtime_s(&out, &seconds)) == 0;
}
#else
std::int64_t ReadSystemClock() {
  timespec now{};
  if (clock_gettime(CLOCK_REALTIME, &now) != 0) return 0;
  return static_cast<std::int64_t>(now.tv_sec) * kNanosecondsPerSecond + now.tv_nsec;
}

bool Convert(std::time_t seconds, TimeZone zone, std::tm& out) {
  return (zone == TimeZone::Local ? localtime_r(&seconds, &out) : gmtime_r(&seconds, &out)) !=
         nullptr;
}
#endif

// Instances may render on different host threads, so the swap is atomic.
std::atomic<WallClockReader> g_reader{&ReadSystemClock};

// Floor division and its remainder, right for moments before 1970 too.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

std::int64_t ReadWallClock() { return g_reader.load()(); }

void SetWallClockReader(WallClockReader reader) {
  g_reader.store(reader != nullptr ? reader : &ReadSystemClock);
}

std::int64_t MillisecondOfDay(std::int64_t epochNanoseconds, TimeZone zone) {
  const std::int64_t seconds = FloorDiv(epochNanoseconds, kNanosecondsPerSecond);
  const std::int64_t millisecond = (epochNanoseconds - seconds * kNanosecondsPerSecond) / 1'000'000;
  std::tm parts{};
  std::int64_t secondOfDay = 0;
  if (Convert(static_cast<std::time_t>(seconds), zone, parts)) {
    const int second = parts.tm_sec > 59 ? 59 : parts.tm_sec;
    secondOfDay = parts.tm_hour * 3600LL + parts.tm_min * 60LL + second;
  } else {
    secondOfDay = seconds - FloorDiv(seconds, kSecondsPerDay) * kSecondsPerDay;
  }
  return secondOfDay * 1000 + millisecond;
}

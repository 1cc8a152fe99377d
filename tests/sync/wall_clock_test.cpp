// The real-time clock layer: the millisecond of the day of any moment, in
// UTC and local time, and the reader that tests swap in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "clock/WallClock.h"

namespace {

constexpr std::int64_t kNs = 1'000'000'000;

TEST(WallClock, MillisecondOfDayInUtc) {
  const struct {
    std::int64_t epochNanoseconds;
    std::int64_t expected;
  } cases[] = {
      {0, 0},
      {999'999, 0},                                      // below a millisecond
      {1'000'000, 1},
      {86'399 * kNs + 999'999'999, 86'399'999},          // the day's last millisecond
      {86'400 * kNs, 0},
      {1718150399LL * kNs + 500'000'000, 86'399'500},    // 2024-06-11 23:59:59.500
      {-1'000'000, 86'399'999},                          // 1969-12-31 23:59:59.999
      {-86'400 * kNs, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MillisecondOfDay(c.epochNanoseconds, TimeZone::Utc), c.expected) << c.epochNanoseconds;
}

TEST(WallClock, LocalTimeFollowsTheZone) {
  const char* saved = std::getenv("TZ");
  const std::string previous = saved ? saved : "";
  setenv("TZ", "UTC-2", 1);  // two hours east of UTC, no daylight saving
  tzset();
  EXPECT_EQ(MillisecondOfDay(0, TimeZone::Local), 2 * 3'600'000);
  EXPECT_EQ(MillisecondOfDay(22 * 3600 * kNs + 5'000'000, TimeZone::Local), 5);
  if (saved) setenv("TZ", previous.c_str(), 1); else unsetenv("TZ");
  tzset();
}

std::int64_t FixedReader() { return 42; }

TEST(WallClock, ReaderCanBeSwappedAndRestored) {
  const std::int64_t before = ReadWallClock();
  EXPECT_GT(before, 1'600'000'000 * kNs);  // after 2020: the system's clock
  SetWallClockReader(&FixedReader);
  EXPECT_EQ(ReadWallClock(), 42);
  SetWallClockReader(nullptr);
  EXPECT_GE(ReadWallClock(), before);
}

}  // namespace

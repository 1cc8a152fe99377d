// The one place the SYNC plug-in reads the time of day from: the system's
// real-time clock (CLOCK_REALTIME; on Windows GetSystemTimePreciseAsFileTime).
// Tests and tools swap in their own reader, as with the steady clock
// (clock/SteadyClock.h), to show chosen moments.
#pragma once

#include <cstdint>

// Returns nanoseconds since 1970-01-01 00:00:00 UTC.
using WallClockReader = std::int64_t (*)();

// Reads the real-time clock through the current reader.
std::int64_t ReadWallClock();

// Replaces the reader for the whole process; null restores the system's clock.
void SetWallClockReader(WallClockReader reader);

enum class TimeZone { Local, Utc };

// The millisecond of the day (0 to 86,399,999) at `epochNanoseconds`, in the
// machine's local time (its time-zone rules, daylight saving included) or in
// UTC. A leap second reads as the second before it. Where the system cannot
// convert the moment, UTC arithmetic answers.
std::int64_t MillisecondOfDay(std::int64_t epochNanoseconds, TimeZone zone);

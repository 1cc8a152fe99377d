// The one place the frame clock reads time from. Production always reads
// std::chrono::steady_clock (on Windows QueryPerformanceCounter); tests and
// tools swap in their own reader so that they can step time by exact amounts.
#pragma once

#include <cstdint>

// Returns nanoseconds of a monotonic clock.
using ClockReader = std::int64_t (*)();

// Reads the clock through the current reader.
std::int64_t ReadSteadyClock();

// Replaces the reader for the whole process; null restores the platform's
// clock.
void SetSteadyClockReader(ClockReader reader);

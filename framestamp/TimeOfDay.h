// Times of day in whole milliseconds since midnight (0 to 86,399,999), their
// text form "HH:MM:SS.mmm", and the conversion of a clock reading into one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

// "HH:MM:SS.mmm"; a value outside the day is first brought into it (modulo).
std::string FormatTimeOfDay(std::int64_t millisecondOfDay);

// Reads "HH:MM:SS.mmm" (also "HH:MM:SS" and one to three fraction digits,
// "HH:MM:SS.5" being half a second). Nothing else is accepted: no sign, no
// spaces, hours 0-23, minutes and seconds 0-59. Empty when malformed.
std::optional<std::int64_t> ParseTimeOfDay(std::string_view text);

// Whole milliseconds of `seconds` past `startMillisecond`, within the day.
// Rounds down, with a margin of a microsecond so that n / fps that is a
// whole number of milliseconds in exact arithmetic is never shown one
// millisecond early by binary rounding. Defined for any input: NaN, the
// infinities and values beyond ±1e12 s count as 0.
std::int64_t TimeOfDayAfter(std::int64_t startMillisecond, double seconds);

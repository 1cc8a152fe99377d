// SMPTE-style timecode derived from the time of day, so that two machines
// whose clocks agree show the same timecode at the same instant: the frames
// of the chosen rate elapsed since midnight, counted and labelled as a
// timecode generator at that rate would.
#pragma once

#include <cstdint>
#include <string>

enum class TimecodeRate {
  Fps23_976,
  Fps24,
  Fps25,
  Fps29_97DropFrame,
  Fps30,
  Fps50,
  Fps59_94DropFrame,
  Fps60,
};
constexpr int kTimecodeRateCount = 8;

struct TimecodeRateInfo {
  const char* name;          // what a user picks, e.g. "29.97 DF"
  std::int64_t numerator;    // frames per second as numerator / denominator
  std::int64_t denominator;
  int nominal;               // frames labelled per second (24, 25, 30, ...)
  bool dropFrame;            // labels dropped at each minute but every tenth
};

// The rate's description; a value outside the enumeration gives 25 fps.
const TimecodeRateInfo& RateInfo(TimecodeRate rate);
// The rate for index 0..7 in the order above; other values (NaN-safe
// callers pass an int) give 25 fps.
TimecodeRate RateFromIndex(int index);

struct Timecode {
  int hours = 0, minutes = 0, seconds = 0, frames = 0;
};

// The timecode of the frame shown at `millisecondOfDay` (brought into the
// day first). The count is the whole frames of the exact rate since
// midnight. A drop-frame day holds 86.4 ms fewer labels than a real day, so
// its count wraps at the last label: the final 2.6 frames before midnight
// read 00:00:00:00 to 00:00:00:02 (0 to 05 at 59.94).
Timecode TimecodeAt(std::int64_t millisecondOfDay, TimecodeRate rate);

// "HH:MM:SS:FF".
std::string FormatTimecode(const Timecode& timecode);

// SMPTE-style timecode derived from the time of day, so that two machines
// whose clocks agree show the same timecode at the same instant: the frames
// of the chosen rate elapsed since midnight, counted and labelled as a
// timecode generator at that rate would.
#pragma once

#include <cstdint>
#include <optional>
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
// How a timecode counts numerator / denominator frames per second (a reduced
// fraction, both positive): a whole rate N labels N frames a second, and
// N x 1000/1001 labels N, drop-frame at 30000/1001 and 60000/1001 only (as
// every timecode device does). Empty for any other rate. The name is empty.
std::optional<TimecodeRateInfo> TimecodeRateFor(std::int64_t numerator,
                                                std::int64_t denominator);

struct Timecode {
  int hours = 0, minutes = 0, seconds = 0, frames = 0;
};

// The timecode of the frame shown at `millisecondOfDay` (brought into the
// day first). The count is the whole frames of the exact rate since
// midnight. A drop-frame day holds 86.4 ms fewer labels than a real day, so
// its count wraps at the last label: the final 2.6 frames before midnight
// read 00:00:00:00 to 00:00:00:02 (0 to 05 at 59.94).
Timecode TimecodeAt(std::int64_t millisecondOfDay, TimecodeRate rate);
// The same at any rate TimecodeRateFor describes: the SYNC label and a video
// file's start timecode both come from here, so they cannot disagree, and
// both stay within 00:00:00:00 to 23:59:59:FF.
Timecode TimecodeAt(std::int64_t millisecondOfDay, const TimecodeRateInfo& rate);

// "HH:MM:SS:FF", as the SYNC label shows every rate.
std::string FormatTimecode(const Timecode& timecode);
// "HH:MM:SS:FF", or "HH:MM:SS;FF" for a drop-frame rate: how a video file's
// timecode tag tells the two apart.
std::string FormatTimecodeTag(const Timecode& timecode, const TimecodeRateInfo& rate);

// The clip's start time: what --start-time reads, the text a plug-in's
// "Start Time" parameter receives, and the video timecode of frame 0.
#pragma once

#include <cstdint>
#include <string>

#include "framestamp/FrameRate.h"

struct StartTime {
  std::int64_t milliseconds = 0;

  // "HH:MM:SS.mmm", always with every field.
  std::string Text() const;
};

// Hours of a start time are below this.
constexpr int kMaxStartHours = 24;

// "HH:MM:SS.mmm" or "HH:MM:SS" (hours 0 to 23, minutes and seconds 0 to 59,
// one to three decimals); throws UsageError for anything else.
StartTime ParseStartTime(const std::string& text);

// The SMPTE timecode of the frame shown at the start time at `rate`, the
// label the SYNC plug-in draws on it (framestamp/Timecode.h): "HH:MM:SS:FF",
// or "HH:MM:SS;FF" drop-frame for 30000/1001 and 60000/1001 (so that it
// keeps step with the clock), always within 00 to 23 hours. Throws
// UsageError for a rate no timecode counts (neither whole frames per second
// nor N x 1000/1001).
std::string StartTimecode(const StartTime& start, const FrameRate& rate);

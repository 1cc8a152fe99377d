// Frame rates as exact fractions, as the tools take them ("60", "59.94",
// "12.5", "30000/1001"), and the moment each frame shows. Broadcast rates
// typed as decimals mean their 1000/1001 fractions (within 0.005 of
// N x 1000/1001: 59.94 is 60000/1001, 29.97 is 30000/1001, 23.976 is
// 24000/1001), as on every video device that shows them, so that a clip's
// timing matches what a player and a timecode reader expect over any length.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct FrameRate {
  std::int64_t numerator = 60;  // frames per second as numerator / denominator, both positive
  std::int64_t denominator = 1;

  double Value() const { return static_cast<double>(numerator) / static_cast<double>(denominator); }
  std::string Text() const;  // "60" or "60000/1001"
};

// Highest rate accepted; higher rates only make hidden-frame loops longer.
constexpr std::int64_t kMaxFramesPerSecond = 1000;

// The rate a text names, reduced; empty unless it is a positive rate of at
// most kMaxFramesPerSecond, with at most nine digits on either side of the
// slash or point.
std::optional<FrameRate> ParseFrameRate(std::string_view text);

// Nanoseconds from frame 0 to frame `index`, rounded to nearest (halves up),
// computed exactly in integers.
std::int64_t FrameNanoseconds(long index, const FrameRate& rate);

// index / rate in seconds: the double nearest to the exact quotient, what a
// host passes as its time (code 20) before drawing frame `index`.
double FrameSeconds(long index, const FrameRate& rate);

// index / rate in milliseconds, the double nearest to the exact quotient.
double FrameMilliseconds(long index, const FrameRate& rate);

#include "framestamp/Timecode.h"

#include <cstdio>
#include <optional>

#include "framestamp/FrameRate.h"
#include "framestamp/TimeOfDay.h"

namespace {

const TimecodeRateInfo kRates[kTimecodeRateCount] = {
    {"23.976", 24000, 1001, 24, false}, {"24", 24, 1, 24, false},
    {"25", 25, 1, 25, false},           {"29.97 DF", 30000, 1001, 30, true},
    {"30", 30, 1, 30, false},           {"50", 50, 1, 50, false},
    {"59.94 DF", 60000, 1001, 60, true}, {"60", 60, 1, 60, false},
};

// Drop-frame labelling: the first `dropped` labels of every minute are
// skipped, except in minutes divisible by ten (2 at 29.97, 4 at 59.94).
std::int64_t LabelNumberOfDropFrameCount(std::int64_t count, int nominal) {
  const std::int64_t dropped = nominal / 15;
  const std::int64_t perMinute = nominal * 60 - dropped;
  const std::int64_t perTenMinutes = nominal * 600 - 9 * dropped;
  const std::int64_t tens = count / perTenMinutes;
  std::int64_t rest = count % perTenMinutes;
  std::int64_t label = tens * nominal * 600;
  if (rest >= nominal * 60) {  // past the first (undropped) minute of the ten
    rest -= nominal * 60;
    label += nominal * 60 + (rest / perMinute) * nominal * 60 + dropped + rest % perMinute;
  } else {
    label += rest;
  }
  return label;
}

}  // namespace

const TimecodeRateInfo& RateInfo(TimecodeRate rate) {
  const int i = static_cast<int>(rate);
  return kRates[(i >= 0 && i < kTimecodeRateCount) ? i : 2];
}

TimecodeRate RateFromIndex(int index) {
  return (index >= 0 && index < kTimecodeRateCount) ? static_cast<TimecodeRate>(index)
                                                     : TimecodeRate::Fps25;
}

std::optional<TimecodeRateInfo> TimecodeRateFor(std::int64_t numerator,
                                                std::int64_t denominator) {
  if (numerator <= 0 || numerator > kMaxFramesPerSecond * denominator) return std::nullopt;
  if (denominator == 1)
    return TimecodeRateInfo{"", numerator, 1, static_cast<int>(numerator), false};
  if (denominator != 1001 || numerator % 1000 != 0) return std::nullopt;
  const int nominal = static_cast<int>(numerator / 1000);
  return TimecodeRateInfo{"", numerator, 1001, nominal, nominal == 30 || nominal == 60};
}

Timecode TimecodeAt(std::int64_t millisecondOfDay, TimecodeRate rate) {
  return TimecodeAt(millisecondOfDay, RateInfo(rate));
}

Timecode TimecodeAt(std::int64_t millisecondOfDay, const TimecodeRateInfo& info) {
  std::int64_t ms = millisecondOfDay % kMillisecondsPerDay;
  if (ms < 0) ms += kMillisecondsPerDay;
  // ms < 2^27 and numerator <= 60000: the product stays far inside 64 bits.
  const std::int64_t count = ms * info.numerator / (1000 * info.denominator);
  std::int64_t label = count;
  if (info.dropFrame) {
    const std::int64_t framesPerDay = (info.nominal * 600 - 9 * (info.nominal / 15)) * 6 * 24;
    label = LabelNumberOfDropFrameCount(count % framesPerDay, info.nominal);
  }
  const std::int64_t perHour = std::int64_t{info.nominal} * 3600;
  label %= perHour * 24;
  Timecode t;
  t.hours = static_cast<int>(label / perHour);
  t.minutes = static_cast<int>(label / (info.nominal * 60) % 60);
  t.seconds = static_cast<int>(label / info.nominal % 60);
  t.frames = static_cast<int>(label % info.nominal);
  return t;
}

std::string FormatTimecode(const Timecode& t) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d:%02d", t.hours % 100, t.minutes % 100,
                t.seconds % 100, t.frames % 100);
  return text;
}

std::string FormatTimecodeTag(const Timecode& t, const TimecodeRateInfo& rate) {
  // Frames in full: a rate above 100 labels frames beyond two digits.
  char text[24];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d%c%02d", t.hours % 100, t.minutes % 100,
                t.seconds % 100, rate.dropFrame ? ';' : ':', t.frames % 10000);
  return text;
}

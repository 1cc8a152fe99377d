#include "tools/render/StartTime.h"

extern "C" {
#include <libavutil/timecode.h>
}

#include <cctype>
#include <cstdio>

#include "tools/UsageError.h"

namespace {

[[noreturn]] void Reject(const std::string& text) {
  throw UsageError("--start-time takes HH:MM:SS.mmm (such as 01:00:00.000), got \"" + text +
                   "\"");
}

// Two digits at `at` no greater than `limit`, or -1.
int TwoDigits(const std::string& text, std::size_t at, int limit) {
  if (at + 2 > text.size() || !std::isdigit(static_cast<unsigned char>(text[at])) ||
      !std::isdigit(static_cast<unsigned char>(text[at + 1])))
    return -1;
  const int value = (text[at] - '0') * 10 + (text[at + 1] - '0');
  return value <= limit ? value : -1;
}

bool IsDropFrameRate(const FrameRate& rate) {
  return rate.denominator == 1001 && (rate.numerator == 30000 || rate.numerator == 60000);
}

}  // namespace

std::string StartTime::Text() const {
  char text[32];
  const std::int64_t seconds = milliseconds / 1000;
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", static_cast<int>(seconds / 3600),
                static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60),
                static_cast<int>(milliseconds % 1000));
  return text;
}

StartTime ParseStartTime(const std::string& text) {
  const int hours = TwoDigits(text, 0, kMaxStartHours - 1);
  const int minutes = TwoDigits(text, 3, 59);
  const int seconds = TwoDigits(text, 6, 59);
  if (hours < 0 || minutes < 0 || seconds < 0 || text[2] != ':' || text[5] != ':') Reject(text);
  int millis = 0;
  if (text.size() > 8) {
    if (text[8] != '.' || text.size() < 10 || text.size() > 12) Reject(text);
    int scale = 100;
    for (std::size_t i = 9; i < text.size(); ++i, scale /= 10) {
      if (!std::isdigit(static_cast<unsigned char>(text[i]))) Reject(text);
      millis += (text[i] - '0') * scale;
    }
  }
  return {((hours * 60 + minutes) * 60 + seconds) * std::int64_t{1000} + millis};
}

std::string StartTimecode(const StartTime& start, const FrameRate& rate) {
  const bool drop = IsDropFrameRate(rate);
  if (rate.denominator != 1 && rate.denominator != 1001)
    throw UsageError("a timecode counts whole frames per second (or their 1000/1001 rates); --fps " +
                     rate.Text() + " has none");
  // The frame nearest the start moment, counted at the true rate; drop-frame
  // numbering then shows that frame with the wall-clock time.
  const std::int64_t frame =
      (2 * start.milliseconds * rate.numerator + 1000 * rate.denominator) /
      (2000 * rate.denominator);
  AVTimecode timecode{};
  const AVRational fps{static_cast<int>(rate.numerator), static_cast<int>(rate.denominator)};
  if (av_timecode_init(&timecode, fps, drop ? AV_TIMECODE_FLAG_DROPFRAME : 0, 0, nullptr) < 0)
    throw UsageError("no timecode counts --fps " + rate.Text());
  char text[AV_TIMECODE_STR_SIZE];
  av_timecode_make_string(&timecode, text, static_cast<int>(frame));
  return text;
}

#include "framestamp/TimeOfDay.h"

#include <cmath>
#include <cstdio>

namespace {

std::int64_t WithinDay(std::int64_t ms) {
  const std::int64_t r = ms % kMillisecondsPerDay;
  return r < 0 ? r + kMillisecondsPerDay : r;
}

// Reads exactly `count` decimal digits at `pos`.
std::optional<int> Digits(std::string_view text, std::size_t pos, std::size_t count) {
  if (pos + count > text.size()) return std::nullopt;
  int value = 0;
  for (std::size_t i = pos; i < pos + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

}  // namespace

std::string FormatTimeOfDay(std::int64_t millisecondOfDay) {
  const std::int64_t ms = WithinDay(millisecondOfDay);
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", static_cast<int>(ms / 3'600'000),
                static_cast<int>(ms / 60'000 % 60), static_cast<int>(ms / 1000 % 60),
                static_cast<int>(ms % 1000));
  return text;
}

std::optional<std::int64_t> ParseTimeOfDay(std::string_view text) {
  const auto h = Digits(text, 0, 2), m = Digits(text, 3, 2), s = Digits(text, 6, 2);
  if (!h || !m || !s || text[2] != ':' || text[5] != ':') return std::nullopt;
  if (*h > 23 || *m > 59 || *s > 59) return std::nullopt;
  int fraction = 0;
  if (text.size() > 8) {
    const std::size_t digits = text.size() - 9;
    if (text[8] != '.' || digits < 1 || digits > 3) return std::nullopt;
    const auto f = Digits(text, 9, digits);
    if (!f) return std::nullopt;
    fraction = *f * (digits == 1 ? 100 : digits == 2 ? 10 : 1);
  }
  return ((*h * 60LL + *m) * 60 + *s) * 1000 + fraction;
}

std::int64_t TimeOfDayAfter(std::int64_t startMillisecond, double seconds) {
  if (!std::isfinite(seconds) || std::fabs(seconds) > 1e12) seconds = 0;
  const double ms = std::floor(seconds * 1000.0 + 1e-3);
  const std::int64_t whole = static_cast<std::int64_t>(std::fmod(ms, double(kMillisecondsPerDay)));
  return WithinDay(WithinDay(startMillisecond) + whole);
}

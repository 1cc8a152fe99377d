#include "framestamp/StampText.h"

#include "framestamp/TimeOfDay.h"

namespace {

// Reads "<key><value> " at `pos` for a value without spaces; moves `pos`
// past the space.
std::optional<std::string_view> Field(std::string_view text, std::size_t& pos,
                                      std::string_view key) {
  if (text.substr(pos, key.size()) != key) return std::nullopt;
  const std::size_t start = pos + key.size();
  const std::size_t end = text.find(' ', start);
  if (end == std::string_view::npos || end == start) return std::nullopt;
  pos = end + 1;
  return text.substr(start, end - start);
}

std::optional<std::uint64_t> Decimal(std::string_view digits, std::uint64_t maximum) {
  if (digits.empty() || digits.size() > 19 || (digits.size() > 1 && digits[0] == '0'))
    return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value > maximum) return std::nullopt;
  return value;
}

bool IsTimecode(std::string_view t) {
  if (t.size() != 11) return false;
  for (std::size_t i = 0; i < t.size(); ++i) {
    const bool separator = i % 3 == 2;
    if (separator ? t[i] != ':' : (t[i] < '0' || t[i] > '9')) return false;
  }
  return true;
}

}  // namespace

std::string ComposeStampText(const StampText& s) {
  return "VELTRIMA F=" + std::to_string(s.frame) + " T=" + s.time + " TC=" + s.timecode +
         " O=" + std::to_string(s.output) + " L=" + s.label;
}

std::optional<StampText> ParseStampText(std::string_view text) {
  std::size_t pos = 0;
  if (text.substr(0, 9) != "VELTRIMA ") return std::nullopt;
  pos = 9;
  const auto frame = Field(text, pos, "F=");
  const auto time = Field(text, pos, "T=");
  const auto timecode = Field(text, pos, "TC=");
  const auto output = Field(text, pos, "O=");
  if (!frame || !time || !timecode || !output || text.substr(pos, 2) != "L=")
    return std::nullopt;
  StampText s;
  const auto frameValue = Decimal(*frame, UINT64_MAX / 10);
  const auto outputValue = Decimal(*output, 31);
  if (!frameValue || !outputValue || !ParseTimeOfDay(*time) || time->size() != 12 ||
      !IsTimecode(*timecode))
    return std::nullopt;
  s.frame = *frameValue;
  s.time = std::string(*time);
  s.timecode = std::string(*timecode);
  s.output = static_cast<std::uint32_t>(*outputValue);
  s.label = std::string(text.substr(pos + 2));
  return s;
}

// The text of the frame's QR code, one line that phones show as it is:
// "VELTRIMA F=<frame> T=<HH:MM:SS.mmm> TC=<HH:MM:SS:FF> O=<output> L=<label>",
// the frame number in decimal without leading zeros, the label as typed (it
// may hold spaces and anything else; it runs to the end of the text).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct StampText {
  std::uint64_t frame = 0;
  std::string time;      // "HH:MM:SS.mmm"
  std::string timecode;  // "HH:MM:SS:FF"
  std::uint32_t output = 0;
  std::string label;
};

std::string ComposeStampText(const StampText& stamp);
// Empty when the text is not in that form (a foreign QR code, a misread).
std::optional<StampText> ParseStampText(std::string_view text);

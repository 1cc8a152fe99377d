// The capture's frame rate, as --fps takes it: a rational "60000/1001" or a
// decimal "59.94". The decimals of the NTSC family (23.976, 29.97, 47.952,
// 59.94, 119.88: within 0.005 of N x 1000/1001) mean those exact rates, as
// they do on every video device that shows them. Fractions are reduced.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

struct FrameRate {
  std::int64_t numerator = 0, denominator = 1;  // frames per second, both positive
};

// Empty unless the text is a positive rate of at most 1000 fps, with whole
// numbers of at most nine digits on either side of the slash or point.
std::optional<FrameRate> ParseFrameRate(std::string_view text);

// Milliseconds from the start of the capture to its frame `index`.
double CaptureMilliseconds(const FrameRate& rate, std::int64_t index);

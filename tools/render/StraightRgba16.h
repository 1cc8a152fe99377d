// The float read-back as straight-alpha 16-bit RGBA, for outputs deeper than
// 8 bits (16-bit PNG, 10- to 16-bit FFV1, ProRes): the rule of
// hostkit::StraightRgba8FromPremultiplied (colour divided by alpha, 0 where
// alpha is not above 0, clamped to [0, 1], NaN to 0) at 65535 steps.
#pragma once

#include <cstddef>
#include <cstdint>

void StraightRgba16FromPremultiplied(const float* premultiplied, std::size_t count,
                                     std::uint16_t* out);

#pragma once
// The codes a picture read back from a framebuffer holds. The plug-ins draw
// a 10-bit code c as the normalised value c / 1023, so a framebuffer (or a
// frame read back) of n bits holds it as (2^n - 1) c / 1023, in either
// range: full range's rule at every depth (CodeRules.h's CodeAtDepth with
// Range::Full). A file of a narrow signal at other than 10 bits holds
// another value, CodeAtDepth(Range::Narrow, c, n); the render tool reads
// each value back to its code with this and writes it by the range's rule.
#include <cstdint>

namespace veltrima::signal {

// The 10-bit code a framebuffer value of `bits` bits (1-16) stands for,
// unrounded: value 1023 / (2^bits - 1). 8-bit 255 and 16-bit 65535 are
// 1023; 16-bit 60160 is 939.06, not narrow white 940.
double CodeOfFrameValue(std::uint32_t value, int bits);

}  // namespace veltrima::signal

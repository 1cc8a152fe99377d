// A signal's codes from the tool's frames to the values a file holds. The
// frames hold each 10-bit code c as a framebuffer does, at full scale
// (signal/FrameCodes.h: a 16-bit word of c is 65535 c / 1023, an 8-bit frame
// is widened as v x 257), whatever the range; a file at n bits holds it by
// its range's rule (signal/CodeRules.h's CodeAtDepth): narrow c 2^(n-10),
// full (2^n - 1) c / 1023. Only at 10 bits, or in full range, are the two
// the same: 16-bit narrow white 940 is 60160, not the frame's 60217.
#pragma once

extern "C" {
#include <libavutil/frame.h>
}

#include <cstddef>
#include <cstdint>
#include <vector>

#include "signal/Signal.h"

// A frame's word as a value of `bits` bits (1-16) in `range`, unrounded.
double SignalLevel(veltrima::signal::Range range, int bits, std::uint16_t word);

// The same rounded to the nearest value and clamped, for every word.
class SignalLevels {
 public:
  SignalLevels(veltrima::signal::Range range, int bits);
  std::uint16_t operator()(std::uint16_t word) const { return table_[word]; }

  // `pixels` RGBA pixels (16-bit words, or 8-bit values with `bits` 8)
  // into `out`, R, G and B by the table, alpha as it is.
  void Apply(const std::uint16_t* rgba, std::size_t pixels, std::uint16_t* out) const;
  void Apply(const std::uint8_t* rgba, std::size_t pixels, std::uint8_t* out) const;

  // `rgba` (16-bit words, rows top-down, tightly packed) into `frame`, an
  // RGB(A) pixel format of the table's depth, planar or packed (FFV1, PNG
  // frames, H.264 RGB): R, G and B by the table, alpha at full scale.
  // libswscale is not used for a signal: it scales every value as full
  // range (and cuts 16-bit words to 12 bits rather than rounding them).
  void WriteRgb(const std::uint16_t* rgba, AVFrame* frame) const;

 private:
  std::vector<std::uint16_t> table_;
  int bits_;
  mutable std::vector<std::uint16_t> row_;
};

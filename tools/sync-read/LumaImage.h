// A frame as the decoders see it: one 8-bit luminance value per pixel, rows
// top-down. Both codes are black and white, so colour carries nothing they
// need, and zxing-cpp reads the same plane without a copy.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/capture/CaptureFrame.h"
#include "tools/capture/FrameLimits.h"

struct LumaImage {
  int width = 0, height = 0;
  std::vector<std::uint8_t> luma;  // width * height values

  std::uint8_t At(int x, int y) const {
    return luma[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                static_cast<std::size_t>(x)];
  }
};


// The luminance of 8-bit RGBA pixels (alpha ignored), weighted as video
// luma is (0.299 R + 0.587 G + 0.114 B), rounded.
std::uint8_t Luma(unsigned r, unsigned g, unsigned b);
LumaImage LumaFromRgba8(const std::uint8_t* rgba, int width, int height);
LumaImage LumaFromRgba16(const std::uint16_t* rgba, int width, int height);
// A capture at its own depth: R', G', B' weighted as above after each is
// taken to 8 bits (round(v · 255 / max)), or Y' taken to 8 bits.
LumaImage LumaFromCapture(const CaptureFrame& frame);

// A frame as the decoders see it: one 8-bit luminance value per pixel, rows
// top-down. Both codes are black and white, so colour carries nothing they
// need, and zxing-cpp reads the same plane without a copy.
#pragma once

#include <cstdint>
#include <vector>

// The largest frame accepted from any input (a PNG header or --size): 16384
// pixels a side and 40 million pixels in all, which holds 8K UHD
// (7680x4320). Beyond it a file is refused before anything is allocated.
constexpr int kMaxFrameSide = 16384;
constexpr std::int64_t kMaxFramePixels = 40'000'000;

struct LumaImage {
  int width = 0, height = 0;
  std::vector<std::uint8_t> luma;  // width * height values

  std::uint8_t At(int x, int y) const {
    return luma[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                static_cast<std::size_t>(x)];
  }
};

// Whether a frame of width x height pixels is within the limits above.
bool FrameSizeAccepted(std::int64_t width, std::int64_t height);

// The luminance of 8-bit RGBA pixels (alpha ignored), weighted as video
// luma is (0.299 R + 0.587 G + 0.114 B), rounded.
std::uint8_t Luma(unsigned r, unsigned g, unsigned b);
LumaImage LumaFromRgba8(const std::uint8_t* rgba, int width, int height);
LumaImage LumaFromRgba16(const std::uint16_t* rgba, int width, int height);

#include "tools/sync-read/LumaImage.h"

bool FrameSizeAccepted(std::int64_t width, std::int64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxFrameSide && height <= kMaxFrameSide &&
         width * height <= kMaxFramePixels;
}

std::uint8_t Luma(unsigned r, unsigned g, unsigned b) {
  // Fixed-point weights summing to 1024, with 512 for rounding.
  return static_cast<std::uint8_t>((306 * r + 601 * g + 117 * b + 512) >> 10);
}

namespace {

template <typename Sample, typename ToByte>
LumaImage Convert(const Sample* rgba, int width, int height, ToByte toByte) {
  LumaImage image;
  if (!rgba || !FrameSizeAccepted(width, height)) return image;
  image.width = width;
  image.height = height;
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  image.luma.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const Sample* p = rgba + 4 * i;
    image.luma[i] = Luma(toByte(p[0]), toByte(p[1]), toByte(p[2]));
  }
  return image;
}

}  // namespace

LumaImage LumaFromRgba8(const std::uint8_t* rgba, int width, int height) {
  return Convert(rgba, width, height, [](std::uint8_t v) { return unsigned{v}; });
}

LumaImage LumaFromRgba16(const std::uint16_t* rgba, int width, int height) {
  // 65535 -> 255 exactly; v / 257 rounded.
  return Convert(rgba, width, height, [](std::uint16_t v) { return (unsigned{v} + 128) / 257; });
}

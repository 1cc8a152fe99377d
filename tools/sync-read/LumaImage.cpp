#include "tools/sync-read/LumaImage.h"

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

LumaImage LumaFromCapture(const CaptureFrame& frame) {
  LumaImage image;
  if (frame.Empty() || !FrameSizeAccepted(frame.width, frame.height)) return image;
  image.width = frame.width;
  image.height = frame.height;
  const unsigned max = static_cast<unsigned>(frame.MaxValue());
  auto toByte = [max](std::uint16_t v) { return (unsigned{v} * 255 + max / 2) / max; };
  const std::size_t count = frame.planes[0].size();
  image.luma.resize(count);
  for (std::size_t i = 0; i < count; ++i)
    image.luma[i] = frame.colour == CaptureColour::YCbCr
                        ? static_cast<std::uint8_t>(toByte(frame.planes[0][i]))
                        : Luma(toByte(frame.planes[0][i]), toByte(frame.planes[1][i]),
                               toByte(frame.planes[2][i]));
  return image;
}

// The readers' raw frame unpacking on untrusted bytes: the first byte picks
// the format, the next two the width (1 to 256), the fourth the height (1
// to 64); the rest is the frame, used when there are enough bytes for it.
// Every frame must unpack into planes of the promised sizes with no value
// above the depth's maximum, never a crash or undefined behaviour.
#include <cstdint>
#include <cstdlib>

#include "tools/capture/RawFormats.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  constexpr RawFormat kFormats[] = {RawFormat::Rgba,        RawFormat::Rgb48le,     RawFormat::Gbrp10le,
                                    RawFormat::Yuv444p10le, RawFormat::Yuv422p10le, RawFormat::V210};
  const RawFormat format = kFormats[data[0] % 6];
  const int width = 1 + ((data[1] << 8 | data[2]) % 256);
  const int height = 1 + data[3] % 64;
  if (size - 4 < RawFrameBytes(format, width, height)) return 0;
  const CaptureFrame frame = UnpackRaw(format, data + 4, width, height);
  for (int p = 0; p < 3; ++p) {
    const auto& plane = frame.planes[static_cast<std::size_t>(p)];
    if (plane.size() != static_cast<std::size_t>(frame.PlaneWidth(p)) * static_cast<std::size_t>(height)) std::abort();
    for (std::uint16_t v : plane)
      if (v > frame.MaxValue()) std::abort();
  }
  return 0;
}

// The sync reader's decoding on untrusted pixels: the first two bytes give
// the frame's width (1 to 512), the rest its luminance rows, as many whole
// rows as there are. Every input must decode to a reading or a reason,
// never a crash or undefined behaviour; a decoded strip must carry a word
// whose CRC matches.
#include <cstdint>
#include <cstdlib>

#include "framestamp/StampCode.h"
#include "tools/sync-read/FrameDecoder.h"
#include "tools/sync-read/StripDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const int width = 1 + ((data[0] << 8 | data[1]) % 512);
  const std::size_t pixels = size - 2;
  const int height = static_cast<int>(pixels / static_cast<std::size_t>(width));
  if (height < 1) return 0;
  LumaImage image{width, height,
                  std::vector<std::uint8_t>(data + 2, data + 2 + static_cast<std::size_t>(width) * height)};
  const StripReading strip = ReadStrip(image);
  if (strip.status == StripReading::Status::Decoded &&
      !(DecodeStamp(strip.word) && *DecodeStamp(strip.word) == strip.stamp))
    std::abort();
  DecodeFrame(image);
  return 0;
}

// The Chain Check strip reader on untrusted pixels: the first two bytes give
// the frame's width (1 to 512), the third its depth (1 to 16 bits), the rest
// its grey values as 16-bit little-endian words, masked to the depth, as
// many whole rows as there are. Every input must give a reading or none,
// never a crash or undefined behaviour; a decoded strip must say what its
// own cells, encoded again, say.
#include <cstdint>
#include <cstdlib>

#include "chaincheck/StripReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  const int width = 1 + ((data[0] << 8 | data[1]) % 512);
  const int bits = 1 + data[2] % 16;
  const std::size_t words = (size - 3) / 2;
  const int height = static_cast<int>(words / static_cast<std::size_t>(width));
  if (height < 1) return 0;
  chaincheck::GreyImage image{width, height, (1 << bits) - 1, {}};
  for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i)
    image.values.push_back(static_cast<std::uint16_t>((data[3 + 2 * i] | data[4 + 2 * i] << 8) & image.maxValue));
  const chaincheck::StripReading reading = chaincheck::ReadStrip(image);
  if (reading.status == chaincheck::StripReading::Status::Decoded) {
    const chaincheck::StripDecode again = chaincheck::DecodeStrip(chaincheck::EncodeStrip(reading.content));
    if (again.fault != chaincheck::StripFault::None || !(again.content == reading.content)) std::abort();
  }
  return 0;
}

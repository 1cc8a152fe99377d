// The 8-bit path's own byte work: the word-wise opacity check against one
// odd alpha anywhere (in a word, in the odd last pixel, across the blocks
// it checks between, behind an unaligned start), and the un-premultiplying
// of 8-bit bytes against real division for every colour and alpha byte.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "tools/render/OpaqueBytes.h"

namespace {

TEST(ByteTargetOpaque, OneAlphaBelow255AnywhereIsFound) {
  const struct {
    std::size_t pixels;
    long odd;  // the pixel whose alpha is not 255; -1 for none
    std::uint8_t alpha;
    std::size_t offset;  // bytes from an aligned start
  } cases[] = {
      {1, -1, 0, 0},        {1, 0, 254, 0},        {2, 1, 0, 0},
      {3, 2, 254, 0},       {3, 1, 128, 1},        {4097, -1, 0, 3},
      {4097, 4096, 0, 0},   {4097, 4095, 254, 5},  {8192, 4096, 1, 0},
      {8192, 4095, 127, 2}, {1920 * 1080, 1920 * 1080 - 1, 0, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.pixels << " pixels, alpha " << int(c.alpha)
                                      << " at " << c.odd << ", start +" << c.offset);
    std::vector<std::uint8_t> buffer(c.pixels * 4 + 8, 0);
    std::uint8_t* rgba = buffer.data() + c.offset;
    for (std::size_t p = 0; p < c.pixels; ++p) rgba[p * 4 + 3] = 255;  // colour stays 0
    if (c.odd >= 0) rgba[static_cast<std::size_t>(c.odd) * 4 + 3] = c.alpha;
    EXPECT_EQ(AllOpaque(rgba, c.pixels * 4), c.odd < 0);
  }
  EXPECT_TRUE(AllOpaque(nullptr, 16));
}

TEST(ByteTargetOpaque, StraightFromBytesRoundsTheTrueQuotient) {
  std::vector<std::uint8_t> in, out;
  for (int a = 0; a < 256; ++a)
    for (int c = 0; c < 256; ++c)
      in.insert(in.end(), {std::uint8_t(c), std::uint8_t(255 - c), std::uint8_t(c / 2),
                           std::uint8_t(a)});
  out.resize(in.size());
  StraightFromPremultiplied8(in.data(), in.size(), out.data());
  for (std::size_t i = 0; i < in.size(); i += 4) {
    const double a = in[i + 3];
    for (std::size_t k = 0; k < 3; ++k) {
      const double exact = a == 0 ? 0 : std::floor(in[i + k] * 255.0 / a + 0.5);
      ASSERT_EQ(out[i + k], std::fmin(exact, 255)) << "colour " << int(in[i + k]) << " alpha " << a;
    }
    ASSERT_EQ(out[i + 3], in[i + 3]);
  }
  std::vector<std::uint8_t> inPlace = in;  // the same buffer in and out
  StraightFromPremultiplied8(inPlace.data(), inPlace.size(), inPlace.data());
  EXPECT_EQ(inPlace, out);
}

}  // namespace

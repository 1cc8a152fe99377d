// A framebuffer's values as the codes the plug-ins drew (c / 1023 of full
// scale), at 8, 10 and 16 bits, in either range.
#include <gtest/gtest.h>

#include <cmath>

#include "signal/FrameCodes.h"

namespace veltrima::signal {
namespace {

TEST(FrameCodes, FullScaleIsCode1023AtEveryDepth) {
  EXPECT_DOUBLE_EQ(CodeOfFrameValue(255, 8), 1023);
  EXPECT_DOUBLE_EQ(CodeOfFrameValue(1023, 10), 1023);
  EXPECT_DOUBLE_EQ(CodeOfFrameValue(65535, 16), 1023);
  EXPECT_DOUBLE_EQ(CodeOfFrameValue(0, 16), 0);
  // Not a narrow file's value: 16-bit narrow white is 60160, a frame's 60217.
  EXPECT_NEAR(CodeOfFrameValue(60160, 16), 939.096, 0.0005);
  EXPECT_NEAR(CodeOfFrameValue(60217, 16), 939.986, 0.0005);
}

TEST(FrameCodes, EveryCodeDrawnComesBackFromSixteenBits) {
  // A GL target rounds c / 1023 to the nearest of its values.
  for (int code = 0; code <= 1023; ++code) {
    const auto value = static_cast<std::uint32_t>(std::lround(code * 65535.0 / 1023));
    ASSERT_EQ(std::lround(CodeOfFrameValue(value, 16)), code);
  }
}

}  // namespace
}  // namespace veltrima::signal

// --fps as a person types it: rationals, decimals, the NTSC family, and
// everything that is not a rate.
#include <gtest/gtest.h>

#include "framestamp/FrameRate.h"

namespace {

TEST(FrameRate, ReadsRationalsAndDecimals) {
  struct Case {
    const char* text;
    std::int64_t numerator, denominator;
  };
  const Case cases[] = {
      {"60", 60, 1},          {"25", 25, 1},          {"60000/1001", 60000, 1001},
      {"59.94", 60000, 1001}, {"29.97", 30000, 1001}, {"23.976", 24000, 1001},
      {"119.88", 120000, 1001}, {"50.0", 50, 1},     {"12.5", 25, 2},
      {"1000", 1000, 1},      {"48/2", 24, 1},      {"59.9", 599, 10},
  };
  for (const Case& c : cases) {
    const auto rate = ParseFrameRate(c.text);
    ASSERT_TRUE(rate) << c.text;
    EXPECT_EQ(rate->numerator, c.numerator) << c.text;
    EXPECT_EQ(rate->denominator, c.denominator) << c.text;
  }
}

TEST(FrameRate, RefusesWhatIsNotARate) {
  for (const char* text : {"", "0", "0.0", "-60", "+60", "1001", "60/0", "0/1", "/", "60/",
                           "/1001", ".5", "5.", "1e3", "60 ", " 60", "59,94", "nan", "inf",
                           "60/1001/2", "1234567890", "1/1234567890", "0.0000000001"})
    EXPECT_FALSE(ParseFrameRate(text)) << '"' << text << '"';
}

TEST(FrameRate, CaptureTimeOfAFrame) {
  EXPECT_DOUBLE_EQ(FrameMilliseconds(60, {60000, 1001}), 1001.0);
  EXPECT_DOUBLE_EQ(FrameMilliseconds(3, {25, 1}), 120.0);
}

}  // namespace

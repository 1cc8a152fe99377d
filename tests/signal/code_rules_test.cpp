// The code rules against values the standards publish: BT.709 and BT.2100
// codes at 8, 10 and 12 bits in both ranges, and round trips over every
// value of a depth.
#include <gtest/gtest.h>

#include "signal/CodeRules.h"

namespace veltrima::signal {
namespace {

struct DepthCase {
  Range range;
  int code10;
  int bits;
  std::uint32_t value;
  bool returns = true;  // whether the value comes back as the same 10-bit code
};

// Narrow: black, white and the chroma peak at 8 and 12 bits. Full:
// (2^n - 1) E' at 8 bits, one code lower than a shift from 171 up.
constexpr DepthCase kPublished[] = {
    {Range::Narrow, 64, 8, 16},     {Range::Narrow, 940, 8, 235},  {Range::Narrow, 960, 8, 240},
    {Range::Narrow, 64, 12, 256},   {Range::Narrow, 940, 12, 3760}, {Range::Full, 0, 8, 0},
    {Range::Full, 1023, 8, 255},    {Range::Full, 700, 8, 174, false}, {Range::Full, 800, 8, 199, false},
    {Range::Full, 1000, 8, 249, false},    {Range::Full, 1023, 12, 4095}, {Range::Full, 512, 16, 32800},
};

TEST(CodeRules, PublishedCodesAtOtherDepths) {
  for (const DepthCase& c : kPublished) {
    SCOPED_TRACE(::testing::Message() << (c.range == Range::Narrow ? "narrow " : "full ") << c.code10
                                      << " at " << c.bits << " bits");
    EXPECT_EQ(RoundedCodeAtDepth(c.range, c.code10, c.bits), c.value);
    EXPECT_NEAR(CodeAtDepth(c.range, c.code10, c.bits), c.value, 0.5);
    if (c.returns) {
      EXPECT_EQ(Code10FromDepth(c.range, c.value, c.bits), c.code10);
    }
  }
}

TEST(CodeRules, EveryValueOfADepthSurvivesTheRoundTrip) {
  for (Range range : {Range::Narrow, Range::Full}) {
    for (int bits : {1, 6, 8, 9, 10}) {
      for (std::uint32_t v = 0; v < (1u << bits); ++v)
        ASSERT_EQ(RoundedCodeAtDepth(range, Code10FromDepth(range, v, bits), bits), v)
            << v << " at " << bits << " bits";
    }
    for (int code = 0; code <= kMaxCode; ++code) {
      ASSERT_EQ(Code10FromDepth(range, RoundedCodeAtDepth(range, code, 12), 12), code);
      ASSERT_EQ(Code10FromDepth(range, static_cast<std::uint32_t>(code), 10), code);
    }
  }
}

TEST(CodeRules, OutOfRangeInputsClamp) {
  EXPECT_EQ(RoundedCodeAtDepth(Range::Narrow, 1023, 8), 255u);
  EXPECT_EQ(RoundedCodeAtDepth(Range::Full, -5, 8), 0u);
  EXPECT_EQ(RoundedCodeAtDepth(Range::Full, 5000, 8), 255u);
  EXPECT_EQ(Code10FromDepth(Range::Full, 999, 8), kMaxCode);
  EXPECT_EQ(Code10FromDepth(Range::Narrow, 70000, 16), kMaxCode);
  EXPECT_EQ(Code10FromDepth(Range::Full, 1, 0), Code10FromDepth(Range::Full, 1, 1));
}

TEST(CodeRules, EightBitStagesKeepTheirLattice) {
  // Narrow 8-bit codes are every fourth 10-bit code; full ones round(k 1023 / 255).
  EXPECT_EQ(ThroughEightBits(Range::Narrow, 941), 940);
  EXPECT_EQ(ThroughEightBits(Range::Narrow, 1023), 1020);
  EXPECT_EQ(ThroughEightBits(Range::Full, 1023), 1023);
  EXPECT_EQ(ThroughEightBits(Range::Full, 513), 514);
}

TEST(CodeRules, NarrowCodesShownInFullRange) {
  const struct {
    int narrow, full;
  } cases[] = {{64, 0}, {940, 1023}, {4, 0}, {1019, 1023}, {502, 512}, {48, 0}, {80, 19}};
  for (const auto& c : cases) EXPECT_EQ(NarrowToFull(c.narrow), c.full) << c.narrow;
}

TEST(CodeRules, LumaWeightsAreTheMatricesOwn) {
  for (Matrix m : {Matrix::Bt709, Matrix::Bt2020, Matrix::Bt601}) {
    const LumaWeights w = LumaWeightsOf(m);
    EXPECT_NEAR(w.red + w.green + w.blue, 1.0, 1e-12);
  }
  EXPECT_DOUBLE_EQ(LumaWeightsOf(MatrixOf(Transfer::Pq)).red, 0.2627);
  EXPECT_DOUBLE_EQ(LumaWeightsOf(MatrixOf(Transfer::Sdr)).blue, 0.0722);
}

}  // namespace
}  // namespace veltrima::signal

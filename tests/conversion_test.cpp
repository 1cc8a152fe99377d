// Stored values become frame values: rounding, clamping and flags, defined
// for every float including NaN, infinities and values far beyond the range.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "free/ParameterConversion.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

std::array<float, kParamCount> Defaults() {
  std::array<float, kParamCount> values{};
  for (std::size_t i = 0; i < kParamCount; ++i)
    values[i] = ParameterDefinitions()[i].defaultValue;
  return values;
}

FrameParameters With(ParamIndex index, float value) {
  auto values = Defaults();
  values[index] = value;
  return ConvertParameters(values);
}

TEST(Conversion, IntegersRoundHalfAwayThenClamp) {
  const struct {
    ParamIndex index;
    float sent;
    int used;
  } cases[] = {
      {kParamPanelWidth, 600.0f, 512},   {kParamPanelWidth, 16.5f, 17},
      {kParamPanelWidth, 16.4f, 16},     {kParamPanelWidth, 3.0f, 16},
      {kParamPanelWidth, 1e30f, 512},    {kParamPanelWidth, -1e30f, 16},
      {kParamPanelWidth, kInf, 512},     {kParamPanelWidth, -kInf, 16},
      {kParamPanelWidth, kNaN, 16},      {kParamPanelWidth, 4294967296.0f, 512},
      {kParamPanelHeight, 207.5f, 208},  {kParamPanelHeight, 2147483648.0f, 512},
      {kParamOffsetX, -0.5f, 0},         {kParamOffsetX, 2047.5f, 2048},
      {kParamOffsetY, 1e30f, 2048},      {kParamOffsetY, kNaN, 0},
      {kParamLineWidth, 0.0f, 1},        {kParamLineWidth, 16.49f, 16},
      {kParamLineWidth, 2.5f, 3},        {kParamLineWidth, kNaN, 1},
  };
  for (const auto& c : cases) {
    const FrameParameters p = With(c.index, c.sent);
    const int used = c.index == kParamPanelWidth    ? p.panelWidth
                     : c.index == kParamPanelHeight ? p.panelHeight
                     : c.index == kParamOffsetX     ? p.offsetX
                     : c.index == kParamOffsetY     ? p.offsetY
                                                    : p.lineWidth;
    EXPECT_EQ(used, c.used) << "parameter " << c.index << " sent " << c.sent;
  }
}

TEST(Conversion, PatternAndPanelLabel) {
  EXPECT_EQ(With(kParamPattern, 2.5f).pattern, 3);
  EXPECT_EQ(With(kParamPattern, 9.0f).pattern, 6);
  EXPECT_EQ(With(kParamPattern, -2.0f).pattern, 0);
  EXPECT_EQ(With(kParamPattern, 1e30f).pattern, 6);
  EXPECT_EQ(With(kParamPattern, kNaN).pattern, 0);
  // The label mode is rounded but not clamped: anything but 0 is the index mode.
  EXPECT_EQ(With(kParamPanelLabel, 1.6f).labelMode, 2);
  EXPECT_EQ(With(kParamPanelLabel, -1.0f).labelMode, -1);
  EXPECT_EQ(With(kParamPanelLabel, kNaN).labelMode, 0);
  EXPECT_EQ(With(kParamPanelLabel, 1e30f).labelMode, std::numeric_limits<int>::max());
  EXPECT_EQ(With(kParamPanelLabel, -kInf).labelMode, std::numeric_limits<int>::min());
  // The edges of the 32-bit range, where a 32-bit long (Windows) has no room
  // to spare: the largest floats inside it round to themselves, 2^31 and
  // beyond saturate.
  EXPECT_EQ(With(kParamPanelLabel, 2147483520.0f).labelMode, 2147483520);
  EXPECT_EQ(With(kParamPanelLabel, -2147483520.0f).labelMode, -2147483520);
  EXPECT_EQ(With(kParamPanelLabel, 2147483648.0f).labelMode, std::numeric_limits<int>::max());
  EXPECT_EQ(With(kParamPanelLabel, -2147483648.0f).labelMode, std::numeric_limits<int>::min());
}

TEST(Conversion, SolidColourChoosesFixedColourOrCycle) {
  const struct {
    float sent;
    int index;  // -1 cycles
  } cases[] = {{0.49f, -1}, {0.5f, 0}, {1.0f, 0}, {2.0f, 1},  {3.0f, 2},  {4.0f, 3},
               {5.0f, 4},   {7.0f, 4}, {1e30f, 4}, {-3.0f, -1}, {kNaN, -1}, {-kInf, -1}};
  for (const auto& c : cases)
    EXPECT_EQ(With(kParamSolidColour, c.sent).solidIndex, c.index) << "sent " << c.sent;
}

TEST(Conversion, FlagsAreOnAboveOneHalf) {
  EXPECT_FALSE(With(kParamShowResolution, 0.5f).showResolution);
  EXPECT_TRUE(With(kParamShowResolution, 0.51f).showResolution);
  EXPECT_FALSE(With(kParamMovingElement, kNaN).moving);
  EXPECT_TRUE(With(kParamMovingElement, kInf).moving);
  EXPECT_FALSE(With(kParamBackground, -kInf).transparent);
  EXPECT_TRUE(With(kParamBackground, 1.0f).transparent);
  EXPECT_TRUE(With(kParamCredit, 0.75f).credit);
  EXPECT_FALSE(With(kParamCredit, 0.0f).credit);
}

TEST(Conversion, FractionsClampToUnitRange) {
  EXPECT_EQ(With(kParamBrightness, 1.7f).brightness, 1.0f);
  EXPECT_EQ(With(kParamBrightness, -0.3f).brightness, 0.0f);
  EXPECT_EQ(With(kParamBrightness, 0.25f).brightness, 0.25f);
  EXPECT_EQ(With(kParamBrightness, kNaN).brightness, 0.0f);
  EXPECT_EQ(With(kParamNumberSize, kInf).numberSize, 1.0f);
  EXPECT_EQ(With(kParamNumberSize, std::numeric_limits<float>::denorm_min()).numberSize,
            std::numeric_limits<float>::denorm_min());
  EXPECT_EQ(With(kParamSpeed, kNaN).speed, 0.0f);
  EXPECT_EQ(With(kParamSpeed, -kInf).speed, 0.0f);
}

TEST(Conversion, DefaultsGiveTheDocumentedFrame) {
  const FrameParameters p = ConvertParameters(Defaults());
  EXPECT_EQ(p.pattern, 0);
  EXPECT_EQ(p.panelWidth, 128);
  EXPECT_EQ(p.panelHeight, 128);
  EXPECT_EQ(p.lineWidth, 1);
  EXPECT_EQ(p.solidIndex, -1);
  EXPECT_TRUE(p.moving);
  EXPECT_TRUE(p.showResolution);
  EXPECT_FALSE(p.transparent);
  EXPECT_FALSE(p.credit);
  EXPECT_EQ(p.brightness, 1.0f);
  EXPECT_EQ(p.numberSize, 0.5f);
  EXPECT_EQ(p.speed, 0.5f);
}

TEST(Conversion, PresetNumbers) {
  EXPECT_EQ(PresetNumber(12.0f), 9);
  EXPECT_EQ(PresetNumber(-3.0f), 0);
  EXPECT_EQ(PresetNumber(4.5f), 5);
  EXPECT_EQ(PresetNumber(4.49f), 4);
  EXPECT_EQ(PresetNumber(kNaN), 0);
  EXPECT_EQ(PresetNumber(kInf), 9);
}

}  // namespace

// The frame clock stepped through a substituted steady-clock reader, and the
// moving values computed from given accumulator values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "free/FrameClock.h"
#include "clock/SteadyClock.h"
#include "clock/SteppedClock.h"

namespace {

constexpr std::int64_t kSecond = 1000000000;
// A power-of-two fraction of a second, so every step and every rate product
// with whole-number rates is exact in double precision.
constexpr std::int64_t kStep64th = kSecond / 64;

class FrameClockTest : public ::testing::Test {
 protected:
  SteppedClock clock_;
};

TEST_F(FrameClockTest, ReaderSeamAndRestore) {
  clock_.Set(42);
  EXPECT_EQ(ReadSteadyClock(), 42);
  SetSteadyClockReader(nullptr);
  const std::int64_t a = ReadSteadyClock();
  const std::int64_t b = ReadSteadyClock();
  EXPECT_NE(a, 42);
  EXPECT_LE(a, b);
}

TEST_F(FrameClockTest, OneSecondOfFramesAtEachSpeed) {
  const float kNaN = std::numeric_limits<float>::quiet_NaN();
  // Speeds outside 0..1 and NaN behave like the nearest end (NaN like 0).
  const struct {
    float speed;
    double a, b, c;
  } cases[] = {
      {0.0f, 30, 100, 0.1},   {0.5f, 270, 500, 0.5},  {1.0f, 990, 1700, 0.9},
      {3.0f, 990, 1700, 0.9}, {-1.0f, 30, 100, 0.1}, {kNaN, 30, 100, 0.1},
  };
  for (const auto& c : cases) {
    clock_.Set(123 * kSecond);  // the first reading is arbitrary: it only starts the clock
    FrameClock clock;
    clock.Advance(c.speed);
    EXPECT_EQ(clock.Sweep(), 0.0);
    for (int i = 0; i < 64; ++i) {
      clock_.Advance(kStep64th);
      clock.Advance(c.speed);
    }
    EXPECT_DOUBLE_EQ(clock.Sweep(), c.a) << "speed " << c.speed;
    EXPECT_DOUBLE_EQ(clock.Motion(), c.b) << "speed " << c.speed;
    // The colour rates are not binary fractions; 64 sums stay within 1e-12.
    EXPECT_NEAR(clock.ColourCycle(), c.c, 1e-12) << "speed " << c.speed;
  }
}

TEST_F(FrameClockTest, StepIsCappedAndNeverNegative) {
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  const struct {
    std::int64_t first, second;
    double sweep;  // at speed 0.5: 270 px/s, at most 0.05 s
  } cases[] = {
      {0, kSecond / 100, 2.7},
      {0, FrameClock::kMaxStepNanoseconds, 13.5},
      {0, FrameClock::kMaxStepNanoseconds + 1, 13.5},
      {0, 2 * kSecond, 13.5},
      {kMin, kMax, 13.5},  // the difference overflows int64
      {5 * kSecond, 4 * kSecond, 0.0},
      {kMax, kMin, 0.0},
  };
  for (const auto& c : cases) {
    FrameClock clock;
    clock_.Set(c.first);
    clock.Advance(0.5f);
    clock_.Set(c.second);
    clock.Advance(0.5f);
    EXPECT_DOUBLE_EQ(clock.Sweep(), c.sweep) << c.first << " -> " << c.second;
  }
  // After a long gap the animation resumes from where it stopped.
  FrameClock clock;
  clock.Advance(0.5f);
  clock_.Advance(3600 * kSecond);
  clock.Advance(0.5f);
  clock_.Advance(FrameClock::kMaxStepNanoseconds);
  clock.Advance(0.5f);
  EXPECT_DOUBLE_EQ(clock.Motion(), 50.0);
}

TEST_F(FrameClockTest, AccumulatorsAbove1e9RestartAtZero) {
  // The clock starts from near the wrap; one capped step at speed 1 adds
  // A 49.5, B 85, C 0.045.
  const struct {
    double a, b, c;        // start
    double ea, eb, ec;     // after one 0.05 s step
  } cases[] = {
      {1e9 - 10, 0, 0, 0, 85, 0.045},
      {0, 1e9 - 10, 0, 49.5, 0, 0.045},
      {0, 0, 1e9 - 0.01, 49.5, 85, 0},
      {1e9 - 49.5, 1e9 - 85, 0, 1e9, 1e9, 0.045},  // exactly 1e9 stays
  };
  for (const auto& c : cases) {
    FrameClock clock(c.a, c.b, c.c);
    clock.Advance(1.0f);
    clock_.Advance(kSecond);
    clock.Advance(1.0f);
    EXPECT_DOUBLE_EQ(clock.Sweep(), c.ea);
    EXPECT_DOUBLE_EQ(clock.Motion(), c.eb);
    EXPECT_NEAR(clock.ColourCycle(), c.ec, 1e-12);
  }
  // On the frame B wraps the ball is back at its start.
  FrameClock clock(0, 1e9 - 1, 0);
  clock.Advance(1.0f);
  EXPECT_NE(clock.Values(1920, 1080).ballX, 108.0f);
  clock_.Advance(kSecond);
  clock.Advance(1.0f);
  EXPECT_EQ(clock.Values(1920, 1080).ballX, 108.0f);
  EXPECT_EQ(clock.Values(1920, 1080).ballY, 108.0f);
}

TEST_F(FrameClockTest, CyclingColourPeriodFollowsSpeed) {
  const struct {
    float speed;
    double period;  // seconds per colour: 1 / (0.1 + 0.8 s)
  } cases[] = {{0.0f, 10.0}, {0.5f, 2.0}, {1.0f, 1.0 / 0.9}};
  for (const auto& c : cases) {
    FrameClock clock;
    clock.Advance(c.speed);
    EXPECT_EQ(clock.Values(64, 64).cycleSolidIndex, 0);
    const int steps = static_cast<int>(6 * c.period * 64);  // past one full round of 5
    for (int i = 1; i <= steps; ++i) {
      clock_.Advance(kStep64th);
      clock.Advance(c.speed);
      const double t = i / 64.0;
      const double phase = t / c.period;
      // Skip frames within rounding reach of a change.
      if (std::fabs(phase - std::round(phase)) < 0.01) continue;
      const int expected = static_cast<int>(std::floor(phase)) % 5;
      ASSERT_EQ(clock.Values(64, 64).cycleSolidIndex, expected)
          << "speed " << c.speed << " at " << t << " s";
    }
  }
}

TEST_F(FrameClockTest, FirstFrameValues) {
  FrameClock clock;
  clock.Advance(0.5f);
  const struct {
    int w, h;
    float ball, radius;
    int barW, barX;
  } cases[] = {
      {1920, 1080, 108.0f, 108.0f, 12, 710},
      {100, 60, 6.0f, 6.0f, 4, 37},
      {5, 5, 4.0f, 4.0f, 4, 0},
      {1, 1, 4.0f, 4.0f, 4, 0},
      {90, 90, 9.5f, 9.0f, 4, 33},   // odd radius: centre on a pixel centre
      {200, 90, 9.5f, 9.0f, 4, 74},
  };
  for (const auto& c : cases) {
    const AnimationValues v = clock.Values(c.w, c.h);
    SCOPED_TRACE(::testing::Message() << c.w << "x" << c.h);
    EXPECT_EQ(v.sweepX, 0);
    EXPECT_EQ(v.sweepY, 0);
    EXPECT_EQ(v.sweepPassX, 0);
    EXPECT_EQ(v.sweepPassY, 0);
    EXPECT_EQ(v.cycleSolidIndex, 0);
    EXPECT_EQ(v.ballX, c.ball);
    EXPECT_EQ(v.ballY, c.ball);
    EXPECT_EQ(v.ballRadius, c.radius);
    EXPECT_EQ(v.barWidth, c.barW);
    EXPECT_EQ(v.barX, c.barX);
  }
}

TEST(ComputeAnimation, ValuesFromAccumulators) {
  const struct {
    double a, b, c;
    int w, h;
    int sweepX, sweepY, passX, passY, solid;
    float ballX, ballY;
    int barX;
  } cases[] = {
      {2000, 1000, 0, 1920, 1080, 80, 920, 1, 1, 0, 1108, 818, 1805},
      {7679.5, 3000, 7.3, 1920, 1080, 1919, 119, 3, 3, 2, 516, 510, 794},
      // B = ax: the ball at its right end.
      {0, 1704, 4.999, 1920, 1080, 0, 0, 0, 0, 4, 1812, 626, 890},
      {1e9, 1e9, 1e9, 1920, 1080, 640, 1000, 1, 1, 0, 892, 748, 174},
      {0, 12345.6, 5.0, 1280, 720, 0, 0, 0, 0, 0, 1057, 522, 1258},
      {0, 250, 0, 100, 60, 0, 0, 0, 0, 0, 80, 20, 22},
      {0, 77.7, 0, 90, 90, 0, 0, 0, 0, 0, 75.5f, 64.5f, 37},
      // Just below whole pixels: rounding to single precision before the
      // floor lifts both to 1000 and 710 (double precision would give 1107, 817).
      {0, 999.999999, 0, 1920, 1080, 0, 0, 0, 0, 0, 1108, 818, 1805},
  };
  for (const auto& c : cases) {
    const AnimationValues v = ComputeAnimation(c.a, c.b, c.c, c.w, c.h);
    SCOPED_TRACE(::testing::Message() << "A " << c.a << " B " << c.b << " C " << c.c << " at "
                                      << c.w << "x" << c.h);
    EXPECT_EQ(v.sweepX, c.sweepX);
    EXPECT_EQ(v.sweepY, c.sweepY);
    EXPECT_EQ(v.sweepPassX, c.passX);
    EXPECT_EQ(v.sweepPassY, c.passY);
    EXPECT_EQ(v.cycleSolidIndex, c.solid);
    EXPECT_EQ(v.ballX, c.ballX);
    EXPECT_EQ(v.ballY, c.ballY);
    EXPECT_EQ(v.barX, c.barX);
  }
}

TEST(ComputeAnimation, BallAndBarStayInRange) {
  // 1920x1080: centre 108..1812 across, 108..972 down; bar 0..1908.
  float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
  int minBar = 1 << 30, maxBar = -1;
  for (int i = 0; i < 40000; ++i) {
    const AnimationValues v = ComputeAnimation(0, i * 0.5, 0, 1920, 1080);
    minX = std::min(minX, v.ballX), maxX = std::max(maxX, v.ballX);
    minY = std::min(minY, v.ballY), maxY = std::max(maxY, v.ballY);
    minBar = std::min(minBar, v.barX), maxBar = std::max(maxBar, v.barX);
  }
  EXPECT_EQ(minX, 108.0f);
  EXPECT_EQ(maxX, 1812.0f);
  EXPECT_EQ(minY, 108.0f);
  EXPECT_GE(maxY, 971.0f);
  EXPECT_LE(maxY, 972.0f);
  EXPECT_EQ(minBar, 0);
  EXPECT_GE(maxBar, 1907);
  EXPECT_LE(maxBar, 1908);
}

TEST(ComputeAnimation, DefinedForAnyInput) {
  const double kInf = std::numeric_limits<double>::infinity();
  const double kNaN = std::numeric_limits<double>::quiet_NaN();
  for (double x : {kNaN, kInf, -kInf, 1e300, -1e300, 4e18}) {
    const AnimationValues v = ComputeAnimation(x, x, x, 1920, 1080);
    SCOPED_TRACE(x);
    EXPECT_GE(v.sweepX, -1919);
    EXPECT_LE(v.sweepX, 1919);
    EXPECT_GE(v.sweepPassX, -3);
    EXPECT_LE(v.sweepPassX, 3);
    EXPECT_GE(v.cycleSolidIndex, -4);
    EXPECT_LE(v.cycleSolidIndex, 4);
    EXPECT_EQ(v.barWidth, 12);
  }
  // Sizes below 1 count as 1; the largest sizes do not overflow.
  const AnimationValues zero = ComputeAnimation(100, 100, 0, 0, -5);
  const AnimationValues one = ComputeAnimation(100, 100, 0, 1, 1);
  EXPECT_EQ(zero.ballX, one.ballX);
  EXPECT_EQ(zero.barX, one.barX);
  EXPECT_EQ(zero.sweepX, 0);
  const int kMax = std::numeric_limits<int>::max();
  const AnimationValues huge = ComputeAnimation(0, 0, 0, kMax, kMax);
  EXPECT_EQ(huge.ballRadius, static_cast<float>(kMax / 10));
  EXPECT_EQ(huge.barWidth, kMax / 160);
}

}  // namespace

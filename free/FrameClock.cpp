#include "free/FrameClock.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "clock/SteadyClock.h"

namespace {

constexpr double kWrapLimit = 1e9;

// Truncates toward zero like a cast, but saturates at the int range and maps
// NaN to 0, so no double can make the conversion undefined.
int TruncToInt(double value) {
  if (std::isnan(value)) return 0;
  // Both bounds are exactly representable as doubles.
  constexpr double kUpper = 2147483648.0;   // 2^31
  constexpr double kLower = -2147483649.0;  // one below INT_MIN
  if (value >= kUpper) return std::numeric_limits<int>::max();
  if (value <= kLower) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

// int(value) mod 4 with the sign of the dividend, computed on the truncated
// double so that quotients beyond the int range still give their true
// remainder rather than a saturated one.
int TruncMod4(double value) {
  if (!std::isfinite(value)) return 0;
  return static_cast<int>(std::fmod(std::trunc(value), 4.0));
}

// A triangle wave from 0 up to `range` and back, driven by `distance`.
double Triangle(double distance, double range) {
  return range - std::fabs(std::fmod(distance, 2.0 * range) - range);
}

double WrapAbove(double value) { return value > kWrapLimit ? 0.0 : value; }

}  // namespace

AnimationValues ComputeAnimation(double sweep, double motion, double colourCycle, int width,
                                 int height) {
  const int w = std::max(width, 1);
  const int h = std::max(height, 1);
  const double wd = w;
  const double hd = h;
  AnimationValues v;

  v.sweepX = TruncToInt(std::fmod(sweep, wd));
  v.sweepY = TruncToInt(std::fmod(sweep, hd));
  v.sweepPassX = TruncMod4(sweep / wd);
  v.sweepPassY = TruncMod4(sweep / hd);

  v.cycleSolidIndex = TruncToInt(std::fmod(colourCycle, 5.0));

  // With w, h >= 1 the radius is at most max(w, h) / 10 or 4, so 2 * radius
  // and the differences below cannot overflow.
  const int radius = std::max(std::min(w, h) / 10, 4);
  v.ballRadius = static_cast<float>(radius);
  const double ax = std::max(1, w - 2 * radius);
  const double ay = std::max(1, h - 2 * radius);
  const double tx = Triangle(motion, ax);
  const double ty = Triangle(0.71 * motion, ay);
  // An odd radius puts the centre on a pixel centre so the disc is symmetric.
  const float half = radius % 2 != 0 ? 0.5f : 0.0f;
  const float r = static_cast<float>(radius);
  v.ballX = std::floor(static_cast<float>(tx) + r) + half;
  v.ballY = std::floor(static_cast<float>(ty) + r) + half;

  v.barWidth = std::max(w / 160, 4);
  const double bx = std::max(1, w - v.barWidth);
  v.barX = TruncToInt(Triangle(1.3 * motion + 0.37 * wd, bx));
  return v;
}

void FrameClock::Advance(float speed) {
  const std::int64_t now = ReadSteadyClock();
  if (!started_) {
    last_ = now;
    started_ = true;
  }
  // The difference of two int64 readings can exceed int64, so it is taken in
  // unsigned arithmetic. A reader that steps backwards (only a substituted
  // one can) counts as no time passing.
  double dt = 0.0;
  if (now > last_) {
    const std::uint64_t ns = static_cast<std::uint64_t>(now) - static_cast<std::uint64_t>(last_);
    dt = std::min(static_cast<double>(ns) / 1e9, FrameClock::kMaxStepSeconds);
  }
  last_ = now;

  double s = std::isnan(speed) ? 0.0 : static_cast<double>(speed);
  s = std::clamp(s, 0.0, 1.0);
  sweep_ = WrapAbove(sweep_ + dt * (30.0 + 960.0 * s * s));
  motion_ = WrapAbove(motion_ + dt * (100.0 + 1600.0 * s * s));
  cycle_ = WrapAbove(cycle_ + dt * (0.1 + 0.8 * s));
}

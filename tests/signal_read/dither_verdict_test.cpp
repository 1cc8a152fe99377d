// The dither test on grey steps made here: 256 pixels for every fifth code,
// spread over the 8-bit lattice (or not) by simple rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "tools/signal-read/DitherVerdict.h"

namespace {

constexpr int kFirst = 16, kLast = 1007, kPixels = 256;

// A 10-bit code's lattice values below and above, by bit replication.
double Replicated(int e) { return e << 2 | e >> 6; }
double Scaled(int e) { return std::round(e * 1023.0 / 255.0); }

// Pixel i of the step of code c.
using Pixel = std::function<double(int c, int i)>;

// The upper lattice value on the share of pixels that keeps the code, that
// share moved by `bias`.

Pixel Dithered(double (*up)(int), double bias) {
  return [up, bias](int c, int i) {
    int e = 0;
    while (e < 254 && up(e + 1) <= c) ++e;
    const double low = up(e), high = up(e + 1);
    const double share = std::clamp((c - low) / (high - low) + bias, 0.0, 1.0);
    return i < std::lround(share * kPixels) ? high : low;
  };
}

struct Case {
  const char* what;
  Pixel pixel;
  bool dithered;
  double minBits, maxBits;
};

const Case kCases[] = {
    {"intact 10 bits", [](int c, int) { return double(c); }, false, 0, 10},
    {"an 8-bit cut, one value a column", [](int c, int) { return Replicated(c >> 2); }, false, 7, 8.5},
    {"ordered dither, replicated back", Dithered(Replicated, 0), true, 9.5, 10},
    {"ordered dither, scaled back", Dithered(Scaled, 0), true, 9.5, 10},
    {"a dither whose means miss by a quarter step", Dithered(Replicated, 0.25), false, 0, 9.5},
    {"noise of a code around the code", [](int c, int i) { return c + (i % 3) - 1.0; }, false, 0, 10},
    {"two values a step off the lattice", [](int c, int i) { return c + (i & 1) * 2.0 - 1; }, false, 0, 10},
};

TEST(DitherVerdict, TellsDitherFromCutsAndNoise) {
  for (const Case& k : kCases) {
    std::vector<StepMeasure> steps;
    for (int c = kFirst; c <= kLast; c += 5) {
      StepMeasure step;
      step.sent = c;
      for (int i = 0; i < kPixels; ++i) step.pixels.push_back(k.pixel(c, i));
      steps.push_back(step);
    }
    const DitherReading d = ReadDither(steps, kFirst, kLast);
    EXPECT_EQ(d.dithered, k.dithered) << k.what << ": on lattice " << d.onLattice << ", two-valued "
                                      << d.twoValued << ", mean RMS " << d.meanRms;
    EXPECT_GE(d.effectiveBits, k.minBits) << k.what;
    EXPECT_LE(d.effectiveBits, k.maxBits) << k.what;
  }
}

TEST(DitherVerdict, RefusesStepsItCannotRead) {
  StepMeasure unread;
  unread.sent = 98;
  EXPECT_FALSE(ReadDither({}, kFirst, kLast).dithered);
  EXPECT_FALSE(ReadDither({unread}, kFirst, kLast).dithered);
  EXPECT_FALSE(ReadDither({unread}, kLast, kFirst).dithered);
}

}  // namespace

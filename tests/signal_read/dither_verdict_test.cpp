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
double DitheredPixel(double (*up)(int), double bias, int c, int i) {
  int e = 0;
  while (e < 254 && up(e + 1) <= c) ++e;
  const double low = up(e), high = up(e + 1);
  const double share = std::clamp((c - low) / (high - low) + bias, 0.0, 1.0);
  return i < std::lround(share * kPixels) ? high : low;
}

Pixel Dithered(double (*up)(int), double bias) {
  return [up, bias](int c, int i) { return DitheredPixel(up, bias, c, i); };
}

std::vector<StepMeasure> StepsOf(const Pixel& pixel) {
  std::vector<StepMeasure> steps;
  for (int c = kFirst; c <= kLast; c += 5) {
    StepMeasure step;
    step.sent = c;
    for (int i = 0; i < kPixels; ++i) step.pixels.push_back(pixel(c, i));
    steps.push_back(step);
  }
  return steps;
}

struct Case {
  const char* what;
  Pixel pixel;
  bool dithered;
  double minBits, maxBits;
  bool spreads;  // over the lattice, whatever the means
};

const Case kCases[] = {
    {"intact 10 bits", [](int c, int) { return double(c); }, false, 0, 10, false},
    {"an 8-bit cut, one value a column", [](int c, int) { return Replicated(c >> 2); }, false, 7, 8.5, false},
    {"ordered dither, replicated back", Dithered(Replicated, 0), true, 9.5, 10, true},
    {"ordered dither, scaled back", Dithered(Scaled, 0), true, 9.5, 10, true},
    {"a dither whose means miss by a quarter step", Dithered(Replicated, 0.25), false, 0, 9.5, true},
    {"ordered dither after a clip at code 300",
     [](int c, int i) { return DitheredPixel(Replicated, 0, std::max(c, 300), i); }, false, 0, 10, true},
    {"noise of a code around the code", [](int c, int i) { return c + (i % 3) - 1.0; }, false, 0, 10, false},
    {"two values a step off the lattice", [](int c, int i) { return c + (i & 1) * 2.0 - 1; }, false, 0, 10, false},
};

TEST(DitherVerdict, TellsDitherFromCutsAndNoise) {
  for (const Case& k : kCases) {
    const std::vector<StepMeasure> steps = StepsOf(k.pixel);
    const DitherReading d = ReadDither(steps, kFirst, kLast);
    EXPECT_EQ(d.dithered, k.dithered) << k.what << ": on lattice " << d.onLattice << ", two-valued "
                                      << d.twoValued << ", mean RMS " << d.meanRms;
    EXPECT_GE(d.effectiveBits, k.minBits) << k.what;
    EXPECT_LE(d.effectiveBits, k.maxBits) << k.what;
    EXPECT_EQ(SpreadsOverLattice(steps), k.spreads) << k.what;
  }
}

// Pixel i of the step of code c in frame f of a sequence.
using FramePixel = std::function<double(int c, int i, int f)>;

// A replicated-lattice dither whose pattern moves `shift` pixels a frame,
// its share moved by `firstBias` in the first frame and `laterBias` after.
FramePixel Moving(int shift, double firstBias, double laterBias) {
  return [=](int c, int i, int f) {
    return DitheredPixel(Replicated, f == 0 ? firstBias : laterBias, c, (i + shift * f) % kPixels);
  };
}

constexpr int kFrames = 5;

std::vector<StepMeasure> StepsOfFrame(const FramePixel& pixel, int f) {
  return StepsOf([&](int c, int i) { return pixel(c, i, f); });
}

struct SequenceCase {
  const char* what;
  FramePixel pixel;
  bool temporal;
};

const SequenceCase kSequences[] = {
    {"a still pattern is spatial", Moving(0, 0, 0), false},
    {"a pattern moving every frame", Moving(37, 0, 0), true},
    {"a frame whose means miss, made up by the others", Moving(37, 0.25, -0.25 / (kFrames - 1)), true},
    {"a moving pattern whose means miss in every frame", Moving(37, 0.25, 0.25), false},
    {"noise of a code moving around the code", [](int c, int i, int f) { return c + (i + f) % 3 - 1.0; }, false},
};

TEST(DitherVerdict, TellsAPatternThatMovesFromOneThatStays) {
  for (const SequenceCase& k : kSequences) {
    const std::vector<StepMeasure> first = StepsOfFrame(k.pixel, 0);
    std::vector<std::vector<StepMeasure>> later;
    for (int f = 1; f < kFrames; ++f) later.push_back(StepsOfFrame(k.pixel, f));
    const TemporalDither t = ReadTemporalDither(first, later, kFirst, kLast);
    EXPECT_EQ(t.temporal, k.temporal) << k.what << ": moved " << t.moved << ", pooled mean RMS " << t.pooled.meanRms;
    if (t.temporal) {
      EXPECT_GE(t.pooled.effectiveBits, 9.5) << k.what;
    }
  }
}

TEST(DitherVerdict, RefusesStepsItCannotRead) {
  StepMeasure unread;
  unread.sent = 98;
  EXPECT_FALSE(ReadDither({}, kFirst, kLast).dithered);
  EXPECT_FALSE(ReadDither({unread}, kFirst, kLast).dithered);
  EXPECT_FALSE(ReadDither({unread}, kLast, kFirst).dithered);
  // Later frames laid out otherwise, or none, have no pixels to follow.
  const std::vector<StepMeasure> first = StepsOfFrame(Moving(37, 0, 0), 0);
  EXPECT_FALSE(ReadTemporalDither(first, {}, kFirst, kLast).temporal);
  EXPECT_FALSE(ReadTemporalDither(first, {{unread}, {}}, kFirst, kLast).temporal);
}

}  // namespace

// The dither test on ramps made here: 32 pixels for each code, spread over
// the 8-bit lattice (or not) by simple rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "tools/signal-read/DitherVerdict.h"

namespace {

constexpr int kFirst = 16, kLast = 1007, kRows = 32;

// A 10-bit code's lattice values below and above, by bit replication.
double Replicated(int e) { return e << 2 | e >> 6; }
double Scaled(int e) { return std::round(e * 1023.0 / 255.0); }

// Row `row` of code c: the upper lattice value on `high` of the 32 rows.
using Pixel = std::function<double(int c, int row)>;

Pixel Dithered(double (*up)(int), double bias) {
  return [up, bias](int c, int row) {
    int e = 0;
    while (e < 254 && up(e + 1) <= c) ++e;
    const double low = up(e), high = up(e + 1);
    const double share = std::clamp((c - low) / (high - low) + bias, 0.0, 1.0);
    return row < std::lround(share * kRows) ? high : low;
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
    {"a dither whose means miss by half a step", Dithered(Replicated, 0.5), false, 0, 9.5},
    {"noise of a code around the code", [](int c, int row) { return c + (row % 3) - 1.0; }, false, 0, 10},
    {"two values a column off the lattice", [](int c, int row) { return c + (row & 1) * 2.0 - 1; }, false, 0, 10},
};

TEST(DitherVerdict, TellsDitherFromCutsAndNoise) {
  for (const Case& k : kCases) {
    std::vector<std::vector<double>> pixels(1024);
    for (int c = kFirst; c <= kLast; ++c)
      for (int row = 0; row < kRows; ++row) pixels[static_cast<std::size_t>(c)].push_back(k.pixel(c, row));
    const DitherReading d = ReadDither(pixels, kFirst, kLast);
    EXPECT_EQ(d.dithered, k.dithered) << k.what << ": on lattice " << d.onLattice << ", two-valued "
                                      << d.twoValued << ", mean RMS " << d.meanRms;
    EXPECT_GE(d.effectiveBits, k.minBits) << k.what;
    EXPECT_LE(d.effectiveBits, k.maxBits) << k.what;
  }
}

TEST(DitherVerdict, RefusesRampsItCannotRead) {
  const std::vector<std::vector<double>> empty(1024);
  EXPECT_FALSE(ReadDither(empty, kFirst, kLast).dithered);
  EXPECT_FALSE(ReadDither({}, kFirst, kLast).dithered);
  EXPECT_FALSE(ReadDither(empty, kLast, kFirst).dithered);
}

}  // namespace

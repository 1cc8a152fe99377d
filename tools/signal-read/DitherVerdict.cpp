#include "tools/signal-read/DitherVerdict.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>

#include "signal/CodeRules.h"

namespace {

namespace sig = veltrima::signal;

constexpr double kOnLattice = 0.98, kTwoValued = 0.5, kMeanRms = 0.5;

using Lattice = std::array<double, 256>;

// The 8-bit codes as 10-bit codes, by each usual way back up.
std::array<Lattice, 3> Lattices() {
  std::array<Lattice, 3> lattices{};
  for (int e = 0; e < 256; ++e) {
    const auto index = static_cast<std::size_t>(e);
    lattices[0][index] = sig::Code10FromDepth(sig::Range::Narrow, static_cast<std::uint32_t>(e), 8);
    lattices[1][index] = e << 2 | e >> 6;
    lattices[2][index] = sig::Code10FromDepth(sig::Range::Full, static_cast<std::uint32_t>(e), 8);
  }
  return lattices;
}

// The lattice value nearest v.
double Nearest(const Lattice& lattice, double v) {
  const auto above = std::lower_bound(lattice.begin(), lattice.end(), v);
  if (above == lattice.begin()) return *above;
  if (above == lattice.end()) return lattice.back();
  return v - *(above - 1) <= *above - v ? *(above - 1) : *above;
}

DitherReading ReadOn(const Lattice& lattice, const std::vector<std::vector<double>>& pixels, int first, int last) {
  DitherReading reading;
  double pixelCount = 0, onLattice = 0, offColumns = 0, twoValued = 0, squares = 0, columns = 0;
  for (int c = first; c <= last; ++c) {
    const std::vector<double>& column = pixels[static_cast<std::size_t>(c)];
    if (column.empty()) continue;
    // One lattice step either side of the code: the two values a dither
    // between them uses, or three where the code is a lattice value.
    const double nearest = Nearest(lattice, c);
    const double step = 4.02;
    double sum = 0, low = 1e9, high = -1e9;
    for (const double v : column) {
      const double on = Nearest(lattice, v);
      if (std::abs(v - on) <= 0.5 && std::abs(on - c) <= step) ++onLattice;
      low = std::min(low, on);
      high = std::max(high, on);
      sum += v;
    }
    pixelCount += static_cast<double>(column.size());
    if (std::abs(nearest - c) > 0.5) {
      ++offColumns;
      twoValued += high > low;
    }
    const double mean = sum / static_cast<double>(column.size());
    squares += (mean - c) * (mean - c);
    ++columns;
  }
  if (columns == 0 || offColumns == 0) return reading;
  reading.onLattice = onLattice / pixelCount;
  reading.twoValued = twoValued / offColumns;
  reading.meanRms = std::sqrt(squares / columns);
  reading.effectiveBits = std::min(10.0, 10 - std::log2(std::max(1.0, reading.meanRms * std::sqrt(12.0))));
  reading.dithered = reading.onLattice >= kOnLattice && reading.twoValued >= kTwoValued && reading.meanRms <= kMeanRms;
  return reading;
}

}  // namespace

DitherReading ReadDither(const std::vector<std::vector<double>>& pixels, int first, int last) {
  DitherReading best;
  if (first < 0 || last >= static_cast<int>(pixels.size()) || first > last) return best;
  static const std::array<Lattice, 3> lattices = Lattices();
  for (const Lattice& lattice : lattices) {
    const DitherReading reading = ReadOn(lattice, pixels, first, last);
    if (reading.dithered > best.dithered || (reading.dithered == best.dithered && reading.onLattice > best.onLattice))
      best = reading;
  }
  return best;
}

bool CheckDither(const ChainReading& r, int first, int last, GreyVerdict& v) {
  const DitherReading d = ReadDither(r.rampPixels, first, last);
  if (!d.dithered) return false;
  v.bits = 8;
  Fault f;
  f.name = "eight-bit";
  f.confidence = d.onLattice;
  char text[240];
  std::snprintf(text, sizeof text,
                "%.0f %% of the ramp's pixels lie on the 8-bit lattice, %.0f %% of its columns between two "
                "lattice values, and the columns' means keep their codes within %.2f RMS: a dithered 8-bit "
                "stage, %.1f effective bits",
                d.onLattice * 100, d.twoValued * 100, d.meanRms, d.effectiveBits);
  f.evidence = text;
  f.advice = "find the stage that dithers down to 8 bits (a framebuffer, an output format, a processor "
             "input) and set it to 10 bits or more; its dither hides banding but not the lost depth";
  f.numbers = {{"rule", "dithered"}, {"effective_bits", std::round(d.effectiveBits * 10) / 10}};
  v.faults.push_back(f);
  return true;
}

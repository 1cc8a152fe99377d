#include "tools/signal-read/DitherVerdict.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>

#include "signal/CodeRules.h"

namespace {

namespace sig = veltrima::signal;

constexpr double kOnLattice = 0.98, kTwoValued = 0.5, kMeanRms = 0.5, kMoved = 0.2;

// The 8-bit codes as 10-bit codes by one way back up, and the 8-bit
// position that way's own rule gives a 10-bit code (c / 4, or
// c · 255 / 1023).
struct Lattice {
  std::array<double, 256> codes{};
  double eightPerCode = 0;
  auto begin() const { return codes.begin(); }
  auto end() const { return codes.end(); }
  double back() const { return codes.back(); }
};

std::array<Lattice, 3> Lattices() {
  std::array<Lattice, 3> lattices{};
  for (int e = 0; e < 256; ++e) {
    const auto index = static_cast<std::size_t>(e);
    lattices[0].codes[index] = sig::Code10FromDepth(sig::Range::Narrow, static_cast<std::uint32_t>(e), 8);
    lattices[1].codes[index] = e << 2 | e >> 6;
    lattices[2].codes[index] = sig::Code10FromDepth(sig::Range::Full, static_cast<std::uint32_t>(e), 8);
  }
  lattices[0].eightPerCode = 0.25;
  lattices[1].eightPerCode = lattices[2].eightPerCode = 255.0 / 1023.0;
  return lattices;
}

// Where a dither's mean puts code c: between the lattice values either
// side of its 8-bit position, in proportion. The lattice's own rounding
// moves it from c by up to half a code, which is no loss of the dither's.
double DitheredMean(const Lattice& lattice, int c) {
  const double t = std::min(c * lattice.eightPerCode, 255.0);
  const auto k = static_cast<std::size_t>(std::min(std::floor(t), 254.0));
  return lattice.codes[k] + (t - static_cast<double>(k)) * (lattice.codes[k + 1] - lattice.codes[k]);
}

// The lattice value nearest v.
double Nearest(const Lattice& lattice, double v) {
  const auto above = std::lower_bound(lattice.begin(), lattice.end(), v);
  if (above == lattice.begin()) return *above;
  if (above == lattice.end()) return lattice.back();
  return v - *(above - 1) <= *above - v ? *(above - 1) : *above;
}

// `nearCode`: a pixel counts as on the lattice only within one lattice step
// of its step's code (without: anywhere, as after a range fault).
DitherReading ReadOn(const Lattice& lattice, const std::vector<StepMeasure>& steps, int first, int last,
                     bool nearCode = true) {
  DitherReading reading;
  double pixelCount = 0, onLattice = 0, offSteps = 0, twoValued = 0, squares = 0, read = 0;
  for (const StepMeasure& step : steps) {
    const int c = step.sent;
    if (c < first || c > last || step.pixels.empty()) continue;
    // One lattice step either side of the code: the two values a dither
    // between them uses, or three where the code is a lattice value.
    constexpr double kStep = 4.02;
    double sum = 0, low = 1e9, high = -1e9;
    for (const double v : step.pixels) {
      const double on = Nearest(lattice, v);
      if (std::abs(v - on) <= 0.5 && (!nearCode || std::abs(on - c) <= kStep)) ++onLattice;
      low = std::min(low, on);
      high = std::max(high, on);
      sum += v;
    }
    pixelCount += static_cast<double>(step.pixels.size());
    if (std::abs(Nearest(lattice, c) - c) > 0.5) {
      ++offSteps;
      twoValued += high > low;
    }
    const double mean = sum / static_cast<double>(step.pixels.size());
    const double missed = mean - DitheredMean(lattice, c);
    squares += missed * missed;
    ++read;
  }
  if (read == 0 || offSteps == 0) return reading;
  reading.onLattice = onLattice / pixelCount;
  reading.twoValued = twoValued / offSteps;
  reading.meanRms = std::sqrt(squares / read);
  reading.effectiveBits = std::min(10.0, 10 - std::log2(std::max(1.0, reading.meanRms * std::sqrt(12.0))));
  reading.dithered = reading.onLattice >= kOnLattice && reading.twoValued >= kTwoValued && reading.meanRms <= kMeanRms;
  return reading;
}

const std::array<Lattice, 3>& AllLattices() {
  static const std::array<Lattice, 3> lattices = Lattices();
  return lattices;
}

}  // namespace

DitherReading ReadDither(const std::vector<StepMeasure>& steps, int first, int last) {
  DitherReading best;
  for (const Lattice& lattice : AllLattices()) {
    const DitherReading reading = ReadOn(lattice, steps, first, last);
    if (reading.dithered > best.dithered || (reading.dithered == best.dithered && reading.onLattice > best.onLattice))
      best = reading;
  }
  return best;
}

bool SpreadsOverLattice(const std::vector<StepMeasure>& steps) {
  for (const Lattice& lattice : AllLattices()) {
    const DitherReading d = ReadOn(lattice, steps, 0, sig::kMaxCode, false);
    if (d.onLattice >= kOnLattice && d.twoValued >= kTwoValued) return true;
  }
  return false;
}

TemporalDither ReadTemporalDither(const std::vector<StepMeasure>& steps,
                                  const std::vector<std::vector<StepMeasure>>& later, int first, int last) {
  TemporalDither t;
  std::vector<StepMeasure> pooled = steps;
  double pixels = 0, moved = 0;
  for (std::size_t s = 0; s < steps.size(); ++s) {
    const StepMeasure& step = steps[s];
    const bool judged = step.sent >= first && step.sent <= last;
    std::vector<bool> changed(step.pixels.size(), false);
    for (const std::vector<StepMeasure>& frame : later) {
      // A frame laid out otherwise (another size) has no pixel to match.
      if (frame.size() != steps.size() || frame[s].pixels.size() != step.pixels.size()) continue;
      for (std::size_t i = 0; i < step.pixels.size(); ++i)
        changed[i] = changed[i] || std::abs(frame[s].pixels[i] - step.pixels[i]) > 0.5;
      pooled[s].pixels.insert(pooled[s].pixels.end(), frame[s].pixels.begin(), frame[s].pixels.end());
    }
    if (!judged) continue;
    pixels += static_cast<double>(step.pixels.size());
    moved += static_cast<double>(std::count(changed.begin(), changed.end(), true));
  }
  if (later.empty() || pixels == 0) return t;
  t.pooled = ReadDither(pooled, first, last);
  t.moved = moved / pixels;
  t.temporal = t.pooled.dithered && t.moved >= kMoved;
  return t;
}

bool CheckDither(const ChainReading& r, int first, int last, GreyVerdict& v) {
  const TemporalDither t = ReadTemporalDither(r.steps, r.laterSteps, first, last);
  const DitherReading d = t.temporal ? t.pooled : ReadDither(r.steps, first, last);
  if (!d.dithered) return false;
  v.bits = 8;
  Fault f;
  f.name = "eight-bit";
  f.confidence = d.onLattice;
  char text[360];
  const std::string frames =
      t.temporal ? " over " + std::to_string(r.laterSteps.size() + 1) + " frames, " +
                       std::to_string(std::lround(t.moved * 100)) + " % of them changing from frame to frame"
                 : "";
  std::snprintf(text, sizeof text,
                "%.0f %% of the grey steps' pixels lie on the 8-bit lattice%s, %.0f %% of the steps off it "
                "between two lattice values, and the steps' means keep their codes within %.2f RMS: a %s dithered "
                "8-bit stage, %.1f effective bits",
                d.onLattice * 100, frames.c_str(), d.twoValued * 100, d.meanRms, t.temporal ? "temporally" : "spatially",
                d.effectiveBits);
  f.evidence = text;
  f.advice = "find the stage that dithers down to 8 bits (a framebuffer, an output format, a processor "
             "input) and set it to 10 bits or more; its dither hides banding but not the lost depth";
  f.numbers = {{"rule", "dithered"},
               {"effective_bits", std::round(d.effectiveBits * 10) / 10},
               {"dither", t.temporal ? "temporal" : "spatial"}};
  v.faults.push_back(f);
  return true;
}

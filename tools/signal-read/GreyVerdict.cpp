#include "tools/signal-read/GreyVerdict.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "signal/CodeRules.h"
#include "signal/Signal.h"
#include "tools/signal-read/DitherVerdict.h"
#include "tools/signal-read/LineFit.h"

namespace {

namespace sig = veltrima::signal;

// The ratios a range change scales by: the 10-bit one (876 codes of
// narrow to 1023 of full) and the 8-bit one (219 to 255), which converters
// built for 8-bit video apply at 10 bits too (narrow white 940 expands to
// 1020, full white 1023 squeezes to 943). The hardware ratio is held to 3
// codes, closer than the 2.4 to 4 codes between the two.
struct Ratio {
  const char* name;
  double narrowToFull;
  double tolerance;  // in codes, at black and at white
};
constexpr Ratio kRatios[] = {{"10-bit", 1023.0 / 876.0, 4.0}, {"8-bit", 255.0 / 219.0, 3.0}};

std::string Code(double value) { return std::to_string(static_cast<long>(std::lround(value))); }

// Where a range change puts black and white of the sent range.
struct RangeChange {
  const char* name;  // empty: unchanged
  double black, white;
  const char* evidence;
  const char* advice;
  const Ratio* ratio;
};

std::vector<RangeChange> ChangesFor(sig::Range range) {
  const double b = sig::BlackCode(range), w = sig::WhiteCode(range);
  std::vector<RangeChange> changes = {{"", b, w, "", "", &kRatios[0]}};
  for (const Ratio& ratio : kRatios) {
    auto squeeze = [&](double c) { return 64 + c / ratio.narrowToFull; };
    auto expand = [&](double c) { return (c - 64) * ratio.narrowToFull; };
    changes.push_back({"range-squeezed", squeeze(b), squeeze(w), "full range squeezed into narrow",
                       "a stage takes its input as full range while it is narrow: set that input (or the "
                       "output before it) to narrow / limited / video levels",
                       &ratio});
    changes.push_back({"range-squeezed-twice", squeeze(squeeze(b)), squeeze(squeeze(w)),
                       "squeezed from full into narrow twice",
                       "two stages each squeeze full into narrow: set both to the same range", &ratio});
    changes.push_back({"range-expanded", expand(b), expand(w), "narrow range taken as full and expanded",
                       "a stage takes its input as narrow while it is full, or expands narrow to full: set "
                       "that stage to full range / data levels, or pass the range through",
                       &ratio});
  }
  return changes;
}

struct Line {
  double gain = 1, offset = 0;
  bool ok = false;
};

// Least squares through the ladder steps that arrive unclipped.
Line FitLadder(const ChainReading& r) {
  const sig::Range range = r.strip.content.signal.range;
  double lo = 1e9, hi = -1e9;
  for (const StepMeasure& m : r.steps) {
    lo = std::min(lo, m.received[1]);
    hi = std::max(hi, m.received[1]);
  }
  LineFit fit;
  for (const StepMeasure& m : r.steps) {
    if (m.sent < sig::BlackCode(range) || m.sent > sig::WhiteCode(range)) continue;
    const double y = m.received[1];
    if (y <= lo + 0.5 || y >= hi - 0.5) continue;
    fit.Add(m.sent, y);
  }
  Line line;
  line.ok = fit.Solve(line.gain, line.offset, 3);
  if (!line.ok) line = Line{};
  return line;
}

// Steps sent beyond a level that all arrive at it: (first, last sent, level).
void CheckClip(const ChainReading& r, bool below, std::vector<Fault>& faults) {
  const sig::Range range = r.strip.content.signal.range;
  const int level = below ? sig::BlackCode(range) : sig::WhiteCode(range);
  int count = 0, first = 0, last = 0;
  double worst = level;
  for (const StepMeasure& m : r.steps) {
    if (below ? m.sent > level - 4 : m.sent < level + 4) continue;
    const double y = m.received[1];
    if (std::abs(y - level) > 1) return;  // one step passes, or lands elsewhere: no clip
    if (count++ == 0) first = m.sent;
    last = m.sent;
    worst = below ? std::min(worst, y) : std::max(worst, y);
  }
  if (count == 0) return;
  Fault f;
  f.name = below ? "footroom-clipped" : "headroom-clipped";
  f.evidence = std::string(below ? "below-black" : "above-white") + " codes " + std::to_string(first) +
               " to " + std::to_string(last) + " arrive as " + Code(worst) + ": " +
               (below ? "everything below black is clipped" : "everything above white is clipped");
  f.advice = below ? "a stage clips to black: allow sub-black (footroom) on it, or check its range setting"
                   : "a stage clips to nominal white: allow super-white (headroom), or check its range setting";
  f.numbers = {{"steps", count}, {"arrives_as", std::lround(worst)}};
  faults.push_back(f);
}

// Which 8-bit stage the ramp went through, if any: a code taken down to 8
// bits by one rule (truncated: c / 4 down, rounded: c / 4 to the nearest,
// scaled: c · 255 / 1023 to the nearest) and back up to 10 by any of the
// usual ones (x 4, bit replication, x 1023 / 255), which a capture's own
// widening may have chosen.
// Codes a clip found are left out: they arrive clipped whatever the depth.
void CheckDepth(const ChainReading& r, GreyVerdict& v) {
  if (r.ramp.empty()) return;
  const sig::Range range = r.strip.content.signal.range;
  int first = 16, last = std::min(1007, r.rampLast);
  for (const Fault& f : v.faults) {
    if (f.name == "footroom-clipped") first = std::max(first, sig::BlackCode(range) + 1);
    if (f.name == "headroom-clipped") last = std::min(last, sig::WhiteCode(range) - 1);
  }
  using Step = std::function<int(int)>;
  // Rounded and scaled are the narrow and full ranges' own 8-bit rules.
  const auto eightBits = [](sig::Range rule) {
    return [rule](int c) { return static_cast<int>(sig::RoundedCodeAtDepth(rule, c, 8)); };
  };
  const auto tenBits = [](sig::Range rule) {
    return [rule](int e) { return sig::Code10FromDepth(rule, static_cast<std::uint32_t>(e), 8); };
  };
  const std::pair<const char*, Step> downs[] = {{"truncated", [](int c) { return c >> 2; }},
                                                {"rounded", eightBits(sig::Range::Narrow)},
                                                {"scaled", eightBits(sig::Range::Full)}};
  const Step ups[] = {tenBits(sig::Range::Narrow), [](int e) { return e << 2 | e >> 6; },
                      tenBits(sig::Range::Full)};
  auto share = [&](const Step& rule) {
    int hits = 0;
    for (int c = first; c <= last; ++c) hits += std::abs(r.ramp[static_cast<std::size_t>(c)] - rule(c)) <= 0.5;
    return static_cast<double>(hits) / (last - first + 1);
  };
  // A capture of another size than was sent can hold the strip and steps
  // where the layout puts them for its own size while the ramp, one code
  // per output column, is squeezed or stretched: a ramp that does not
  // follow the steps' levels is no ramp to judge depth by.
  int nearLine = 0;
  for (int c = first; c <= last; ++c)
    nearLine += std::abs(r.ramp[static_cast<std::size_t>(c)] - (v.gain * c + v.offset)) <= 8;
  if (nearLine < 0.9 * (last - first + 1)) return;
  const double intact = share([](int c) { return c; });
  if (intact >= 0.98) {
    v.bits = 10;
    return;
  }
  // Before the plain rules: a dithered ramp's column medians snap to the
  // lattice and can pass for rounding.
  if (CheckDither(r, first, last, v)) return;
  for (const auto& [name, down] : downs)
    for (const Step& up : ups) {
      const double hits = share([&](int c) { return up(down(c)); });
      if (hits < 0.98) continue;
      v.bits = 8;
      Fault f;
      f.name = "eight-bit";
      f.confidence = hits;
      f.evidence = std::string("the ramp arrives in steps of four codes, ") + name + " (code 98 as " +
                   Code(r.ramp[98]) + ", 99 as " + Code(r.ramp[99]) + ", 102 as " + Code(r.ramp[102]) +
                   "): an 8-bit stage in the chain";
      f.advice = "find the stage that runs at 8 bits (a framebuffer, an output or capture format, a "
                 "processor input) and set it to 10 bits or more";
      f.numbers = {{"rule", name}};
      v.faults.push_back(f);
      return;
    }
  if (r.compressed) return;
  v.unexplained = true;
  v.unexplainedText = "the ramp arrives code for code at only " + Code(intact * 100) +
                      " % of codes " + std::to_string(first) + "-" + std::to_string(last) +
                      " and follows no 8-bit rule";
}

}  // namespace

GreyVerdict JudgeGreys(const ChainReading& r) {
  GreyVerdict v;
  const sig::Range range = r.strip.content.signal.range;
  const Line line = FitLadder(r);
  if (!line.ok) {
    v.unexplained = true;
    v.unexplainedText = "too few grey steps arrive unclipped to fit the levels";
    return v;
  }
  v.gain = line.gain;
  v.offset = line.offset;
  const double black = line.offset + line.gain * sig::BlackCode(range);
  const double white = line.offset + line.gain * sig::WhiteCode(range);
  const std::vector<RangeChange> changes = ChangesFor(range);
  // The nearest change within its ratio's tolerance.
  const RangeChange* found = nullptr;
  double nearest = 1e9;
  for (const RangeChange& change : changes) {
    const double miss = std::max(std::abs(black - change.black), std::abs(white - change.white));
    if (miss <= change.ratio->tolerance && miss < nearest) {
      found = &change;
      nearest = miss;
    }
  }
  if (!found) {
    v.unexplained = true;
    char text[160];
    std::snprintf(text, sizeof text, "black %d arrives as %s, white %d as %s: a level change no range setting explains",
                  sig::BlackCode(range), Code(black).c_str(), sig::WhiteCode(range), Code(white).c_str());
    v.unexplainedText = text;
    return v;
  }
  if (*found->name) {
    Fault f;
    f.name = found->name;
    f.evidence = "black " + std::to_string(sig::BlackCode(range)) + " arrives as " + Code(black) + ", white " +
                 std::to_string(sig::WhiteCode(range)) + " as " + Code(white) + ": " + found->evidence +
                 (found->ratio == &kRatios[0] ? "" : " by the 8-bit ratio 255/219 (a converter built for 8-bit video)");
    f.advice = found->advice;
    f.numbers = {{"black", std::lround(black)}, {"white", std::lround(white)}, {"ratio", found->ratio->name}};
    v.faults.push_back(f);
    return v;  // the change's own clipping is part of it
  }
  if (range == sig::Range::Narrow) {
    CheckClip(r, true, v.faults);
    CheckClip(r, false, v.faults);
  }
  CheckDepth(r, v);
  return v;
}

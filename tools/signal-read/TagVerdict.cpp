#include "tools/signal-read/TagVerdict.h"

#include <cmath>

#include "signal/Signal.h"

namespace {

namespace sig = veltrima::signal;

constexpr double kBlackTolerance = 8, kWhiteTolerance = 12;

bool Near(double value, double target, double tolerance) { return std::abs(value - target) <= tolerance; }

}  // namespace

std::string MeasuredRange(const ChainReading& r, const GreyVerdict& v) {
  const sig::Range sent = r.strip.content.signal.range;
  const double black = v.gain * sig::BlackCode(sent) + v.offset;
  const double white = v.gain * sig::WhiteCode(sent) + v.offset;
  for (const sig::Range range : {sig::Range::Narrow, sig::Range::Full})
    if (Near(black, sig::BlackCode(range), kBlackTolerance) && Near(white, sig::WhiteCode(range), kWhiteTolerance))
      return range == sig::Range::Narrow ? "narrow" : "full";
  return "";
}

void CheckDeclaredRange(const ChainReading& r, const DeclaredTags& declared, GreyVerdict& v) {
  if (declared.range.empty()) return;
  const std::string measured = MeasuredRange(r, v);
  if (measured.empty() || measured == declared.range) return;
  const sig::Range sent = r.strip.content.signal.range;
  const auto code = [](double c) { return std::to_string(static_cast<long>(std::lround(c))); };
  Fault f;
  f.name = "tags-disagree";
  f.evidence = "the file declares " + declared.range + " range, but black arrives at " +
               code(v.gain * sig::BlackCode(sent) + v.offset) + " and white at " +
               code(v.gain * sig::WhiteCode(sent) + v.offset) + ": " + measured + " range";
  f.advice = "set the encoder's or capture's range tag to " + measured +
             " (a player that trusts the tag shows black and white wrong)";
  f.numbers = {{"tag", "range"}, {"declared", declared.range}, {"measured", measured}};
  v.faults.push_back(f);
}

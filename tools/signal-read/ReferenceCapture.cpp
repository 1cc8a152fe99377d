#include "tools/signal-read/ReferenceCapture.h"

#include <algorithm>
#include <cmath>

namespace {

// A line flatter than this is a capture that lost the levels, not a gain.
constexpr double kLeastGain = 0.25;
constexpr double kSameMedian = 1.5, kSameColumn = 0.5;

}  // namespace

ChainReading UndoCapturePath(const ChainReading& chain, const ChainReading& reference, const GreyVerdict& line) {
  ChainReading undone = chain;
  if (line.unexplained || !(line.gain > kLeastGain)) return undone;
  // `value` received where the reference received `through` for `sent`.
  const auto back = [&](double value, double through, double sent, double same) {
    return std::abs(value - through) <= same ? sent : (value - line.offset) / line.gain;
  };
  const bool sameSteps = reference.steps.size() == chain.steps.size();
  for (std::size_t i = 0; i < undone.steps.size(); ++i)
    for (std::size_t c = 0; c < 3; ++c) {
      double& v = undone.steps[i].received[c];
      const double sent = undone.steps[i].sent;
      v = back(v, sameSteps ? reference.steps[i].received[c] : -1e9, sent, kSameMedian);
    }
  const bool samePatches = reference.patches.size() == chain.patches.size();
  for (std::size_t i = 0; i < undone.patches.size(); ++i)
    for (std::size_t c = 0; c < 3; ++c) {
      double& v = undone.patches[i].received[c];
      v = back(v, samePatches ? reference.patches[i].received[c] : -1e9, undone.patches[i].sent[c], kSameMedian);
    }
  const bool sameRamp = reference.ramp.size() == chain.ramp.size();
  for (std::size_t c = 0; c < undone.ramp.size(); ++c)
    undone.ramp[c] = back(undone.ramp[c], sameRamp ? reference.ramp[c] : -1e9, static_cast<double>(c), kSameColumn);
  return undone;
}

bool SameFault(const Fault& fault, const std::vector<Fault>& list) {
  return std::any_of(list.begin(), list.end(), [&](const Fault& other) {
    return other.name == fault.name && other.numbers.value("tag", "") == fault.numbers.value("tag", "");
  });
}

void SetApartCapturePath(const GreyVerdict& reference, GreyVerdict& chain) {
  chain.faults.erase(std::remove_if(chain.faults.begin(), chain.faults.end(),
                                    [&](const Fault& f) { return SameFault(f, reference.faults); }),
                     chain.faults.end());
}

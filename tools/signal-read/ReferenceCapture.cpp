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
  // A step the chain moved onto a level the reference shows for another
  // step (a clip to black through a path that truncates to 8 bits) is that
  // step's code: the line is only the path's mean, off by the quantiser's
  // own offset for values it keeps exactly.
  const auto stepBack = [&](double value, double through, double sent, std::size_t c) {
    if (std::abs(value - through) <= kSameMedian) return sent;
    if (sameSteps) {
      const StepMeasure* nearest = nullptr;
      for (const StepMeasure& m : reference.steps)
        if (std::abs(m.received[c] - value) <= kSameMedian &&
            (!nearest || std::abs(m.received[c] - value) < std::abs(nearest->received[c] - value)))
          nearest = &m;
      if (nearest) return static_cast<double>(nearest->sent);
    }
    return back(value, through, sent, kSameMedian);
  };
  for (std::size_t i = 0; i < undone.steps.size(); ++i)
    for (std::size_t c = 0; c < 3; ++c) {
      double& v = undone.steps[i].received[c];
      const double sent = undone.steps[i].sent;
      v = stepBack(v, sameSteps ? reference.steps[i].received[c] : -1e9, sent, c);
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

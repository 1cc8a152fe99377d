#include "tools/signal-read/StepMap.h"

#include <algorithm>
#include <vector>

#include "signal/CodeRules.h"

double StepMapped(const ChainReading& r, int channel, double code) {
  if (r.steps.size() < 2) return code;
  std::vector<const StepMeasure*> steps;
  for (const StepMeasure& m : r.steps) steps.push_back(&m);
  std::sort(steps.begin(), steps.end(), [](const StepMeasure* a, const StepMeasure* b) { return a->sent < b->sent; });
  const auto c = static_cast<std::size_t>(channel);
  // The segment that holds the code, or the end one nearest it.
  std::size_t i = 1;
  while (i + 1 < steps.size() && code > steps[i]->sent) ++i;
  const StepMeasure& lo = *steps[i - 1];
  const StepMeasure& hi = *steps[i];
  if (hi.sent == lo.sent) return hi.received[c];
  const double t = (code - lo.sent) / (hi.sent - lo.sent);
  return std::clamp(lo.received[c] + t * (hi.received[c] - lo.received[c]), 0.0, double{veltrima::signal::kMaxCode});
}

std::array<double, 3> StepMappedCodes(const ChainReading& r, const std::array<double, 3>& codes) {
  std::array<double, 3> out{};
  for (int c = 0; c < 3; ++c) out[static_cast<std::size_t>(c)] = StepMapped(r, c, codes[static_cast<std::size_t>(c)]);
  return out;
}

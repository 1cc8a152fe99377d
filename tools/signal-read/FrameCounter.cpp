#include "tools/signal-read/FrameCounter.h"

#include <algorithm>
#include <set>
#include <string>

namespace {

constexpr long long kWrap = 65536;

// The counter continued past its wrap: the step from the frame before, the
// short way round.
long long Unwrapped(long long before, int counter) {
  long long step = ((counter - before) % kWrap + kWrap) % kWrap;
  if (step >= kWrap / 2) step -= kWrap;
  return before + step;
}

Fault FrameFault(const char* name, int frames, std::string evidence, const char* advice) {
  Fault f;
  f.name = name;
  f.evidence = std::move(evidence);
  f.advice = advice;
  f.numbers = {{"frames", frames}};
  return f;
}

}  // namespace

FrameOrder CountFrameOrder(const std::vector<int>& counters) {
  FrameOrder order;
  if (counters.empty()) return order;
  std::set<long long> seen;
  long long before = counters.front(), highest = before;
  seen.insert(before);
  for (std::size_t i = 1; i < counters.size(); ++i) {
    const long long now = Unwrapped(before, counters[i]);
    if (now == before) {
      ++order.repeated;
    } else if (now < highest) {
      if (order.outOfOrder++ == 0) {
        order.lateCounter = counters[i];
        order.lateAfter = static_cast<int>(((highest % kWrap) + kWrap) % kWrap);
      }
    }
    seen.insert(now);
    highest = std::max(highest, now);
    before = now;
  }
  order.dropped = static_cast<int>(*seen.rbegin() - *seen.begin() + 1 - static_cast<long long>(seen.size()));
  return order;
}

void CheckFrameOrder(const std::vector<int>& counters, std::vector<Fault>& faults) {
  const FrameOrder order = CountFrameOrder(counters);
  if (order.dropped)
    faults.push_back(FrameFault("frames-dropped", order.dropped,
                                std::to_string(order.dropped) + " frame counter values never arrive",
                                "the chain drops frames: check its frame rates and sync"));
  if (order.repeated)
    faults.push_back(FrameFault("frames-repeated", order.repeated,
                                std::to_string(order.repeated) + " frames repeat the frame before",
                                "the chain repeats frames: check its frame rates and sync"));
  if (order.outOfOrder)
    faults.push_back(FrameFault("frames-out-of-order", order.outOfOrder,
                                std::to_string(order.outOfOrder) + " frames arrive after a later one (counter " +
                                    std::to_string(order.lateCounter) + " after " +
                                    std::to_string(order.lateAfter) + ")",
                                "a stage reorders frames (a buffer or a network path with more than one "
                                "route): check its buffering and the capture's own timestamps"));
}

// A steady clock that reads whatever time its owner last set. Programs that
// link the plug-in's code (tools, tests, soak runs) install one to step the
// animation by exact amounts; the real clock is back when it ends. One at a
// time per process. Header-only, so the plug-in module itself never carries it.
#pragma once

#include <cstdint>

#include "clock/SteadyClock.h"

class SteppedClock {
 public:
  explicit SteppedClock(std::int64_t startNanoseconds = 0) {
    now_ = startNanoseconds;
    SetSteadyClockReader(&Read);
  }
  ~SteppedClock() { SetSteadyClockReader(nullptr); }
  SteppedClock(const SteppedClock&) = delete;
  SteppedClock& operator=(const SteppedClock&) = delete;

  void Set(std::int64_t nanoseconds) { now_ = nanoseconds; }
  void Advance(std::int64_t nanoseconds) { now_ += nanoseconds; }

 private:
  static std::int64_t Read() { return now_; }
  inline static std::int64_t now_ = 0;
};

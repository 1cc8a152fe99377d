// Replaces the plug-in's steady clock with one the renderer sets, so that
// frame n of a sequence shows exactly the moment n / fps. Restores the real
// clock when it ends. One at a time per process.
#pragma once

#include <cstdint>

class SteppedClock {
 public:
  SteppedClock();
  ~SteppedClock();
  SteppedClock(const SteppedClock&) = delete;
  SteppedClock& operator=(const SteppedClock&) = delete;

  void Set(std::int64_t nanoseconds);
};

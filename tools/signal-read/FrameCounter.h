// What the strip's frame counter says of the frames between the sender and
// the capture: counter values that never arrive (frames-dropped), a frame
// that repeats the one before (frames-repeated) and a frame that arrives
// after a later one (frames-out-of-order). The counter wraps at 65536; a
// step of up to half of that forward is read as forward, any other as
// backward, so a capture that spans the wrap reads in order.
#pragma once

#include <vector>

#include "tools/signal-read/GreyVerdict.h"

struct FrameOrder {
  int dropped = 0;     // counter values between the first and the last never seen
  int repeated = 0;    // frames with the counter of the frame before
  int outOfOrder = 0;  // frames whose counter lies below one already seen
  // The first frame out of order: its counter and the highest before it.
  int lateCounter = -1, lateAfter = -1;
};

// counters: one per frame read, in the order read, each 0-65535.
FrameOrder CountFrameOrder(const std::vector<int>& counters);

// Adds a fault for each kind of step the counters show.
void CheckFrameOrder(const std::vector<int>& counters, std::vector<Fault>& faults);

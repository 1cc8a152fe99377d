// What a run of frames says about the path they took: frames dropped on the
// way (numbers missing), repeated (the same number as the frame read before),
// out of order (a lower number than the frame read before), and with the
// capture's frame rate, how late each frame arrived compared with the first.
//
// The strip carries frame numbers modulo 2^24, so numbers are compared by
// their difference modulo 2^24 (taken between -2^23 and 2^23) and counted on
// from the first frame read: a run across the wrap counts as one. Shown
// times wrap at midnight the same way.
#pragma once

#include <cstdint>
#include <optional>
#include <set>

#include "tools/sync-read/FrameDecoder.h"
#include "framestamp/FrameRate.h"

struct FrameEvent {
  bool decoded = false;
  std::int64_t sequence = 0;     // the frame number counted on across the wrap
  bool repeat = false;           // same number as the frame read before
  bool outOfOrder = false;       // lower than the frame read before
  std::int64_t missingBefore = 0;  // numbers skipped since the highest so far
  // Capture time minus shown time, relative to the first frame read: how
  // much later than the first frame this one arrived, in milliseconds (with
  // a frame rate only).
  std::optional<double> latencyMs;
};

struct SequenceSummary {
  std::int64_t frames = 0;       // in the input
  std::int64_t strip = 0, qr = 0;  // read from either code
  std::int64_t undecodable = 0;  // neither code read (unreadable frames included)
  std::int64_t dropped = 0;      // numbers between the lowest and highest read, never read
  std::int64_t repeated = 0;
  std::int64_t outOfOrder = 0;
  std::optional<double> latencyMinMs, latencyMaxMs;
};

class SequenceAnalysis {
 public:
  explicit SequenceAnalysis(std::optional<FrameRate> rate = std::nullopt) : rate_(rate) {}

  // Frame `index` of the input (0 for the first), in input order.
  FrameEvent Add(std::int64_t index, const FrameReading& reading);
  SequenceSummary Summary() const;

 private:
  struct Anchor {
    std::int64_t sequence = 0;
    std::uint64_t frame = 0;          // as read
    std::int64_t shownMs = 0;         // counted on across midnight
    std::int64_t millisecondOfDay = 0;
  };
  std::optional<FrameRate> rate_;
  std::optional<Anchor> first_, previous_;
  std::int64_t highest_ = 0;
  double firstCaptureMs_ = 0;
  std::set<std::int64_t> seen_;
  SequenceSummary summary_;
};

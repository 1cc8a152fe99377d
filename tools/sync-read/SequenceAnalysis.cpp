#include "tools/sync-read/SequenceAnalysis.h"

#include <algorithm>

#include "framestamp/StampCode.h"
#include "framestamp/TimeOfDay.h"

namespace {

// `to - from` modulo `modulus`, taken in [-modulus / 2, modulus / 2).
std::int64_t WrappedDifference(std::uint64_t from, std::uint64_t to, std::uint64_t modulus) {
  const std::uint64_t forward = (to % modulus + modulus - from % modulus) % modulus;
  const auto half = static_cast<std::int64_t>(modulus / 2);
  const auto difference = static_cast<std::int64_t>(forward);
  return difference >= half ? difference - static_cast<std::int64_t>(modulus) : difference;
}

}  // namespace

FrameEvent SequenceAnalysis::Add(std::int64_t index, const FrameReading& reading) {
  FrameEvent event;
  ++summary_.frames;
  if (reading.code == CodeRead::None) {
    ++summary_.undecodable;
    return event;
  }
  ++(reading.code == CodeRead::Strip ? summary_.strip : summary_.qr);
  event.decoded = true;

  Anchor now;
  now.frame = reading.frame;
  now.millisecondOfDay = reading.millisecondOfDay;
  if (!previous_) {
    now.sequence = static_cast<std::int64_t>(reading.frame % kStampFrameModulus);
    now.shownMs = reading.millisecondOfDay;
    first_ = now;
    highest_ = now.sequence;
    firstCaptureMs_ = rate_ ? FrameMilliseconds(static_cast<long>(index), *rate_) : 0;
  } else {
    now.sequence = previous_->sequence +
                   WrappedDifference(previous_->frame, reading.frame, kStampFrameModulus);
    now.shownMs = previous_->shownMs + WrappedDifference(
                                           static_cast<std::uint64_t>(previous_->millisecondOfDay),
                                           static_cast<std::uint64_t>(reading.millisecondOfDay),
                                           static_cast<std::uint64_t>(kMillisecondsPerDay));
    event.repeat = now.sequence == previous_->sequence;
    event.outOfOrder = now.sequence < previous_->sequence;
    if (now.sequence > highest_ + 1) event.missingBefore = now.sequence - highest_ - 1;
    highest_ = std::max(highest_, now.sequence);
  }
  event.sequence = now.sequence;
  summary_.repeated += event.repeat;
  summary_.outOfOrder += event.outOfOrder;
  seen_.insert(now.sequence);

  if (rate_) {
    const double captured = FrameMilliseconds(static_cast<long>(index), *rate_) - firstCaptureMs_;
    const double shown = static_cast<double>(now.shownMs - first_->shownMs);
    const double latency = captured - shown;
    event.latencyMs = latency;
    summary_.latencyMinMs = std::min(summary_.latencyMinMs.value_or(latency), latency);
    summary_.latencyMaxMs = std::max(summary_.latencyMaxMs.value_or(latency), latency);
  }
  previous_ = now;
  return event;
}

SequenceSummary SequenceAnalysis::Summary() const {
  SequenceSummary summary = summary_;
  if (!seen_.empty()) {
    const std::int64_t span = *seen_.rbegin() - *seen_.begin() + 1;
    summary.dropped = span - static_cast<std::int64_t>(seen_.size());
  }
  return summary;
}

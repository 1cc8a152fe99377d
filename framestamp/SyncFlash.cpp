#include "framestamp/SyncFlash.h"

#include <algorithm>

#include "framestamp/TimeOfDay.h"

namespace {

std::int64_t WithinDay(std::int64_t ms) {
  const std::int64_t r = ms % kMillisecondsPerDay;
  return r < 0 ? r + kMillisecondsPerDay : r;
}

}  // namespace

bool FlashDue(std::optional<std::int64_t> previous, std::int64_t current, std::int64_t periodMs) {
  const std::int64_t period = std::max<std::int64_t>(periodMs, 1);
  const std::int64_t now = WithinDay(current);
  const bool onBoundary = now % period == 0;
  if (!previous) return onBoundary;
  const std::int64_t before = WithinDay(*previous);
  const std::int64_t forward = WithinDay(now - before);
  if (forward == 0) return false;
  if (forward > kMillisecondsPerDay / 2) return onBoundary;
  // The first boundary after `before`: the next multiple of the period, or
  // midnight when that comes first.
  const std::int64_t next = std::min((before / period + 1) * period, kMillisecondsPerDay);
  return before + forward >= next;
}

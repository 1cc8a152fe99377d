// When the sync flash is on: for the first frame drawn at or after each
// whole period of the time of day (periods counted from midnight, midnight
// itself always one), so that outputs whose clocks agree flash together.
#pragma once

#include <cstdint>
#include <optional>

// `previous` is the millisecond of day of the frame drawn before, if any.
// True when a period boundary lies in (previous, current], going forward
// through midnight; a repeated time flashes once. With no previous frame, or
// after the time went backwards by more than the frames of a normal show
// would (over twelve hours forward counts as backward), only a frame exactly
// on a boundary flashes. A period below 1 ms counts as 1 ms.
bool FlashDue(std::optional<std::int64_t> previous, std::int64_t current, std::int64_t periodMs);

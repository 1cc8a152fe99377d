// The longest step a plug-in's animation clock takes in one frame: FREE's
// FrameClock caps each advance at it, so that a host that stalls resumes the
// animation where it stopped instead of jumping. A program that steps the
// clock itself (veltrima-render) splits a longer gap into hidden frames of
// at most this length, so that its frames show what a host's would.
#pragma once

#include <cstdint>

constexpr std::int64_t kLongestClockStepNanoseconds = 50'000'000;

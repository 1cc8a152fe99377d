// The largest frame accepted from any input (a PNG header or --size): 16384
// pixels a side and 40 million pixels in all, which holds 8K UHD
// (7680x4320). Beyond it a file is refused before anything is allocated.
#pragma once

#include <cstdint>

constexpr int kMaxFrameSide = 16384;
constexpr std::int64_t kMaxFramePixels = 40'000'000;

// Whether a frame of width x height pixels is within the limits above.
bool FrameSizeAccepted(std::int64_t width, std::int64_t height);

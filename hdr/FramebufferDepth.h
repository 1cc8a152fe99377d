// The bits per red channel of the colour buffer a frame is drawn into: the
// bound draw framebuffer's first draw buffer, or the default framebuffer's.
// Asks only what GL can answer without an error, so the host's error state
// is left as it was.
#pragma once

#include <optional>

namespace hdr {

// Empty when the framebuffer has no colour buffer there to ask about.
std::optional<int> DrawFramebufferRedBits();

// Under 10 bits a code c arrives as round(c · 255 / 1023) or coarser.
constexpr int kCodeBits = 10;

}  // namespace hdr

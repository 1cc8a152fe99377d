// Two things the 8-bit path does to bytes it reads anyway: telling whether a
// frame is opaque everywhere, and turning a frame that is not (drawn into the
// 8-bit target, so premultiplied) into straight alpha.
#pragma once

#include <cstddef>
#include <cstdint>

// True when every pixel of `bytes` bytes of RGBA (a multiple of 4) has alpha
// 255. Reads 64-bit words, two pixels each, and ANDs them, so that a 1080p
// frame costs a fraction of a millisecond; nullptr or 0 bytes is opaque.
bool AllOpaque(const std::uint8_t* rgba, std::size_t bytes);

// Premultiplied 8-bit RGBA to straight alpha, `bytes` bytes (a multiple of
// 4), `in` and `out` may be the same: each colour byte c becomes
// round(c * 255 / a) clamped to 255 (halves up), 0 where a is 0; alpha is
// kept. Where a is 255 the bytes are unchanged.
void StraightFromPremultiplied8(const std::uint8_t* in, std::size_t bytes, std::uint8_t* out);

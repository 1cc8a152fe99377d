// The raw frames a reader takes on standard input or from a file, named as
// FFmpeg names them (`ffmpeg -f rawvideo -pix_fmt NAME`):
//   rgba         8-bit R, G, B, A interleaved
//   rgb48le      16-bit R, G, B interleaved, little-endian
//   gbrp10le     10-bit planes G, B, R, 16-bit little-endian words
//   yuv444p10le  10-bit planes Y', Cb, Cr
//   yuv422p10le  10-bit planes Y', Cb, Cr, chroma half as wide
//   v210         10-bit 4:2:2 packed, six pixels in four 32-bit words,
//                rows padded to 48 pixels (128 bytes)
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/capture/CaptureFrame.h"

enum class RawFormat { Rgba, Rgb48le, Gbrp10le, Yuv444p10le, Yuv422p10le, V210 };

// The format of that name; false when there is none.
bool RawFormatNamed(const std::string& name, RawFormat& format);
// The names, for a usage message: "rgba, rgb48le, ...".
std::string RawFormatNames();

// The bytes of one width x height frame (sizes within FrameLimits.h).
std::size_t RawFrameBytes(RawFormat format, int width, int height);

// One frame of RawFrameBytes bytes, unpacked into planes as coded. The
// 10-bit formats' words are masked to 10 bits.
CaptureFrame UnpackRaw(RawFormat format, const std::uint8_t* bytes, int width, int height);

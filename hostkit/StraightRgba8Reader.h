// StraightRgba8Reader: a render target's output as straight-alpha 8-bit RGBA,
// rows top-down, the bytes image files and video encoders take, read back
// through a ring of pixel-pack buffers so that copying frame n out overlaps
// drawing frame n + 1.
//
// A small host-side pass turns the premultiplied output into straight-alpha
// bytes on the GPU and writes it upside down into an 8-bit integer texture, so
// that the pack buffer holds the frame exactly as it goes to a file: no float
// read-back, no conversion or flip on the CPU, no allocation per frame. The
// bytes equal RenderTarget::ReadOutput() converted on the CPU by
// StraightRgba8FromPremultiplied (below), bit for bit. The pass runs after the
// plug-in's frame and leaves every piece of GL state it touches as it found it,
// so the plug-in sees exactly what it saw before.
//
// Every call needs the GL context current that the reader was made in.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hostkit/PackBufferRing.h"
#include "hostkit/RenderTarget.h"

namespace hostkit {

class StraightRgba8Reader {
 public:
  // Frames of width x height; `depth` pack buffers (2 or 3) in the ring.
  // Throws std::invalid_argument for a bad size or depth and
  // std::runtime_error when the conversion program does not build.
  StraightRgba8Reader(int width, int height, int depth = 3);
  // Deletes every GL object it made (the context must be current).
  ~StraightRgba8Reader();
  StraightRgba8Reader(const StraightRgba8Reader&) = delete;
  StraightRgba8Reader& operator=(const StraightRgba8Reader&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  std::size_t FrameBytes() const { return ring_.FrameBytes(); }
  int Depth() const { return ring_.Depth(); }
  // Frames queued and not yet released.
  int Pending() const { return ring_.Pending(); }

  // Queues the read-back of `target`'s current output (its viewport, which
  // must be width x height) into the next free pack buffer and returns at
  // once. Throws std::logic_error when all pack buffers are pending and
  // std::invalid_argument for a viewport of another size.
  void Queue(const RenderTarget& target);
  // Waits until the oldest pending frame has arrived and maps it: FrameBytes()
  // bytes, rows top-down, valid until ReleaseOldest(). Throws
  // std::logic_error when nothing is pending, std::runtime_error when the
  // buffer cannot be mapped.
  const std::uint8_t* MapOldest();
  // Unmaps the oldest frame and frees its pack buffer for Queue.
  void ReleaseOldest();

 private:
  void DeleteObjects() noexcept;

  int width_, height_;
  PackBufferRing ring_;
  unsigned program_ = 0, vertexArray_ = 0, texture_ = 0, framebuffer_ = 0;
  int viewportLocation_ = -1;
};

// The CPU conversion the GPU pass reproduces: premultiplied RGBA floats (as
// the plug-in draws them) to straight-alpha bytes. Each colour channel is
// divided by alpha (0 where alpha is not above 0), every channel clamped to
// [0, 1] (NaN to 0) and rounded to the nearest of 0..255, halves away from 0.
// `out` holds `count` bytes; `count` is a multiple of 4.
void StraightRgba8FromPremultiplied(const float* premultiplied, std::size_t count,
                                    std::uint8_t* out);

}  // namespace hostkit

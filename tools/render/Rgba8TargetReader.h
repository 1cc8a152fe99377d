// The bytes of an 8-bit render target read back as they are, through a ring
// of pixel-pack buffers, so that copying frame n out overlaps drawing frame
// n + 1. No pass runs: an opaque frame drawn into an RGBA8 target already
// holds the bytes a host's 8-bit framebuffer shows, and straight and
// premultiplied alpha agree where alpha is 1. Rows come in GL order
// (bottom-up); Frame() hands them out top row first with a negative stride,
// so nothing is flipped or copied on the CPU.
//
// Every call needs the GL context current that the reader was made in.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hostkit/PackBufferRing.h"
#include "hostkit/RenderTarget.h"

// Rows of 8-bit RGBA: `top` is the top row, and the next row lies `stride`
// bytes on (negative when the rows are stored bottom-up).
struct FrameRows {
  const std::uint8_t* top = nullptr;
  std::ptrdiff_t stride = 0;
};

class Rgba8TargetReader {
 public:
  // Frames of width x height; `depth` pack buffers (2 or 3). Throws
  // std::invalid_argument for a bad size or depth, std::runtime_error when
  // the buffers cannot be had.
  Rgba8TargetReader(int width, int height, int depth = 3);
  Rgba8TargetReader(const Rgba8TargetReader&) = delete;
  Rgba8TargetReader& operator=(const Rgba8TargetReader&) = delete;

  std::size_t FrameBytes() const { return ring_.FrameBytes(); }
  int Depth() const { return ring_.Depth(); }
  int Pending() const { return ring_.Pending(); }

  // Queues the read-back of `target`'s viewport (an RGBA8 target's, of
  // width x height) and returns at once. Throws std::logic_error when every
  // buffer is pending, std::invalid_argument for another size or format.
  void Queue(const hostkit::RenderTarget& target);
  // Waits for the oldest pending frame and maps it until ReleaseOldest().
  FrameRows MapOldest();
  void ReleaseOldest();

 private:
  int width_, height_;
  hostkit::PackBufferRing ring_;
};

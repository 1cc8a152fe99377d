// PackBufferRing: the ring of pixel-pack buffers under every read-back of
// ours (hostkit/StraightRgba8Reader.h, tools/render/Rgba8TargetReader.h). A
// frame's glReadPixels goes into the next free buffer and returns at once,
// fenced, so that copying frame n out overlaps drawing frame n + 1; the
// oldest frame is waited for and mapped only when its bytes are wanted.
//
// Every call needs the GL context current that the ring was made in.
#pragma once

#include <cstddef>

namespace hostkit {

class PackBufferRing {
 public:
  // `depth` buffers (2 or 3) of `frameBytes` bytes each. Throws
  // std::invalid_argument for another depth, std::runtime_error when GL has
  // no memory for the buffers.
  PackBufferRing(std::size_t frameBytes, int depth);
  // Deletes the buffers and fences (the context must be current).
  ~PackBufferRing();
  PackBufferRing(const PackBufferRing&) = delete;
  PackBufferRing& operator=(const PackBufferRing&) = delete;

  std::size_t FrameBytes() const { return frameBytes_; }
  int Depth() const { return depth_; }
  // Frames queued and not yet released.
  int Pending() const { return pending_; }

  // The buffer the next read-back goes into: bind it to GL_PIXEL_PACK_BUFFER
  // and read, then call Queued(). Throws std::logic_error when every buffer
  // is pending.
  unsigned NextBuffer() const;
  // Fences the read-back just made into NextBuffer() and starts it now, while
  // the caller draws the next frame.
  void Queued();
  // Waits until the oldest pending frame has arrived and maps it:
  // FrameBytes() bytes, valid until ReleaseOldest(). Throws std::logic_error
  // when nothing is pending or it is mapped already, std::runtime_error when
  // the wait fails or the buffer cannot be mapped.
  const void* MapOldest();
  // Unmaps the oldest frame and frees its buffer for the next read-back.
  void ReleaseOldest();

 private:
  void DeleteObjects() noexcept;

  std::size_t frameBytes_;
  int depth_;
  unsigned buffers_[3] = {0, 0, 0};
  void* fences_[3] = {nullptr, nullptr, nullptr};  // GLsync of each queued read
  int oldest_ = 0, pending_ = 0;
  bool mapped_ = false;
};

}  // namespace hostkit

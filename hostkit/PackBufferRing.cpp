#include "hostkit/PackBufferRing.h"

#include "hostkit/GLScoped.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

namespace hostkit {

PackBufferRing::PackBufferRing(std::size_t frameBytes, int depth)
    : frameBytes_(frameBytes), depth_(depth) {
  if (depth < 2 || depth > 3)
    throw std::invalid_argument("read-back ring depth " + std::to_string(depth) +
                                " is not 2 or 3");
  glGenBuffers(depth_, buffers_);
  gl::ScopedBufferBinding pack(GL_PIXEL_PACK_BUFFER, GL_PIXEL_PACK_BUFFER_BINDING, 0);
  for (int i = 0; i < depth_; ++i) {
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[i]);
    glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(frameBytes_), nullptr,
                 GL_STREAM_READ);
  }
  if (glGetError() == GL_OUT_OF_MEMORY) {
    DeleteObjects();
    throw std::runtime_error("no memory for " + std::to_string(depth_) +
                             " read-back buffers of " + std::to_string(frameBytes_) + " bytes");
  }
}

PackBufferRing::~PackBufferRing() { DeleteObjects(); }

void PackBufferRing::DeleteObjects() noexcept {
  if (mapped_) {
    gl::ScopedBufferBinding pack(GL_PIXEL_PACK_BUFFER, GL_PIXEL_PACK_BUFFER_BINDING,
                                 buffers_[oldest_]);
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    mapped_ = false;
  }
  for (auto& fence : fences_)
    if (fence) glDeleteSync(static_cast<GLsync>(std::exchange(fence, nullptr)));
  glDeleteBuffers(3, buffers_);  // zero names are ignored
  std::fill(std::begin(buffers_), std::end(buffers_), 0u);
}

unsigned PackBufferRing::NextBuffer() const {
  if (pending_ == depth_)
    throw std::logic_error("every read-back buffer is pending; release the oldest first");
  return buffers_[(oldest_ + pending_) % depth_];
}

void PackBufferRing::Queued() {
  fences_[(oldest_ + pending_) % depth_] = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
  glFlush();  // start the copy now, while the caller draws the next frame
  ++pending_;
}

const void* PackBufferRing::MapOldest() {
  if (pending_ == 0) throw std::logic_error("no read-back is pending");
  if (mapped_) throw std::logic_error("the oldest read-back is already mapped");
  if (GLsync fence = static_cast<GLsync>(std::exchange(fences_[oldest_], nullptr))) {
    GLenum wait = GL_TIMEOUT_EXPIRED;
    while (wait == GL_TIMEOUT_EXPIRED)
      wait = glClientWaitSync(fence, GL_SYNC_FLUSH_COMMANDS_BIT, 1'000'000'000);
    glDeleteSync(fence);
    if (wait == GL_WAIT_FAILED) throw std::runtime_error("waiting for a read-back failed");
  }
  gl::ScopedBufferBinding pack(GL_PIXEL_PACK_BUFFER, GL_PIXEL_PACK_BUFFER_BINDING,
                               buffers_[oldest_]);
  const void* bytes = glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0,
                                       static_cast<GLsizeiptr>(frameBytes_), GL_MAP_READ_BIT);
  if (!bytes) throw std::runtime_error("a read-back buffer cannot be mapped");
  mapped_ = true;
  return bytes;
}

void PackBufferRing::ReleaseOldest() {
  if (pending_ == 0) throw std::logic_error("no read-back is pending");
  if (mapped_) {
    gl::ScopedBufferBinding pack(GL_PIXEL_PACK_BUFFER, GL_PIXEL_PACK_BUFFER_BINDING,
                                 buffers_[oldest_]);
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    mapped_ = false;
  }
  if (GLsync fence = static_cast<GLsync>(std::exchange(fences_[oldest_], nullptr)))
    glDeleteSync(fence);
  oldest_ = (oldest_ + 1) % depth_;
  --pending_;
}

}  // namespace hostkit

#include "tools/render/Rgba8TargetReader.h"

#include "hostkit/GLScoped.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

Rgba8TargetReader::Rgba8TargetReader(int width, int height, int depth)
    : width_(width), height_(height), depth_(depth) {
  if (width <= 0 || height <= 0)
    throw std::invalid_argument("read-back size " + std::to_string(width) + "x" +
                                std::to_string(height) + " is not positive");
  if (depth < 2 || depth > 3)
    throw std::invalid_argument("read-back ring depth " + std::to_string(depth) +
                                " is not 2 or 3");
  glGenBuffers(depth_, buffers_);
  hostkit::gl::ScopedBufferBinding pack(GL_PIXEL_PACK_BUFFER, GL_PIXEL_PACK_BUFFER_BINDING, 0);
  for (int i = 0; i < depth_; ++i) {
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[i]);
    glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(FrameBytes()), nullptr,
                 GL_STREAM_READ);
  }
  if (glGetError() == GL_OUT_OF_MEMORY) {
    DeleteObjects();
    throw std::runtime_error("no memory for " + std::to_string(depth_) +
                             " read-back buffers of " + std::to_string(FrameBytes()) + " bytes");
  }
}

Rgba8TargetReader::~Rgba8TargetReader() { DeleteObjects(); }

void Rgba8TargetReader::DeleteObjects() noexcept {
  if (mapped_) {
    hostkit::gl::ScopedBufferBinding pack(GL_PIXEL_PACK_BUFFER, GL_PIXEL_PACK_BUFFER_BINDING,
                                 buffers_[oldest_]);
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    mapped_ = false;
  }
  for (auto& fence : fences_)
    if (fence) glDeleteSync(static_cast<GLsync>(std::exchange(fence, nullptr)));
  glDeleteBuffers(3, buffers_);  // zero names are ignored
  std::fill(std::begin(buffers_), std::end(buffers_), 0u);
}

std::size_t Rgba8TargetReader::FrameBytes() const {
  return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4;
}

void Rgba8TargetReader::Queue(const hostkit::RenderTarget& target) {
  if (pending_ == depth_)
    throw std::logic_error("every read-back buffer is pending; release the oldest first");
  const hostkit::Viewport output = target.GetViewport();
  if (output.width != width_ || output.height != height_ ||
      target.Format() != hostkit::PixelFormat::RGBA8)
    throw std::invalid_argument("the read-back takes an RGBA8 output of " +
                                std::to_string(width_) + "x" + std::to_string(height_));
  const int slot = (oldest_ + pending_) % depth_;
  {
    hostkit::gl::ScopedFramebufferBinding framebuffers;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target.FramebufferName());
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    hostkit::gl::ScopedPackState pack;  // tight rows, whatever the plug-in left set
    hostkit::gl::ScopedBufferBinding buffer(GL_PIXEL_PACK_BUFFER, GL_PIXEL_PACK_BUFFER_BINDING,
                                   buffers_[slot]);
    glReadPixels(output.x, output.y, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  }
  fences_[slot] = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
  glFlush();  // start the copy now, while the caller draws the next frame
  ++pending_;
}

FrameRows Rgba8TargetReader::MapOldest() {
  if (pending_ == 0) throw std::logic_error("no read-back is pending");
  if (mapped_) throw std::logic_error("the oldest read-back is already mapped");
  if (GLsync fence = static_cast<GLsync>(std::exchange(fences_[oldest_], nullptr))) {
    GLenum wait = GL_TIMEOUT_EXPIRED;
    while (wait == GL_TIMEOUT_EXPIRED)
      wait = glClientWaitSync(fence, GL_SYNC_FLUSH_COMMANDS_BIT, 1'000'000'000);
    glDeleteSync(fence);
    if (wait == GL_WAIT_FAILED) throw std::runtime_error("waiting for a read-back failed");
  }
  hostkit::gl::ScopedBufferBinding pack(GL_PIXEL_PACK_BUFFER, GL_PIXEL_PACK_BUFFER_BINDING,
                               buffers_[oldest_]);
  const void* bytes = glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0,
                                       static_cast<GLsizeiptr>(FrameBytes()), GL_MAP_READ_BIT);
  if (!bytes) throw std::runtime_error("a read-back buffer cannot be mapped");
  mapped_ = true;
  const std::ptrdiff_t row = static_cast<std::ptrdiff_t>(width_) * 4;
  return {static_cast<const std::uint8_t*>(bytes) + row * (height_ - 1), -row};
}

void Rgba8TargetReader::ReleaseOldest() {
  if (pending_ == 0) throw std::logic_error("no read-back is pending");
  if (mapped_) {
    hostkit::gl::ScopedBufferBinding pack(GL_PIXEL_PACK_BUFFER, GL_PIXEL_PACK_BUFFER_BINDING,
                                 buffers_[oldest_]);
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    mapped_ = false;
  }
  if (GLsync fence = static_cast<GLsync>(std::exchange(fences_[oldest_], nullptr)))
    glDeleteSync(fence);
  oldest_ = (oldest_ + 1) % depth_;
  --pending_;
}

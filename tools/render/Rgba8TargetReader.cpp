#include "tools/render/Rgba8TargetReader.h"

#include "hostkit/GLScoped.h"

#include <stdexcept>
#include <string>

namespace {

std::size_t CheckedFrameBytes(int width, int height) {
  if (width <= 0 || height <= 0)
    throw std::invalid_argument("read-back size " + std::to_string(width) + "x" +
                                std::to_string(height) + " is not positive");
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
}

}  // namespace

Rgba8TargetReader::Rgba8TargetReader(int width, int height, int depth)
    : width_(width), height_(height), ring_(CheckedFrameBytes(width, height), depth) {}

void Rgba8TargetReader::Queue(const hostkit::RenderTarget& target) {
  const unsigned buffer = ring_.NextBuffer();
  const hostkit::Viewport output = target.GetViewport();
  if (output.width != width_ || output.height != height_ ||
      target.Format() != hostkit::PixelFormat::RGBA8)
    throw std::invalid_argument("the read-back takes an RGBA8 output of " +
                                std::to_string(width_) + "x" + std::to_string(height_));
  {
    hostkit::gl::ScopedFramebufferBinding framebuffers;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target.FramebufferName());
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    hostkit::gl::ScopedPackState pack;  // tight rows, whatever the plug-in left set
    hostkit::gl::ScopedBufferBinding binding(GL_PIXEL_PACK_BUFFER, GL_PIXEL_PACK_BUFFER_BINDING,
                                             buffer);
    glReadPixels(output.x, output.y, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  }
  ring_.Queued();
}

FrameRows Rgba8TargetReader::MapOldest() {
  const auto* bytes = static_cast<const std::uint8_t*>(ring_.MapOldest());
  const std::ptrdiff_t row = static_cast<std::ptrdiff_t>(width_) * 4;
  return {bytes + row * (height_ - 1), -row};
}

void Rgba8TargetReader::ReleaseOldest() { ring_.ReleaseOldest(); }

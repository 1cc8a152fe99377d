#include "gl/OutputCache.h"

namespace ffglex {
namespace {

GLuint Bound(GLenum binding) {
  GLint value = 0;
  glGetIntegerv(binding, &value);
  return static_cast<GLuint>(value);
}

// The settings Render turns off, as the host had them, put back at the end.
class HostSettings {
 public:
  HostSettings() {
    glGetIntegerv(GL_VIEWPORT, viewport_);
    glGetBooleanv(GL_COLOR_WRITEMASK, mask_);
    for (int i = 0; i < kCount; ++i) enabled_[i] = glIsEnabled(kCaps[i]);
  }
  ~HostSettings() {
    for (int i = 0; i < kCount; ++i)
      enabled_[i] ? glEnable(kCaps[i]) : glDisable(kCaps[i]);
    glColorMask(mask_[0], mask_[1], mask_[2], mask_[3]);
    glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
  }
  HostSettings(const HostSettings&) = delete;
  HostSettings& operator=(const HostSettings&) = delete;

 private:
  static constexpr int kCount = 4;
  static constexpr GLenum kCaps[kCount] = {GL_SCISSOR_TEST, GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE};
  GLint viewport_[4] = {0, 0, 0, 0};
  GLboolean mask_[4] = {GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE};
  GLboolean enabled_[kCount] = {};
};

// Binds `framebuffer` to `target` and the earlier one back at the end.
class FramebufferUse {
 public:
  FramebufferUse(GLenum target, GLenum binding, GLuint framebuffer)
      : target_(target), earlier_(Bound(binding)) {
    glBindFramebuffer(target_, framebuffer);
  }
  ~FramebufferUse() { glBindFramebuffer(target_, earlier_); }
  FramebufferUse(const FramebufferUse&) = delete;
  FramebufferUse& operator=(const FramebufferUse&) = delete;

 private:
  GLenum target_;
  GLuint earlier_;
};

}  // namespace

bool OutputCache::Prepare(int width, int height) {
  if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > kMaxPixels) {
    Release();
    return false;
  }
  if (Ready() && width == width_ && height == height_) return true;
  Release();
  while (glGetError() != GL_NO_ERROR) {
  }
  const GLuint earlierRenderbuffer = Bound(GL_RENDERBUFFER_BINDING);
  glGenRenderbuffers(1, &colour_);
  glBindRenderbuffer(GL_RENDERBUFFER, colour_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA32F, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, earlierRenderbuffer);
  glGenFramebuffers(1, &framebuffer_);
  bool complete = false;
  {
    FramebufferUse use(GL_DRAW_FRAMEBUFFER, GL_DRAW_FRAMEBUFFER_BINDING, framebuffer_);
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    complete = glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  }
  // A buffer the driver could not store leaves an error, not an incomplete framebuffer.
  if (!complete || glGetError() != GL_NO_ERROR) {
    Release();
    return false;
  }
  width_ = width;
  height_ = height;
  fresh_ = true;
  return true;
}

void OutputCache::Render(const std::function<void()>& draw) {
  if (!Ready()) return;
  HostSettings settings;
  FramebufferUse use(GL_DRAW_FRAMEBUFFER, GL_DRAW_FRAMEBUFFER_BINDING, framebuffer_);
  for (GLenum cap : {GL_SCISSOR_TEST, GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE}) glDisable(cap);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glViewport(0, 0, width_, height_);
  const GLfloat transparent[4] = {0, 0, 0, 0};
  glClearBufferfv(GL_COLOR, 0, transparent);
  draw();
  fresh_ = false;
}

void OutputCache::CopyTo(int x, int y) {
  if (!Ready()) return;
  FramebufferUse use(GL_READ_FRAMEBUFFER, GL_READ_FRAMEBUFFER_BINDING, framebuffer_);
  glBlitFramebuffer(0, 0, width_, height_, x, y, x + width_, y + height_, GL_COLOR_BUFFER_BIT,
                    GL_NEAREST);
}

void OutputCache::Release() {
  if (framebuffer_ != 0) glDeleteFramebuffers(1, &framebuffer_);
  if (colour_ != 0) glDeleteRenderbuffers(1, &colour_);
  framebuffer_ = 0;
  colour_ = 0;
  width_ = height_ = 0;
  fresh_ = false;
}

}  // namespace ffglex

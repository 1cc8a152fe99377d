#pragma once

// Scope guards for the GL state the kit touches and owners for the GL names it
// creates, so host-side work never leaves a trace in the state a plug-in sees.
// Include before any other GL header (it brings in GLEW).

#include <GL/glew.h>

namespace hostkit::gl {

inline GLint GetInt(GLenum name) {
  GLint value = 0;
  glGetIntegerv(name, &value);
  return value;
}

// Restores the draw and read framebuffer bindings.
class ScopedFramebufferBinding {
 public:
  ScopedFramebufferBinding()
      : draw_(GetInt(GL_DRAW_FRAMEBUFFER_BINDING)), read_(GetInt(GL_READ_FRAMEBUFFER_BINDING)) {}
  ~ScopedFramebufferBinding() {
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(draw_));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read_));
  }
  ScopedFramebufferBinding(const ScopedFramebufferBinding&) = delete;
  ScopedFramebufferBinding& operator=(const ScopedFramebufferBinding&) = delete;

 private:
  GLint draw_, read_;
};

// Binds a 2D texture on the active unit, restoring the previous one.
class ScopedTexture2DBinding {
 public:
  explicit ScopedTexture2DBinding(GLuint texture) : previous_(GetInt(GL_TEXTURE_BINDING_2D)) {
    glBindTexture(GL_TEXTURE_2D, texture);
  }
  ~ScopedTexture2DBinding() { glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous_)); }
  ScopedTexture2DBinding(const ScopedTexture2DBinding&) = delete;
  ScopedTexture2DBinding& operator=(const ScopedTexture2DBinding&) = delete;

 private:
  GLint previous_;
};

// Binds a buffer object to a target (0 to unbind), restoring the previous one.
class ScopedBufferBinding {
 public:
  ScopedBufferBinding(GLenum target, GLenum bindingQuery, GLuint buffer)
      : target_(target), previous_(GetInt(bindingQuery)) {
    glBindBuffer(target_, buffer);
  }
  ~ScopedBufferBinding() { glBindBuffer(target_, static_cast<GLuint>(previous_)); }
  ScopedBufferBinding(const ScopedBufferBinding&) = delete;
  ScopedBufferBinding& operator=(const ScopedBufferBinding&) = delete;

 private:
  GLenum target_;
  GLint previous_;
};

// Sets a capability (GL_SCISSOR_TEST, ...) on or off, restoring it afterwards.
class ScopedCapability {
 public:
  ScopedCapability(GLenum capability, bool enabled)
      : capability_(capability), previous_(glIsEnabled(capability) == GL_TRUE) {
    enabled ? glEnable(capability_) : glDisable(capability_);
  }
  ~ScopedCapability() { previous_ ? glEnable(capability_) : glDisable(capability_); }
  ScopedCapability(const ScopedCapability&) = delete;
  ScopedCapability& operator=(const ScopedCapability&) = delete;

 private:
  GLenum capability_;
  bool previous_;
};

// Opens the colour write mask of draw buffer 0, restoring it afterwards.
class ScopedColorMaskOpen {
 public:
  ScopedColorMaskOpen() {
    glGetBooleani_v(GL_COLOR_WRITEMASK, 0, previous_);
    glColorMaski(0, GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  }
  ~ScopedColorMaskOpen() { glColorMaski(0, previous_[0], previous_[1], previous_[2], previous_[3]); }
  ScopedColorMaskOpen(const ScopedColorMaskOpen&) = delete;
  ScopedColorMaskOpen& operator=(const ScopedColorMaskOpen&) = delete;

 private:
  GLboolean previous_[4] = {GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE};
};

// Tight, unclamped pixel packing into client memory, whatever a plug-in left set.
class ScopedPackState {
 public:
  ScopedPackState()
      : alignment_(GetInt(GL_PACK_ALIGNMENT)),
        rowLength_(GetInt(GL_PACK_ROW_LENGTH)),
        skipRows_(GetInt(GL_PACK_SKIP_ROWS)),
        skipPixels_(GetInt(GL_PACK_SKIP_PIXELS)),
        swapBytes_(GetInt(GL_PACK_SWAP_BYTES)),
        lsbFirst_(GetInt(GL_PACK_LSB_FIRST)),
        clampRead_(GetInt(GL_CLAMP_READ_COLOR)),
        packBuffer_(GL_PIXEL_PACK_BUFFER, GL_PIXEL_PACK_BUFFER_BINDING, 0) {
    Set(1, 0, 0, 0, GL_FALSE, GL_FALSE);
    glClampColor(GL_CLAMP_READ_COLOR, GL_FIXED_ONLY);
  }
  ~ScopedPackState() {
    Set(alignment_, rowLength_, skipRows_, skipPixels_, swapBytes_, lsbFirst_);
    glClampColor(GL_CLAMP_READ_COLOR, static_cast<GLenum>(clampRead_));
  }
  ScopedPackState(const ScopedPackState&) = delete;
  ScopedPackState& operator=(const ScopedPackState&) = delete;

 private:
  static void Set(GLint alignment, GLint rowLength, GLint skipRows, GLint skipPixels, GLint swap, GLint lsb) {
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    glPixelStorei(GL_PACK_ROW_LENGTH, rowLength);
    glPixelStorei(GL_PACK_SKIP_ROWS, skipRows);
    glPixelStorei(GL_PACK_SKIP_PIXELS, skipPixels);
    glPixelStorei(GL_PACK_SWAP_BYTES, swap);
    glPixelStorei(GL_PACK_LSB_FIRST, lsb);
  }

  GLint alignment_, rowLength_, skipRows_, skipPixels_, swapBytes_, lsbFirst_, clampRead_;
  ScopedBufferBinding packBuffer_;
};

// Owns one GL name; Release() hands it over.
template <typename Deleter>
class OwnedName {
 public:
  OwnedName() = default;
  explicit OwnedName(GLuint name) : name_(name) {}
  ~OwnedName() { Reset(); }
  OwnedName(const OwnedName&) = delete;
  OwnedName& operator=(const OwnedName&) = delete;

  GLuint Get() const { return name_; }
  GLuint Release() {
    GLuint name = name_;
    name_ = 0;
    return name;
  }
  void Reset() {
    if (name_ != 0) Deleter{}(name_);
    name_ = 0;
  }

 private:
  GLuint name_ = 0;
};

struct TextureDeleter {
  void operator()(GLuint name) const { glDeleteTextures(1, &name); }
};
struct FramebufferDeleter {
  void operator()(GLuint name) const { glDeleteFramebuffers(1, &name); }
};
using OwnedTexture = OwnedName<TextureDeleter>;
using OwnedFramebuffer = OwnedName<FramebufferDeleter>;

}  // namespace hostkit::gl

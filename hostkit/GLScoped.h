#pragma once

// Scope guards for the GL state the kit touches and owners for the GL names it
// creates, so host-side work never leaves a trace in the state a plug-in sees.
// The restoring scopes themselves live in gl/RestoringScopes.h; this adds the
// host's own: pixel packing for read-back and owners of GL names.
// Include before any other GL header (it brings in GLEW).

#include <GL/glew.h>

#include "gl/RestoringScopes.h"

namespace hostkit::gl {

using namespace ffglex::restoring;

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

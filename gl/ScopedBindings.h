// Binding scopes: each binds on construction and binds 0 again when it ends,
// at End() or at destruction on any way out of the block (exceptions
// included). A scope never restores an earlier binding: it always ends on 0,
// so two scopes of one kind are never nested.
#pragma once

#include <GL/glew.h>

namespace ffglex {

class ScopedProgramUse {
 public:
  explicit ScopedProgramUse(GLuint program) : active_(true) { glUseProgram(program); }
  ~ScopedProgramUse() { End(); }
  ScopedProgramUse(const ScopedProgramUse&) = delete;
  ScopedProgramUse& operator=(const ScopedProgramUse&) = delete;

  void End() {
    if (!active_) return;
    glUseProgram(0);
    active_ = false;
  }

 private:
  bool active_;
};

class ScopedVertexArrayBinding {
 public:
  explicit ScopedVertexArrayBinding(GLuint vertexArray) : active_(true) {
    glBindVertexArray(vertexArray);
  }
  ~ScopedVertexArrayBinding() { End(); }
  ScopedVertexArrayBinding(const ScopedVertexArrayBinding&) = delete;
  ScopedVertexArrayBinding& operator=(const ScopedVertexArrayBinding&) = delete;

  void End() {
    if (!active_) return;
    glBindVertexArray(0);
    active_ = false;
  }

 private:
  bool active_;
};

class ScopedBufferBinding {
 public:
  ScopedBufferBinding(GLenum target, GLuint buffer) : target_(target), active_(true) {
    glBindBuffer(target_, buffer);
  }
  virtual ~ScopedBufferBinding() { End(); }
  ScopedBufferBinding(const ScopedBufferBinding&) = delete;
  ScopedBufferBinding& operator=(const ScopedBufferBinding&) = delete;

  void End() {
    if (!active_) return;
    glBindBuffer(target_, 0);
    active_ = false;
  }

 private:
  GLenum target_;
  bool active_;
};

// The array-buffer (vertex buffer) form.
class ScopedVBOBinding : public ScopedBufferBinding {
 public:
  explicit ScopedVBOBinding(GLuint buffer) : ScopedBufferBinding(GL_ARRAY_BUFFER, buffer) {}
};

}  // namespace ffglex

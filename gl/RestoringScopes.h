// Restoring scopes: each remembers the GL state it changes and puts back
// exactly what it found when it ends.
//
// There are two families of scopes on purpose. A plug-in's own drawing uses
// gl/ScopedBindings.h, which always ends on 0: the host contract asks a
// plug-in to leave the default bindings, whatever it was handed. Code that
// works inside someone else's state uses these instead: the host kit around
// a plug-in's call, and a plug-in's kept picture copied into the host's
// framebuffer, where the host's viewport, framebuffer and capabilities must
// come back as they were.
#pragma once

#include <GL/glew.h>

namespace ffglex::restoring {

inline GLint GetInt(GLenum name) {
  GLint value = 0;
  glGetIntegerv(name, &value);
  return value;
}

// Restores the draw and read framebuffer bindings; the second form binds
// `framebuffer` to `target` (draw, read or both) first.
class ScopedFramebufferBinding {
 public:
  ScopedFramebufferBinding()
      : draw_(GetInt(GL_DRAW_FRAMEBUFFER_BINDING)), read_(GetInt(GL_READ_FRAMEBUFFER_BINDING)) {}
  ScopedFramebufferBinding(GLenum target, GLuint framebuffer) : ScopedFramebufferBinding() {
    glBindFramebuffer(target, framebuffer);
  }
  ~ScopedFramebufferBinding() {
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(draw_));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read_));
  }
  ScopedFramebufferBinding(const ScopedFramebufferBinding&) = delete;
  ScopedFramebufferBinding& operator=(const ScopedFramebufferBinding&) = delete;

 private:
  GLint draw_, read_;
};

// Makes `unit` the active texture unit, restoring the previous one.
class ScopedActiveTexture {
 public:
  explicit ScopedActiveTexture(GLenum unit) : previous_(GetInt(GL_ACTIVE_TEXTURE)) {
    glActiveTexture(unit);
  }
  ~ScopedActiveTexture() { glActiveTexture(static_cast<GLenum>(previous_)); }
  ScopedActiveTexture(const ScopedActiveTexture&) = delete;
  ScopedActiveTexture& operator=(const ScopedActiveTexture&) = delete;

 private:
  GLint previous_;
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

// Makes `program` current, restoring the previous one.
class ScopedCurrentProgram {
 public:
  explicit ScopedCurrentProgram(GLuint program) : previous_(GetInt(GL_CURRENT_PROGRAM)) {
    glUseProgram(program);
  }
  ~ScopedCurrentProgram() { glUseProgram(static_cast<GLuint>(previous_)); }
  ScopedCurrentProgram(const ScopedCurrentProgram&) = delete;
  ScopedCurrentProgram& operator=(const ScopedCurrentProgram&) = delete;

 private:
  GLint previous_;
};

// Binds a vertex array, restoring the previous one.
class ScopedVertexArray {
 public:
  explicit ScopedVertexArray(GLuint vertexArray) : previous_(GetInt(GL_VERTEX_ARRAY_BINDING)) {
    glBindVertexArray(vertexArray);
  }
  ~ScopedVertexArray() { glBindVertexArray(static_cast<GLuint>(previous_)); }
  ScopedVertexArray(const ScopedVertexArray&) = delete;
  ScopedVertexArray& operator=(const ScopedVertexArray&) = delete;

 private:
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

// Sets the viewport, restoring the previous one.
class ScopedViewport {
 public:
  ScopedViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    glGetIntegerv(GL_VIEWPORT, previous_);
    glViewport(x, y, width, height);
  }
  ~ScopedViewport() { glViewport(previous_[0], previous_[1], previous_[2], previous_[3]); }
  ScopedViewport(const ScopedViewport&) = delete;
  ScopedViewport& operator=(const ScopedViewport&) = delete;

 private:
  GLint previous_[4] = {0, 0, 0, 0};
};

// Sets the scissor box, restoring the previous one.
class ScopedScissorBox {
 public:
  ScopedScissorBox(GLint x, GLint y, GLsizei width, GLsizei height) {
    glGetIntegerv(GL_SCISSOR_BOX, previous_);
    glScissor(x, y, width, height);
  }
  ~ScopedScissorBox() { glScissor(previous_[0], previous_[1], previous_[2], previous_[3]); }
  ScopedScissorBox(const ScopedScissorBox&) = delete;
  ScopedScissorBox& operator=(const ScopedScissorBox&) = delete;

 private:
  GLint previous_[4] = {0, 0, 0, 0};
};

// Sets draw buffer 0's blend factors and equation and the blend colour,
// restoring all three afterwards.
class ScopedBlendFunction {
 public:
  ScopedBlendFunction(GLenum sourceRgb, GLenum destinationRgb, GLenum sourceAlpha,
                      GLenum destinationAlpha, const GLfloat colour[4]) {
    glGetIntegeri_v(GL_BLEND_SRC_RGB, 0, &previous_[0]);
    glGetIntegeri_v(GL_BLEND_DST_RGB, 0, &previous_[1]);
    glGetIntegeri_v(GL_BLEND_SRC_ALPHA, 0, &previous_[2]);
    glGetIntegeri_v(GL_BLEND_DST_ALPHA, 0, &previous_[3]);
    glGetIntegeri_v(GL_BLEND_EQUATION_RGB, 0, &previous_[4]);
    glGetIntegeri_v(GL_BLEND_EQUATION_ALPHA, 0, &previous_[5]);
    glGetFloatv(GL_BLEND_COLOR, previousColour_);
    glBlendFuncSeparatei(0, sourceRgb, destinationRgb, sourceAlpha, destinationAlpha);
    glBlendEquationSeparatei(0, GL_FUNC_ADD, GL_FUNC_ADD);
    glBlendColor(colour[0], colour[1], colour[2], colour[3]);
  }
  ~ScopedBlendFunction() {
    const auto e = [this](int i) { return static_cast<GLenum>(previous_[i]); };
    glBlendFuncSeparatei(0, e(0), e(1), e(2), e(3));
    glBlendEquationSeparatei(0, e(4), e(5));
    glBlendColor(previousColour_[0], previousColour_[1], previousColour_[2], previousColour_[3]);
  }
  ScopedBlendFunction(const ScopedBlendFunction&) = delete;
  ScopedBlendFunction& operator=(const ScopedBlendFunction&) = delete;

 private:
  GLint previous_[6] = {GL_ONE, GL_ZERO, GL_ONE, GL_ZERO, GL_FUNC_ADD, GL_FUNC_ADD};
  GLfloat previousColour_[4] = {0, 0, 0, 0};
};

}  // namespace ffglex::restoring

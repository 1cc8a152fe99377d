#include "hdr/FramebufferDepth.h"

#include <GL/glew.h>

namespace hdr {

std::optional<int> DrawFramebufferRedBits() {
  GLint framebuffer = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
  GLint drawBuffer = GL_NONE;
  glGetIntegerv(GL_DRAW_BUFFER0, &drawBuffer);
  GLenum attachment = static_cast<GLenum>(drawBuffer);
  if (framebuffer != 0) {
    if (attachment == GL_NONE) attachment = GL_COLOR_ATTACHMENT0;
  } else {
    // The default framebuffer names its buffers GL_BACK or GL_FRONT as draw
    // buffers, but answers only for their left halves.
    if (attachment == GL_BACK || attachment == GL_NONE) attachment = GL_BACK_LEFT;
    if (attachment == GL_FRONT) attachment = GL_FRONT_LEFT;
  }
  GLint type = GL_NONE;
  glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, attachment,
                                        GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &type);
  if (type == GL_NONE) return std::nullopt;
  GLint bits = 0;
  glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, attachment,
                                        GL_FRAMEBUFFER_ATTACHMENT_RED_SIZE, &bits);
  return bits;
}

}  // namespace hdr

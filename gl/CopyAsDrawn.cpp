#include "gl/CopyAsDrawn.h"

#include <GL/glew.h>

#include <initializer_list>

bool CopyLandsAsDrawn() {
  for (GLenum stage : {GL_BLEND, GL_COLOR_LOGIC_OP, GL_DEPTH_TEST, GL_STENCIL_TEST, GL_CULL_FACE,
                       GL_RASTERIZER_DISCARD, GL_FRAMEBUFFER_SRGB})
    if (glIsEnabled(stage)) return false;
  GLboolean mask[4] = {GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE};
  glGetBooleanv(GL_COLOR_WRITEMASK, mask);
  if (!mask[0] || !mask[1] || !mask[2] || !mask[3]) return false;
  GLint sampleBuffers = 0;
  glGetIntegerv(GL_SAMPLE_BUFFERS, &sampleBuffers);
  return sampleBuffers == 0;
}

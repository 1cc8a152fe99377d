#include "gl/RectBatch.h"

#include <algorithm>

#include "gl/ScopedBindings.h"

namespace ffglex {

bool RectBatch::Create() {
  glGenVertexArrays(1, &vertexArray_);
  return vertexArray_ != 0;
}

void RectBatch::Release() {
  glDeleteVertexArrays(1, &vertexArray_);
  vertexArray_ = 0;
}

void RectBatch::Draw(ShaderProgram& program, const char* arrayName, int perDraw,
                     const std::vector<GLfloat>& rects) const {
  if (vertexArray_ == 0 || perDraw < 1) return;
  const GLint location = program.UniformLocation(arrayName);
  const std::size_t total = rects.size() / 4;
  ScopedVertexArrayBinding scope(vertexArray_);
  for (std::size_t first = 0; first < total; first += static_cast<std::size_t>(perDraw)) {
    const auto count =
        static_cast<GLsizei>(std::min(total - first, static_cast<std::size_t>(perDraw)));
    glUniform4fv(location, count, rects.data() + 4 * first);
    glDrawArrays(GL_TRIANGLES, 0, 6 * count);
  }
  scope.End();
}

}  // namespace ffglex

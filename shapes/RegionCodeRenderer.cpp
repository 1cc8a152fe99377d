#include "shapes/RegionCodeRenderer.h"

#include <cstddef>
#include <cstdint>
#include <limits>

#include "gl/ScopedBindings.h"
#include "shapes/CodeShaders.h"

namespace shapes {
namespace {

constexpr GLuint kCornerAttribute = 0, kPlaceAttribute = 1, kBitsAttribute = 2;
constexpr std::size_t kVerticesPerCode = 6;
// The data square's cells as bits, row by row, 32 to a word.
constexpr int kBitWords = 3;
static_assert(kRegionCodeDataCells <= 32 * kBitWords, "the data square fits the shader's three words");

using Bits = std::uint32_t[kBitWords];

void PackBits(const RegionCodeData& data, Bits& bits) {
  for (std::uint32_t& word : bits) word = 0;
  for (int i = 0; i < kRegionCodeDataCells; ++i)
    if (data[static_cast<std::size_t>(i)]) bits[i / 32] |= std::uint32_t{1} << (i % 32);
}

const void* ByteOffset(std::size_t bytes) {
  return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(bytes));
}

}  // namespace

bool RegionCodeRenderer::Create() {
  if (!program_.Compile(kCodeVertexShaderSource, kCodeFragmentShaderSource)) {
    Release();
    return false;
  }
  glGenVertexArrays(1, &vertexArray_);
  glGenBuffers(1, &buffer_);
  if (vertexArray_ == 0 || buffer_ == 0) {
    Release();
    return false;
  }
  constexpr GLsizei kStride = sizeof(Vertex);
  ffglex::ScopedVertexArrayBinding arrayScope(vertexArray_);
  ffglex::ScopedVBOBinding bufferScope(buffer_);
  glEnableVertexAttribArray(kCornerAttribute);
  glVertexAttribPointer(kCornerAttribute, 2, GL_FLOAT, GL_FALSE, kStride, ByteOffset(offsetof(Vertex, corner)));
  glEnableVertexAttribArray(kPlaceAttribute);
  glVertexAttribPointer(kPlaceAttribute, 3, GL_FLOAT, GL_FALSE, kStride, ByteOffset(offsetof(Vertex, place)));
  glEnableVertexAttribArray(kBitsAttribute);
  glVertexAttribIPointer(kBitsAttribute, kBitWords, GL_UNSIGNED_INT, kStride, ByteOffset(offsetof(Vertex, bits)));
  bufferScope.End();
  arrayScope.End();
  return true;
}

void RegionCodeRenderer::Release() {
  program_.Release();
  if (buffer_ != 0) glDeleteBuffers(1, &buffer_);
  if (vertexArray_ != 0) glDeleteVertexArrays(1, &vertexArray_);
  buffer_ = 0;
  vertexArray_ = 0;
}

void RegionCodeRenderer::Draw(const std::vector<PlacedRegionCode>& codes, const Colour& white, int width,
                              int height) {
  if (!Ready() || width <= 0 || height <= 0) return;
  if (codes.size() > static_cast<std::size_t>(std::numeric_limits<GLsizei>::max()) / kVerticesPerCode) return;
  vertices_.clear();
  for (const PlacedRegionCode& code : codes) {
    if (code.cell <= 0) continue;
    const float x0 = static_cast<float>(code.x), y0 = static_cast<float>(code.y);
    const float side = static_cast<float>(kRegionCodeSide * code.cell);
    Vertex v{};
    v.place[0] = x0;
    v.place[1] = y0;
    v.place[2] = static_cast<float>(code.cell);
    PackBits(code.data, v.bits);
    // The diagonal from top-right to bottom-left, as the rectangles have it.
    const float corners[kVerticesPerCode][2] = {{x0, y0},        {x0 + side, y0}, {x0, y0 + side},
                                                {x0, y0 + side}, {x0 + side, y0}, {x0 + side, y0 + side}};
    for (const auto& corner : corners) {
      v.corner[0] = corner[0];
      v.corner[1] = corner[1];
      vertices_.push_back(v);
    }
  }
  if (vertices_.empty()) return;

  ffglex::ScopedProgramUse programScope(program_.ProgramId());
  glUniform2f(program_.UniformLocation("Res"), static_cast<float>(width), static_cast<float>(height));
  glUniform1i(program_.UniformLocation("Rings"), kRegionCodeRings);
  glUniform1i(program_.UniformLocation("DataSide"), kRegionCodeDataSide);
  glUniform4f(program_.UniformLocation("White"), white.r, white.g, white.b, white.a);
  glUniform4f(program_.UniformLocation("Black"), kBlack.r, kBlack.g, kBlack.b, kBlack.a);
  ffglex::ScopedVertexArrayBinding arrayScope(vertexArray_);
  ffglex::ScopedVBOBinding bufferScope(buffer_);
  // A fresh store each frame: the driver need not wait for the last draw.
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices_.size() * sizeof(Vertex)), vertices_.data(),
               GL_STREAM_DRAW);
  // One instance of all the triangles, as ShapeRenderer draws: llvmpipe runs
  // its vertex pipeline once per instance.
  glDrawArraysInstanced(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices_.size()), 1);
  bufferScope.End();
  arrayScope.End();
  programScope.End();
}

}  // namespace shapes

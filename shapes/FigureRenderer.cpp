#include "shapes/FigureRenderer.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "gl/ScopedBindings.h"
#include "glyphs/GlyphTable.h"
#include "shapes/FigureShaders.h"

namespace shapes {
namespace {

constexpr GLuint kAttributeCount = 4;  // geometry, colour, ground, parameters
// Each figure is six vertices (two triangles) carrying its data, not one
// instance: software renderers run vertex work in wide batches but pay for
// every instance of an instanced draw on its own.
constexpr std::size_t kVerticesPerFigure = 6;
constexpr GLsizei kStride = static_cast<GLsizei>(kFloatsPerFigure * sizeof(float));

const void* ByteOffset(std::size_t bytes) {
  return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(bytes));
}

// The shader text with KIND defined right after its #version line.
std::string WithKind(const char* source, FigureKind kind) {
  std::string text = source;
  const std::size_t line = text.find('\n');
  const std::string define = "#define KIND " + std::to_string(static_cast<int>(kind)) + "\n";
  text.insert(line == std::string::npos ? text.size() : line + 1, define);
  return text;
}

// Points the attributes at the bound buffer's vertices.
void PointAttributes() {
  for (GLuint a = 0; a < kAttributeCount; ++a)
    glVertexAttribPointer(a, 4, GL_FLOAT, GL_FALSE, kStride, ByteOffset(4 * a * sizeof(float)));
}

}  // namespace

bool FigureRenderer::Create() {
  // One program now, so that a context that cannot run the figure shaders
  // is refused here rather than at the first frame; the others on first use.
  if (!EnsureProgram(FigureKind::Solid)) {
    Release();
    return false;
  }
  glGenVertexArrays(1, &vertexArray_);
  glGenBuffers(1, &buffer_);
  if (vertexArray_ == 0 || buffer_ == 0) {
    Release();
    return false;
  }
  ffglex::ScopedVertexArrayBinding arrayScope(vertexArray_);
  ffglex::ScopedVBOBinding bufferScope(buffer_);
  for (GLuint a = 0; a < kAttributeCount; ++a) glEnableVertexAttribArray(a);
  PointAttributes();
  bufferScope.End();
  arrayScope.End();
  return true;
}

void FigureRenderer::Release() {
  for (auto& program : programs_) program.Release();
  built_.fill(false);
  if (buffer_ != 0) glDeleteBuffers(1, &buffer_);
  if (vertexArray_ != 0) glDeleteVertexArrays(1, &vertexArray_);
  buffer_ = 0;
  vertexArray_ = 0;
  runs_.clear();
  count_ = 0;
  capacityBytes_ = 0;
  staging_ = {};
}

bool FigureRenderer::EnsureProgram(FigureKind kind) {
  const auto index = static_cast<std::size_t>(kind);
  if (index >= kFigureKindCount) return false;
  if (built_[index]) return true;
  ffglex::ShaderProgram& program = programs_[index];
  if (!program.Compile(WithKind(kFigureVertexShaderSource, kind).c_str(),
                       WithKind(kFigureFragmentShaderSource, kind).c_str()))
    return false;
  if (kind == FigureKind::Glyph || kind == FigureKind::TextRun) {
    // The font never changes: loaded into the program once.
    const auto words = PackGlyphs<kGlyphTableSize>();
    ffglex::ScopedProgramUse use(program.ProgramId());
    glUniform1iv(program.UniformLocation("Glyphs"), static_cast<GLsizei>(words.size()),
                 words.data());
  }
  built_[index] = true;
  return true;
}

bool FigureRenderer::Upload(const FigureList& list) {
  // New storage for every whole list, as a driver best handles a buffer
  // that earlier draws may still read; the vertices are not kept.
  capacityBytes_ = 0;
  if (!Reserve(list)) return false;
  UploadPart(list, 0, count_);
  staging_ = {};
  return true;
}

bool FigureRenderer::Reserve(const FigureList& list) {
  runs_.clear();
  count_ = 0;
  if (!Ready()) return false;
  const std::size_t count = list.Count();
  if (count > static_cast<std::size_t>(std::numeric_limits<GLsizei>::max()) /
                  (kFloatsPerFigure * kVerticesPerFigure))
    return false;
  std::vector<Run> runs;
  for (std::size_t i = 0; i < count; ++i) {
    const FigureKind kind = list.KindAt(i);
    if (!runs.empty() && runs.back().kind == kind)
      ++runs.back().count;
    else
      runs.push_back({kind, i, 1});
  }
  for (const Run& run : runs)
    if (!EnsureProgram(run.kind)) return false;
  // The storage is made anew only when the list outgrows it: a new list of
  // the same size costs no allocation.
  const std::size_t bytes = count * kVerticesPerFigure * kFloatsPerFigure * sizeof(float);
  if (bytes > capacityBytes_ || capacityBytes_ == 0) {
    ffglex::ScopedVBOBinding bufferScope(buffer_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(std::max<std::size_t>(bytes, 1)),
                 nullptr, GL_STATIC_DRAW);
    bufferScope.End();
    capacityBytes_ = std::max<std::size_t>(bytes, 1);
  }
  runs_ = std::move(runs);
  count_ = count;
  return true;
}

void FigureRenderer::UploadPart(const FigureList& list, std::size_t first, std::size_t count) {
  const std::size_t end = std::min({first + count, count_, list.Count()});
  if (!Ready() || first >= end) return;
  // Each figure's data repeated for its six vertices, only for the part sent.
  const float* data = list.InstanceData().data();
  constexpr std::size_t kFloatsPerVertexFigure = kFloatsPerFigure * kVerticesPerFigure;
  staging_.resize((end - first) * kFloatsPerVertexFigure);
  float* to = staging_.data();
  for (std::size_t i = first; i < end; ++i) {
    const float* figure = data + i * kFloatsPerFigure;
    for (std::size_t v = 0; v < kVerticesPerFigure; ++v, to += kFloatsPerFigure)
      std::copy(figure, figure + kFloatsPerFigure, to);
  }
  ffglex::ScopedVBOBinding bufferScope(buffer_);
  glBufferSubData(GL_ARRAY_BUFFER,
                  static_cast<GLintptr>(first * kFloatsPerVertexFigure * sizeof(float)),
                  static_cast<GLsizeiptr>(staging_.size() * sizeof(float)), staging_.data());
  bufferScope.End();
}

void FigureRenderer::Draw(int width, int height) { Draw(width, height, 0, count_); }

void FigureRenderer::Draw(int width, int height, std::size_t first, std::size_t count) {
  if (!Ready() || runs_.empty() || width <= 0 || height <= 0) return;
  const std::size_t end = std::min(count_, first + std::min(count, count_));
  ffglex::ScopedVertexArrayBinding arrayScope(vertexArray_);
  for (const Run& whole : runs_) {
    // The part of this run inside [first, end).
    const std::size_t from = std::max(whole.first, first);
    const std::size_t to = std::min(whole.first + whole.count, end);
    if (from >= to) continue;
    const Run run{whole.kind, from, to - from};
    ffglex::ShaderProgram& program = programs_[static_cast<std::size_t>(run.kind)];
    ffglex::ScopedProgramUse programScope(program.ProgramId());
    glUniform2f(program.UniformLocation("Res"), static_cast<float>(width),
                static_cast<float>(height));
    glDrawArrays(GL_TRIANGLES, static_cast<GLint>(run.first * kVerticesPerFigure),
                 static_cast<GLsizei>(run.count * kVerticesPerFigure));
    programScope.End();
  }
  arrayScope.End();
}

}  // namespace shapes

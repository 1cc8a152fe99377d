// The GL helper layer's call-level promises, checked by counting the calls
// that go through GLEW's function pointers.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/GLContextSuite.h"
#include "gl/ProgramCache.h"
#include "gl/RectBatch.h"
#include "gl/ScopedBindings.h"
#include "gl/ScreenQuad.h"
#include "gl/ShaderProgram.h"
#include "hostkit/GLContext.h"
#include "hostkit/GLInterceptor.h"
#include "free/shaders/ShaderSources.h"

namespace {

using hostkit::GLCallCounter;

class GLLayer : public GLContextSuite {
 protected:

  static GLint Binding(GLenum query) {
    GLint value = -1;
    glGetIntegerv(query, &value);
    return value;
  }

};

const char kVertex[] = "#version 410 core\nlayout(location = 0) in vec4 p;\nvoid main() { gl_Position = p; }\n";
const char kFragment[] =
    "#version 410 core\nuniform float Level;\nout vec4 c;\nvoid main() { c = vec4(Level); }\n";
const char kBroken[] = "#version 410 core\nvoid main() { this is not glsl; }\n";

// Runs `compile` with both output channels captured; answers the lines
// written. Assertions about `compile`'s answer belong outside the capture.
std::vector<std::string> DiagnosticLines(const std::function<void()>& compile) {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  compile();
  const std::string out = testing::internal::GetCapturedStdout();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(out, err) << "each diagnostic goes to both channels";
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(out.substr(start, end - start));
  EXPECT_EQ(start, out.size()) << "every line ends with a newline";
  return lines;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

TEST_F(GLLayer, CompiledProgramCachesUniformLocations) {
  ffglex::ShaderProgram program;
  ASSERT_TRUE(program.Compile(kVertex, kFragment));
  ASSERT_NE(program.ProgramId(), 0u);

  GLCallCounter counter;
  const GLint level = program.UniformLocation("Level");
  EXPECT_GE(level, 0);
  EXPECT_EQ(program.UniformLocation("Missing"), -1);
  EXPECT_EQ(counter.Count("glGetUniformLocation"), 2);

  counter.Reset();
  EXPECT_EQ(program.UniformLocation("Level"), level);
  EXPECT_EQ(program.UniformLocation("Missing"), -1);
  EXPECT_EQ(counter.Total(), 0) << "cached lookups make no GL call";

  // A new link asks GL again.
  program.Release();
  ASSERT_TRUE(program.Compile(kVertex, kFragment));
  counter.Reset();
  program.UniformLocation("Level");
  EXPECT_EQ(counter.Count("glGetUniformLocation"), 1);

  counter.Reset();
  glUseProgram(program.ProgramId());
  program.SetFloat("Level", 0.5f);
  glUseProgram(0);
  EXPECT_EQ(counter.Count("glUniform1f"), 1);
  EXPECT_EQ(counter.Count("glGetUniformLocation"), 0);
  program.Release();
}

TEST_F(GLLayer, ReleaseDeletesOnceThenMakesNoCall) {
  ffglex::ShaderProgram program;
  {
    GLCallCounter counter;
    program.Release();
    EXPECT_EQ(counter.Total(), 0);
  }
  ASSERT_TRUE(program.Compile(kVertex, kFragment));
  const GLuint name = program.ProgramId();
  GLCallCounter counter;
  program.Release();
  EXPECT_EQ(counter.Count("glDeleteShader"), 2);
  EXPECT_EQ(counter.Count("glDeleteProgram"), 1);
  EXPECT_EQ(program.ProgramId(), 0u);
  EXPECT_EQ(glIsProgram(name), GL_FALSE);
  counter.Reset();
  program.Release();
  EXPECT_EQ(counter.Total(), 0);
}

TEST_F(GLLayer, MissingSourcesFailSilentlyWithoutGL) {
  const char* sources[][2] = {{nullptr, kFragment}, {"", kFragment}, {kVertex, nullptr},
                              {kVertex, ""},        {nullptr, nullptr}};
  for (const auto& pair : sources) {
    ffglex::ShaderProgram program;
    GLCallCounter counter;
    bool compiled = true;
    const auto lines = DiagnosticLines([&] { compiled = program.Compile(pair[0], pair[1]); });
    EXPECT_FALSE(compiled);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(counter.Total(), 0);
    EXPECT_EQ(program.ProgramId(), 0u);
  }
}

TEST_F(GLLayer, VertexFailureLogsOneLineAndSkipsTheFragmentStage) {
  ffglex::ShaderProgram program;
  GLCallCounter counter;
  bool compiled = true;
  const auto lines = DiagnosticLines([&] { compiled = program.Compile(kBroken, kFragment); });
  EXPECT_FALSE(compiled);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(StartsWith(lines[0], "Vertex Shader error: ")) << lines[0];
  EXPECT_GT(lines[0].size(), std::string("Vertex Shader error: ").size()) << "carries the log";
  EXPECT_EQ(counter.Count("glCreateShader"), 1);
  EXPECT_EQ(counter.Count("glDeleteShader"), 1);
  EXPECT_EQ(counter.Count("glCreateProgram"), 0);
  EXPECT_EQ(program.ProgramId(), 0u);
  counter.Reset();
  program.Release();
  EXPECT_EQ(counter.Total(), 0) << "everything was already released";
}

TEST_F(GLLayer, FragmentFailureReleasesTheCompiledVertexStage) {
  ffglex::ShaderProgram program;
  GLCallCounter counter;
  bool compiled = true;
  const auto lines = DiagnosticLines([&] { compiled = program.Compile(kVertex, kBroken); });
  EXPECT_FALSE(compiled);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(StartsWith(lines[0], "Fragment Shader error: ")) << lines[0];
  EXPECT_EQ(counter.Count("glCreateShader"), 2);
  EXPECT_EQ(counter.Count("glDeleteShader"), 2);
  EXPECT_EQ(counter.Count("glCreateProgram"), 0);
  EXPECT_EQ(program.ProgramId(), 0u);
}

TEST_F(GLLayer, LinkFailureCarriesTheFragmentPrefix) {
  // Both stages compile, but the fragment stage has no main function.
  const char fragment[] =
      "#version 410 core\nout vec4 c;\nvoid paint() { c = vec4(1.0); }\n";
  ffglex::ShaderProgram program;
  GLCallCounter counter;
  bool compiled = true;
  const auto lines = DiagnosticLines([&] { compiled = program.Compile(kVertex, fragment); });
  EXPECT_FALSE(compiled);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(StartsWith(lines[0], "Fragment Shader error: ")) << lines[0];
  EXPECT_LE(lines[0].size(), std::string("Fragment Shader error: ").size() + 1023);
  EXPECT_EQ(counter.Count("glLinkProgram"), 1);
  EXPECT_EQ(counter.Count("glDeleteProgram"), 1);
  EXPECT_EQ(counter.Count("glDeleteShader"), 2);
  EXPECT_EQ(program.ProgramId(), 0u);
}

TEST_F(GLLayer, ThePatternShadersCompileAndLink) {
  ffglex::ShaderProgram program;
  bool compiled = false;
  const auto lines = DiagnosticLines(
      [&] { compiled = program.Compile(kVertexShaderSource, kFragmentShaderSource); });
  EXPECT_TRUE(compiled);
  EXPECT_TRUE(lines.empty());
  EXPECT_GE(program.UniformLocation("Font"), 0);
  EXPECT_GE(program.UniformLocation("Res"), 0);
  program.Release();
}

TEST_F(GLLayer, QuadCreatesDrawsAndReleasesWithoutLeftoverBindings) {
  ffglex::ScreenQuad quad;
  {
    GLCallCounter counter;
    quad.Draw();
    EXPECT_EQ(counter.Total(), 0) << "an empty quad draws nothing";
  }
  ASSERT_TRUE(quad.Create(false));
  EXPECT_NE(quad.VertexArray(), 0u);
  EXPECT_NE(quad.VertexBuffer(), 0u);
  EXPECT_EQ(Binding(GL_VERTEX_ARRAY_BINDING), 0);
  EXPECT_EQ(Binding(GL_ARRAY_BUFFER_BINDING), 0);

  GLCallCounter counter;
  quad.Draw();
  EXPECT_EQ(counter.Count("glBindVertexArray"), 2) << "one bind, one unbind";
  EXPECT_EQ(counter.Total(), 2);
  EXPECT_EQ(Binding(GL_VERTEX_ARRAY_BINDING), 0);

  const GLuint vertexArray = quad.VertexArray();
  counter.Reset();
  quad.Release();
  EXPECT_EQ(glIsVertexArray(vertexArray), GL_FALSE);
  EXPECT_EQ(quad.VertexArray(), 0u);
  quad.Release();  // on an empty quad both deletes still run, with name 0
  EXPECT_EQ(counter.Count("glDeleteBuffers"), 2);
  EXPECT_EQ(counter.Count("glDeleteVertexArrays"), 2);
  counter.Reset();
  quad.Draw();
  EXPECT_EQ(counter.Total(), 0);
}

TEST_F(GLLayer, QuadVertexDataAndFlippedCoordinates) {
  for (bool flip : {false, true}) {
    ffglex::ScreenQuad quad;
    ASSERT_TRUE(quad.Create(flip));
    float data[6][5] = {};
    glBindBuffer(GL_ARRAY_BUFFER, quad.VertexBuffer());
    GLint size = 0;
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, sizeof data, data);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    EXPECT_EQ(size, 120);
    // Vertex 1 is the top-left corner, vertex 6 the bottom-right one.
    EXPECT_EQ(data[0][2], -1.0f);
    EXPECT_EQ(data[0][3], 1.0f);
    EXPECT_EQ(data[5][2], 1.0f);
    EXPECT_EQ(data[5][3], -1.0f);
    EXPECT_EQ(data[0][0], 0.0f);
    EXPECT_EQ(data[0][1], flip ? 0.0f : 1.0f);
    EXPECT_EQ(data[5][0], 1.0f);
    EXPECT_EQ(data[5][1], flip ? 1.0f : 0.0f);

    GLint stride = 0;
    void* offset = nullptr;
    glBindVertexArray(quad.VertexArray());
    glGetVertexAttribiv(0, GL_VERTEX_ATTRIB_ARRAY_STRIDE, &stride);
    glGetVertexAttribPointerv(0, GL_VERTEX_ATTRIB_ARRAY_POINTER, &offset);
    glBindVertexArray(0);
    EXPECT_EQ(stride, 20);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(offset), 8u);
    quad.Release();
  }
}

TEST_F(GLLayer, ScopesEndWithExactlyOneUnbindToZero) {
  GLuint buffers[2];
  glGenBuffers(2, buffers);
  glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);  // a binding made before the scope
  {
    GLCallCounter counter;
    {
      ffglex::ScopedVBOBinding scope(buffers[1]);
      EXPECT_EQ(Binding(GL_ARRAY_BUFFER_BINDING), static_cast<GLint>(buffers[1]));
      scope.End();
      scope.End();
      EXPECT_EQ(Binding(GL_ARRAY_BUFFER_BINDING), 0) << "ends on 0, not the earlier binding";
    }
    EXPECT_EQ(counter.Count("glBindBuffer"), 2) << "one bind, one unbind, none at destruction";
  }
  {
    GLCallCounter counter;
    { ffglex::ScopedVertexArrayBinding scope(0); }
    { ffglex::ScopedProgramUse scope(0); }
    { ffglex::ScopedBufferBinding scope(GL_ELEMENT_ARRAY_BUFFER, 0); }
    EXPECT_EQ(counter.Count("glBindVertexArray"), 2) << "a scope on 0 still unbinds";
    EXPECT_EQ(counter.Count("glUseProgram"), 2);
    EXPECT_EQ(counter.Count("glBindBuffer"), 2);
  }
  {
    GLCallCounter counter;
    {
      ffglex::ScopedProgramUse scope(0);
      scope.End();
    }
    EXPECT_EQ(counter.Count("glUseProgram"), 2) << "End then destruction: one unbind";
  }
  glDeleteBuffers(2, buffers);
}

TEST_F(GLLayer, ProgramScopeUnbindsWhenAnExceptionLeavesTheBlock) {
  ffglex::ShaderProgram program;
  ASSERT_TRUE(program.Compile(kVertex, kFragment));
  try {
    ffglex::ScopedProgramUse scope(program.ProgramId());
    EXPECT_EQ(Binding(GL_CURRENT_PROGRAM), static_cast<GLint>(program.ProgramId()));
    throw std::runtime_error("thrown between bind and End");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(Binding(GL_CURRENT_PROGRAM), 0);
  program.Release();
}

TEST_F(GLLayer, ProgramCacheBuildsOnceEvictsTheLeastRecentlyUsedAndReleasesAll) {
  GLCallCounter counter;
  ffglex::ProgramCache cache(2);
  int sourcesAsked = 0;
  auto good = [&] {
    ++sourcesAsked;
    return ffglex::ProgramCache::Sources{kVertex, kFragment};
  };
  cache.BeginFrame();
  ffglex::ShaderProgram* one = cache.Get(1, good);
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(cache.Get(1, good), one);
  EXPECT_EQ(sourcesAsked, 1);
  cache.BeginFrame();
  ASSERT_NE(cache.Get(2, good), nullptr);
  cache.BeginFrame();
  cache.Get(2, good);
  // Full: key 1, unused longest, gives way to key 3.
  const GLuint oneName = one->ProgramId();
  ASSERT_NE(cache.Get(3, good), nullptr);
  EXPECT_EQ(cache.Size(), 2u);
  EXPECT_EQ(glIsProgram(oneName), GL_FALSE);
  // Within one frame nothing in use gives way: the cache grows instead.
  cache.Get(4, good);
  EXPECT_EQ(cache.Size(), 3u);

  // A failed build is answered null and not tried again.
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  auto broken = [&] {
    ++sourcesAsked;
    return ffglex::ProgramCache::Sources{kVertex, kBroken};
  };
  EXPECT_EQ(cache.Get(9, broken), nullptr);
  EXPECT_EQ(cache.Get(9, broken), nullptr);
  testing::internal::GetCapturedStdout();
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(sourcesAsked, 5);

  cache.ReleaseAll();
  EXPECT_EQ(cache.Size(), 0u);
  EXPECT_EQ(counter.Count("glCreateProgram"), counter.Count("glDeleteProgram"));
  EXPECT_EQ(counter.Count("glCreateShader"), counter.Count("glDeleteShader"));
}

TEST_F(GLLayer, RectBatchLeavesNoVertexArrayBoundAndReleasesItsOwn) {
  ffglex::RectBatch batch;
  ASSERT_TRUE(batch.Create());
  const GLuint name = batch.VertexArray();
  ffglex::ShaderProgram program;
  ASSERT_TRUE(program.Compile(kRegionVertexShaderSource, kFragment));
  glUseProgram(program.ProgramId());
  // More rectangles than one draw takes: three uploads of the array.
  const std::vector<GLfloat> rects(4 * 5, 0.0f);
  GLCallCounter counter;
  batch.Draw(program, "Rects", 2, rects);
  EXPECT_EQ(counter.Count("glUniform4fv"), 3);
  EXPECT_EQ(Binding(GL_VERTEX_ARRAY_BINDING), 0);
  glUseProgram(0);
  program.Release();
  batch.Release();
  EXPECT_EQ(glIsVertexArray(name), GL_FALSE);
  EXPECT_EQ(batch.VertexArray(), 0u);
}

}  // namespace

// The render tool's 8-bit read-back (a GPU pass into pack buffers) gives
// exactly the bytes of the float read-back converted on the CPU, the path the
// tool took before: for hand-picked and random premultiplied values, for every
// preset of the plug-in on opaque and transparent backgrounds, and for an
// output that sits inside a larger target. It keeps frames apart in its ring
// and leaves the GL state as it found it.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tests/GLContextSuite.h"
#include "hostkit/GLContext.h"
#include "hostkit/HostInstance.h"
#include "hostkit/PluginLibrary.h"
#include "hostkit/RenderTarget.h"
#include "hostkit/StraightRgba8Reader.h"

namespace {

using hostkit::PixelFormat;
using hostkit::RenderTarget;
using hostkit::StraightRgba8Reader;
using hostkit::Viewport;

class StraightRgba8ReaderTest : public GLContextSuite {
 protected:

};

// What the tool wrote before: the float read-back, converted on the CPU.
std::vector<std::uint8_t> CpuBytes(const RenderTarget& target) {
  const std::vector<float> floats = target.ReadOutput();
  std::vector<std::uint8_t> bytes(floats.size());
  hostkit::StraightRgba8FromPremultiplied(floats.data(), floats.size(), bytes.data());
  return bytes;
}

std::vector<std::uint8_t> ReaderBytes(StraightRgba8Reader& reader, const RenderTarget& target) {
  reader.Queue(target);
  const std::uint8_t* mapped = reader.MapOldest();
  std::vector<std::uint8_t> bytes(mapped, mapped + reader.FrameBytes());
  reader.ReleaseOldest();
  return bytes;
}

// Names the first differing pixel, with the float it came from.
void ExpectSameBytes(const std::vector<std::uint8_t>& expected,
                     const std::vector<std::uint8_t>& actual, const RenderTarget& target,
                     const std::string& what) {
  ASSERT_EQ(expected.size(), actual.size()) << what;
  const int width = target.GetViewport().width;
  int differing = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (expected[i] == actual[i]) continue;
    if (differing++ == 0) {
      const std::size_t pixel = i / 4;
      const int x = static_cast<int>(pixel % static_cast<std::size_t>(width));
      const int y = static_cast<int>(pixel / static_cast<std::size_t>(width));
      const auto p = target.OutputPixel(x, y);
      ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") channel " << i % 4
                    << " expected " << int{expected[i]} << ", observed " << int{actual[i]}
                    << " from premultiplied (" << p[0] << ", " << p[1] << ", " << p[2] << ", "
                    << p[3] << ")";
    }
  }
  EXPECT_EQ(differing, 0) << what << ": bytes that differ";
}

// Puts premultiplied pixels straight into the target's texture, rows in GL
// order (bottom-up), so that any value can be tried.
void Upload(const RenderTarget& target, const std::vector<float>& pixels) {
  glBindTexture(GL_TEXTURE_2D, target.TextureName());
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, target.Width(), target.Height(), GL_RGBA, GL_FLOAT,
                  pixels.data());
  glBindTexture(GL_TEXTURE_2D, 0);
}

TEST_F(StraightRgba8ReaderTest, HandPickedAndRandomValuesGiveTheCpuBytes) {
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  constexpr float kInf = std::numeric_limits<float>::infinity();
  constexpr float kTiny = std::numeric_limits<float>::denorm_min();
  // Just below, at and just above a rounding half: k + 0.5 steps of 1/255.
  const float half = 127.5f / 255.0f;
  const std::vector<std::array<float, 4>> picked = {
      {0, 0, 0, 0},           {1, 1, 1, 1},          {0.5f, 0.25f, 0.125f, 1},
      {0.5f, 0.25f, 0.1f, 0.5f}, {0.3f, 0.2f, 0.1f, 0.3f}, {0.2f, 0.4f, 0.6f, 0.6f},
      {std::nextafter(half, 0.0f), half, std::nextafter(half, 1.0f), 1},
      {0.49999997f / 255.0f, 1.5f / 255.0f, 254.5f / 255.0f, 1},
      {0.7f, 0.1f, 0.0f, 0.2f},  // colour above alpha: clamps to 1
      {-0.5f, 2.0f, -0.0f, 1},   {0.1f, 0.2f, 0.3f, 0},  {0.1f, 0.2f, 0.3f, -0.5f},
      {0.1f, 0.2f, 0.3f, 1.5f},  {kTiny, kTiny, 0, kTiny}, {1e-20f, 3e-21f, 0, 2e-20f},
      // Subnormals, which a GPU may read as zero, and alphas below 2^-100.
      {1e-39f, 5e-40f, -1e-39f, 2e-38f}, {1e-39f, 2e-40f, 3e-39f, 2e-39f},
      {1e-31f, 3e-32f, 0.5f, 2e-31f},    {-kTiny, 1e-45f, 1.2e-38f, 1.1e-38f},
      {kInf, 0.5f, 0.5f, 1},     {0.5f, 0.5f, 0.5f, kInf}, {kNaN, 0.5f, 0.5f, 1},
      {0.5f, 0.5f, 0.5f, kNaN},  {1.0f / 3, 2.0f / 3, 1.0f / 7, 5.0f / 7},
  };
  constexpr int kWidth = 64, kHeight = 48;
  std::vector<float> pixels;
  for (const auto& p : picked) pixels.insert(pixels.end(), p.begin(), p.end());
  // The rest: straight colours premultiplied by random alphas, the way the
  // plug-in's soft edges come out, and bytes of every level.
  std::mt19937 random(20261208);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  std::uniform_int_distribution<int> level(0, 255);
  while (pixels.size() < static_cast<std::size_t>(kWidth * kHeight * 4)) {
    const bool fromLevels = (pixels.size() / 4) % 2 == 0;
    const float alpha = fromLevels ? static_cast<float>(level(random)) / 255.0f : unit(random);
    for (int c = 0; c < 3; ++c)
      pixels.push_back((fromLevels ? static_cast<float>(level(random)) / 255.0f : unit(random)) *
                       alpha);
    pixels.push_back(alpha);
  }
  RenderTarget target(kWidth, kHeight, PixelFormat::RGBA32F);
  Upload(target, pixels);
  StraightRgba8Reader reader(kWidth, kHeight);
  ExpectSameBytes(CpuBytes(target), ReaderBytes(reader, target), target, "uploaded values");
}

TEST_F(StraightRgba8ReaderTest, OutputInsideALargerTargetIsReadTopDown) {
  // Distinct values everywhere, so any offset or flip shows.
  constexpr int kWidth = 40, kHeight = 30;
  std::vector<float> pixels;
  for (int i = 0; i < kWidth * kHeight; ++i)
    for (int c = 0; c < 4; ++c)
      pixels.push_back(static_cast<float>((i * 7 + c * 61) % 256) / 255.0f);
  RenderTarget target(kWidth, kHeight, PixelFormat::RGBA32F);
  Upload(target, pixels);
  target.SetViewport(Viewport{5, 3, 17, 11});
  StraightRgba8Reader reader(17, 11, 2);
  ExpectSameBytes(CpuBytes(target), ReaderBytes(reader, target), target, "viewport (5, 3) 17x11");
}

TEST_F(StraightRgba8ReaderTest, EveryPresetOnEveryBackgroundGivesTheCpuBytes) {
  const hostkit::PluginLibrary plugin(VELTRIMA_FREE_PLUGIN_PATH);
  auto findParameter = [&](const std::string& name) {
    for (FFUInt32 id = 0; id < plugin.GetNumParameters(); ++id)
      if (const char* text = plugin.GetParameterName(id); text && name == text) return id;
    ADD_FAILURE() << "no parameter " << name;
    return FFUInt32{0};
  };
  const FFUInt32 preset = findParameter("Preset");
  const FFUInt32 background = findParameter("Background");
  const FFUInt32 presets = plugin.GetElementCount(nullptr, preset);
  const FFUInt32 backgrounds = plugin.GetElementCount(nullptr, background);
  ASSERT_GE(presets, 10u);
  ASSERT_GE(backgrounds, 2u);
  // An odd size, so that panels, text and the ball's rim fall between pixels.
  constexpr int kWidth = 241, kHeight = 137;
  StraightRgba8Reader reader(kWidth, kHeight);
  for (FFUInt32 p = 0; p < presets; ++p)
    for (FFUInt32 b = 0; b < backgrounds; ++b) {
      hostkit::HostInstance host(plugin, kWidth, kHeight);
      host.Set(preset, static_cast<float>(p));
      host.Set(background, static_cast<float>(b));
      ASSERT_EQ(host.RunFrames(1), FFUInt32{FF_SUCCESS});
      ExpectSameBytes(CpuBytes(host.Target()), ReaderBytes(reader, host.Target()), host.Target(),
                      std::string("preset ") + plugin.GetElementName(nullptr, preset, p) +
                          ", background " + plugin.GetElementName(nullptr, background, b));
    }
}

TEST_F(StraightRgba8ReaderTest, RingKeepsQueuedFramesApartAndInOrder) {
  RenderTarget target(8, 4, PixelFormat::RGBA32F);
  StraightRgba8Reader reader(8, 4, 3);
  const std::uint8_t levels[] = {10, 120, 250};
  for (std::uint8_t level : levels) {
    const float v = static_cast<float>(level) / 255.0f;
    target.Clear(v, v, v, 1);
    reader.Queue(target);
  }
  EXPECT_THROW(reader.Queue(target), std::logic_error);
  for (std::uint8_t level : levels) {
    const std::uint8_t* bytes = reader.MapOldest();
    EXPECT_EQ(bytes[0], level);
    EXPECT_EQ(bytes[reader.FrameBytes() - 2], level);
    reader.ReleaseOldest();
  }
  EXPECT_EQ(reader.Pending(), 0);
  EXPECT_THROW(reader.MapOldest(), std::logic_error);
  EXPECT_THROW(reader.ReleaseOldest(), std::logic_error);
}

TEST_F(StraightRgba8ReaderTest, RefusesAnOutputOfAnotherSizeAndBadShapes) {
  RenderTarget target(8, 4, PixelFormat::RGBA32F);
  StraightRgba8Reader reader(4, 4);
  EXPECT_THROW(reader.Queue(target), std::invalid_argument);
  EXPECT_EQ(reader.Pending(), 0);
  EXPECT_THROW(StraightRgba8Reader(0, 4), std::invalid_argument);
  EXPECT_THROW(StraightRgba8Reader(4, 4, 1), std::invalid_argument);
  EXPECT_THROW(StraightRgba8Reader(4, 4, 4), std::invalid_argument);
}

// The state a plug-in may have left (and a host may rely on) is untouched:
// each binding and setting the pass changes, set to something unusual first.
TEST_F(StraightRgba8ReaderTest, LeavesTheGLStateAsItFoundIt) {
  RenderTarget target(16, 8, PixelFormat::RGBA32F);
  StraightRgba8Reader reader(16, 8);
  // A linked program (a vertex stage is enough) is what a plug-in may leave bound.
  const GLuint program = glCreateProgram();
  const GLuint vertex = glCreateShader(GL_VERTEX_SHADER);
  const char* source = "#version 410 core\nvoid main() { gl_Position = vec4(0.0); }\n";
  glShaderSource(vertex, 1, &source, nullptr);
  glCompileShader(vertex);
  glAttachShader(program, vertex);
  glLinkProgram(program);
  glDeleteShader(vertex);
  GLuint vertexArray = 0, texture = 0, buffer = 0, sampler = 0;
  glGenVertexArrays(1, &vertexArray);
  glGenTextures(1, &texture);
  glGenBuffers(1, &buffer);
  glGenSamplers(1, &sampler);
  glUseProgram(program);
  glBindVertexArray(vertexArray);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, texture);
  glBindSampler(0, sampler);
  glActiveTexture(GL_TEXTURE3);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
  glPixelStorei(GL_PACK_ALIGNMENT, 8);
  glPixelStorei(GL_PACK_ROW_LENGTH, 3);
  glEnable(GL_SCISSOR_TEST);
  glEnable(GL_CULL_FACE);
  glColorMaski(0, GL_TRUE, GL_FALSE, GL_TRUE, GL_FALSE);
  glViewport(1, 2, 3, 4);
  target.Bind();
  glViewport(1, 2, 3, 4);

  struct Query {
    const char* name;
    GLenum pname;
  };
  const Query queries[] = {
      {"program", GL_CURRENT_PROGRAM},
      {"vertex array", GL_VERTEX_ARRAY_BINDING},
      {"active texture", GL_ACTIVE_TEXTURE},
      {"pack buffer", GL_PIXEL_PACK_BUFFER_BINDING},
      {"pack alignment", GL_PACK_ALIGNMENT},
      {"pack row length", GL_PACK_ROW_LENGTH},
      {"draw framebuffer", GL_DRAW_FRAMEBUFFER_BINDING},
      {"read framebuffer", GL_READ_FRAMEBUFFER_BINDING},
      {"scissor test", GL_SCISSOR_TEST},
      {"cull face", GL_CULL_FACE},
  };
  auto snapshot = [&] {
    std::vector<GLint> values;
    for (const Query& q : queries) {
      GLint v = 0;
      glGetIntegerv(q.pname, &v);
      values.push_back(v);
    }
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    values.insert(values.end(), viewport, viewport + 4);
    glActiveTexture(GL_TEXTURE0);
    GLint unit0[2];
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &unit0[0]);
    glGetIntegerv(GL_SAMPLER_BINDING, &unit0[1]);
    glActiveTexture(GL_TEXTURE3);
    values.insert(values.end(), unit0, unit0 + 2);
    GLboolean mask[4];
    glGetBooleani_v(GL_COLOR_WRITEMASK, 0, mask);
    for (GLboolean m : mask) values.push_back(m);
    return values;
  };
  ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  const std::vector<GLint> before = snapshot();
  reader.Queue(target);
  reader.MapOldest();
  reader.ReleaseOldest();
  const std::vector<GLint> after = snapshot();
  for (std::size_t i = 0; i < std::size(queries); ++i)
    EXPECT_EQ(before[i], after[i]) << queries[i].name;
  EXPECT_EQ(before, after) << "viewport, unit 0's texture and sampler, or colour mask";
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  glUseProgram(0);
  glBindVertexArray(0);
  glBindTexture(GL_TEXTURE_2D, 0);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, 0);
  glBindSampler(0, 0);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_CULL_FACE);
  glColorMaski(0, GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteProgram(program);
  glDeleteVertexArrays(1, &vertexArray);
  glDeleteTextures(1, &texture);
  glDeleteBuffers(1, &buffer);
  glDeleteSamplers(1, &sampler);
}

}  // namespace

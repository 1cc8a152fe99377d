#include "hostkit/StraightRgba8Reader.h"

#include "hostkit/GLScoped.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>

namespace hostkit {
namespace {

// One triangle that covers the whole viewport, made from gl_VertexID alone.
constexpr char kVertexSource[] = R"glsl(#version 410 core
void main() {
  vec2 corner = vec2(float((gl_VertexID & 1) << 2), float((gl_VertexID & 2) << 1));
  gl_Position = vec4(corner - 1.0, 0.0, 1.0);
}
)glsl";

// Straight-alpha bytes of the premultiplied output, row 0 = the output's top
// row. `precise` keeps the compiler from fusing the scaling and the rounding
// test into one operation, which would round differently from the CPU.
constexpr char kFragmentSource[] = R"glsl(#version 410 core
uniform sampler2D premultiplied;
// The output inside the source texture: x, y (GL window origin), width, height.
uniform ivec4 outputRect;
out uvec4 straightBytes;

// Clamped to [0, 1] (NaN to 0), scaled to 0..255 and rounded to nearest with
// halves up: floor plus an exact test of the fraction, because adding 0.5
// first can itself round up (0.49999997 + 0.5 is 1.0 in float).
uint ToByte(float value) {
  float clamped = value >= 0.0 ? min(value, 1.0) : 0.0;
  precise float scaled = clamped * 255.0;
  precise float whole = floor(scaled);
  precise float fraction = scaled - whole;
  return uint(whole) + (fraction >= 0.5 ? 1u : 0u);
}

// GPUs (llvmpipe among them) may read subnormal floats as zero; the CPU
// divides them exactly. Subnormals and alphas below 2^-100 are therefore
// scaled by 2^64 from their bits before dividing: the ratio is the same, and
// both sides are normal floats that every GPU divides as the CPU does.
const uint kExponentBits = 0x7f800000u;
const uint kSmallAlpha = 27u << 23;  // 2^-100

float ScaledUp(float value) {
  uint bits = floatBitsToUint(value);
  if ((bits & kExponentBits) != 0u) return value * uintBitsToFloat(191u << 23);  // x 2^64
  float magnitude = float(bits & 0x007fffffu) * uintBitsToFloat(42u << 23);      // m x 2^-85
  return (bits & 0x80000000u) != 0u ? -magnitude : magnitude;
}

float Straight(float colour, float alpha) {
  uint colourBits = floatBitsToUint(colour) & 0x7fffffffu;
  bool tiny = (colourBits & kExponentBits) == 0u || floatBitsToUint(alpha) < kSmallAlpha;
  precise float ratio = tiny ? ScaledUp(colour) / ScaledUp(alpha) : colour / alpha;
  return ratio;
}

void main() {
  ivec2 pixel = ivec2(gl_FragCoord.xy);
  ivec2 source = ivec2(outputRect.x + pixel.x, outputRect.y + outputRect.w - 1 - pixel.y);
  vec4 colour = texelFetch(premultiplied, source, 0);
  // Alpha above zero, from its bits: a comparison could read a subnormal as
  // zero. NaN is not above zero; +infinity is.
  uint alphaBits = floatBitsToUint(colour.a);
  if (alphaBits != 0u && alphaBits <= kExponentBits)
    straightBytes = uvec4(ToByte(Straight(colour.r, colour.a)), ToByte(Straight(colour.g, colour.a)),
                          ToByte(Straight(colour.b, colour.a)), ToByte(colour.a));
  else
    straightBytes = uvec4(0u, 0u, 0u, ToByte(colour.a));
}
)glsl";

GLuint CompileStage(GLenum stage, const char* source) {
  const GLuint shader = glCreateShader(stage);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok == GL_TRUE) return shader;
  char log[1024] = {};
  glGetShaderInfoLog(shader, sizeof log, nullptr, log);
  glDeleteShader(shader);
  throw std::runtime_error(std::string("read-back ") +
                           (stage == GL_VERTEX_SHADER ? "vertex" : "fragment") +
                           " shader does not compile: " + log);
}

GLuint LinkProgram() {
  const GLuint vertex = CompileStage(GL_VERTEX_SHADER, kVertexSource);
  GLuint fragment = 0;
  try {
    fragment = CompileStage(GL_FRAGMENT_SHADER, kFragmentSource);
  } catch (...) {
    glDeleteShader(vertex);
    throw;
  }
  const GLuint program = glCreateProgram();
  glAttachShader(program, vertex);
  glAttachShader(program, fragment);
  glLinkProgram(program);
  glDeleteShader(vertex);  // flagged; freed with the program
  glDeleteShader(fragment);
  GLint ok = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (ok == GL_TRUE) return program;
  char log[1024] = {};
  glGetProgramInfoLog(program, sizeof log, nullptr, log);
  glDeleteProgram(program);
  throw std::runtime_error(std::string("read-back program does not link: ") + log);
}

// The bindings and settings the conversion pass changes, restored on exit,
// so that the plug-in's next frame starts from the state it left.
class ScopedPassState {
 public:
  ScopedPassState()
      : program_(gl::GetInt(GL_CURRENT_PROGRAM)),
        vertexArray_(gl::GetInt(GL_VERTEX_ARRAY_BINDING)),
        activeTexture_(gl::GetInt(GL_ACTIVE_TEXTURE)) {
    glGetIntegerv(GL_VIEWPORT, viewport_);
    glActiveTexture(GL_TEXTURE0);
    sampler_ = gl::GetInt(GL_SAMPLER_BINDING);
    glBindSampler(0, 0);
  }
  ~ScopedPassState() {
    glBindSampler(0, static_cast<GLuint>(sampler_));
    glActiveTexture(static_cast<GLenum>(activeTexture_));
    glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
    glBindVertexArray(static_cast<GLuint>(vertexArray_));
    glUseProgram(static_cast<GLuint>(program_));
  }
  ScopedPassState(const ScopedPassState&) = delete;
  ScopedPassState& operator=(const ScopedPassState&) = delete;

 private:
  GLint program_, vertexArray_, activeTexture_, sampler_ = 0;
  GLint viewport_[4] = {0, 0, 0, 0};
};

std::size_t CheckedFrameBytes(int width, int height) {
  if (width <= 0 || height <= 0)
    throw std::invalid_argument("read-back size " + std::to_string(width) + "x" +
                                std::to_string(height) + " is not positive");
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
}

std::uint8_t ToByte(float value) {
  const float clamped = std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f);
  return static_cast<std::uint8_t>(std::lround(clamped * 255.0f));
}

}  // namespace

void StraightRgba8FromPremultiplied(const float* premultiplied, std::size_t count,
                                    std::uint8_t* out) {
  for (std::size_t i = 0; i + 3 < count; i += 4) {
    const float alpha = premultiplied[i + 3];
    for (std::size_t c = 0; c < 3; ++c)
      out[i + c] = alpha > 0.0f ? ToByte(premultiplied[i + c] / alpha) : 0;
    out[i + 3] = ToByte(alpha);
  }
}

StraightRgba8Reader::StraightRgba8Reader(int width, int height, int depth)
    : width_(width), height_(height), ring_(CheckedFrameBytes(width, height), depth) {
  try {
    program_ = LinkProgram();
    viewportLocation_ = glGetUniformLocation(program_, "outputRect");
    {
      const GLint previous = gl::GetInt(GL_CURRENT_PROGRAM);
      glUseProgram(program_);
      glUniform1i(glGetUniformLocation(program_, "premultiplied"), 0);
      glUseProgram(static_cast<GLuint>(previous));
    }
    glGenVertexArrays(1, &vertexArray_);

    glGenTextures(1, &texture_);
    {
      gl::ScopedTexture2DBinding binding(texture_);
      gl::ScopedBufferBinding unpack(GL_PIXEL_UNPACK_BUFFER, GL_PIXEL_UNPACK_BUFFER_BINDING, 0);
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8UI, width, height, 0, GL_RGBA_INTEGER,
                   GL_UNSIGNED_BYTE, nullptr);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    }
    glGenFramebuffers(1, &framebuffer_);
    {
      gl::ScopedFramebufferBinding binding;
      glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
      glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_, 0);
      glDrawBuffer(GL_COLOR_ATTACHMENT0);
      glReadBuffer(GL_COLOR_ATTACHMENT0);
      if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        throw std::runtime_error("read-back framebuffer " + std::to_string(width) + "x" +
                                 std::to_string(height) + " is incomplete");
    }
  } catch (...) {
    DeleteObjects();
    throw;
  }
}

StraightRgba8Reader::~StraightRgba8Reader() { DeleteObjects(); }

void StraightRgba8Reader::DeleteObjects() noexcept {
  glDeleteFramebuffers(1, &framebuffer_);
  glDeleteTextures(1, &texture_);
  glDeleteVertexArrays(1, &vertexArray_);
  glDeleteProgram(program_);
  framebuffer_ = texture_ = vertexArray_ = program_ = 0;
}

void StraightRgba8Reader::Queue(const RenderTarget& target) {
  const unsigned buffer = ring_.NextBuffer();
  const Viewport output = target.GetViewport();
  if (output.width != width_ || output.height != height_)
    throw std::invalid_argument("output " + std::to_string(output.width) + "x" +
                                std::to_string(output.height) + " does not match the " +
                                std::to_string(width_) + "x" + std::to_string(height_) +
                                " read-back");
  {
    ScopedPassState pass;
    gl::ScopedFramebufferBinding framebuffers;
    gl::ScopedCapability scissor(GL_SCISSOR_TEST, false);
    gl::ScopedCapability discard(GL_RASTERIZER_DISCARD, false);
    gl::ScopedCapability cull(GL_CULL_FACE, false);
    gl::ScopedCapability depthTest(GL_DEPTH_TEST, false);
    gl::ScopedCapability stencilTest(GL_STENCIL_TEST, false);
    gl::ScopedColorMaskOpen mask;
    gl::ScopedTexture2DBinding source(target.TextureName());

    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glViewport(0, 0, width_, height_);
    glUseProgram(program_);
    glUniform4i(viewportLocation_, output.x, output.y, output.width, output.height);
    glBindVertexArray(vertexArray_);
    glDrawArrays(GL_TRIANGLES, 0, 3);

    gl::ScopedPackState pack;  // tight rows, whatever the plug-in left set
    gl::ScopedBufferBinding binding(GL_PIXEL_PACK_BUFFER, GL_PIXEL_PACK_BUFFER_BINDING, buffer);
    glReadPixels(0, 0, width_, height_, GL_RGBA_INTEGER, GL_UNSIGNED_BYTE, nullptr);
  }
  ring_.Queued();
}

const std::uint8_t* StraightRgba8Reader::MapOldest() {
  return static_cast<const std::uint8_t*>(ring_.MapOldest());
}

void StraightRgba8Reader::ReleaseOldest() { ring_.ReleaseOldest(); }

}  // namespace hostkit

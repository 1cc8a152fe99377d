#include "gl/OutputCache.h"

#include <algorithm>

#include "gl/RestoringScopes.h"

namespace ffglex {
namespace {

using restoring::GetInt;
using restoring::ScopedCapability;
using restoring::ScopedFramebufferBinding;

GLuint Bound(GLenum binding) { return static_cast<GLuint>(GetInt(binding)); }

// Binds `texture` to unit 0's 2D target; the unit and texture the host had
// come back at the end.
class ScopedTextureOnUnitZero {
 public:
  explicit ScopedTextureOnUnitZero(GLuint texture) : unit_(GL_TEXTURE0), texture_(texture) {}

 private:
  restoring::ScopedActiveTexture unit_;
  restoring::ScopedTexture2DBinding texture_;
};

// Blending, depth test and face culling off, as the host had them at the end:
// a kept picture is drawn and copied as it is.
struct ScopedPlainDrawing {
  ScopedCapability blend{GL_BLEND, false};
  ScopedCapability depth{GL_DEPTH_TEST, false};
  ScopedCapability cull{GL_CULL_FACE, false};
};

// What the framebuffer bound for drawing holds in its first colour buffer:
// red and alpha bits and the component type (unsigned normalised assumed for
// a window's own framebuffer, whose type not every driver answers).
struct HostColour {
  GLint redBits = 0, alphaBits = 0;
  GLint componentType = GL_UNSIGNED_NORMALIZED;
};

HostColour BoundColour() {
  HostColour colour;
  const GLuint bound = Bound(GL_DRAW_FRAMEBUFFER_BINDING);
  // The window's own framebuffer: its colour bits, whichever buffer it draws to.
  const GLenum attachment =
      bound != 0 ? GL_COLOR_ATTACHMENT0 : static_cast<GLenum>(Bound(GL_DRAW_BUFFER));
  glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, attachment,
                                        GL_FRAMEBUFFER_ATTACHMENT_RED_SIZE, &colour.redBits);
  glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, attachment,
                                        GL_FRAMEBUFFER_ATTACHMENT_ALPHA_SIZE, &colour.alphaBits);
  if (bound != 0)
    glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, attachment,
                                          GL_FRAMEBUFFER_ATTACHMENT_COMPONENT_TYPE,
                                          &colour.componentType);
  return colour;
}

bool EightBits(const HostColour& c) {
  return c.redBits > 0 && c.redBits <= 8 && c.componentType == GL_UNSIGNED_NORMALIZED;
}

// The format that holds what the framebuffer bound for drawing holds: its
// own where it is 8-bit normalised, half-float or float colour, so that the
// copy is a copy of memory and not a conversion of every pixel; half floats
// for any other depth (and for a window's own deeper framebuffer).
GLenum HostPrecisionFormat() {
  const HostColour c = BoundColour();
  if (EightBits(c)) return GL_RGBA8;
  if (c.redBits == 32 && c.componentType == GL_FLOAT) return GL_RGBA32F;
  return GL_RGBA16F;
}

// The framebuffer's own format where a draw into it rounds as a draw into
// the host's does (8-, 10- and 16-bit normalised, half and single float), so
// that the copy lands every value the draw would; every float exactly where
// the format is none of those or cannot be told.
GLenum HostFormatExactly() {
  const HostColour c = BoundColour();
  if (EightBits(c)) return GL_RGBA8;
  if (c.componentType == GL_FLOAT) {
    if (c.redBits == 16) return GL_RGBA16F;
    return GL_RGBA32F;
  }
  if (c.componentType == GL_UNSIGNED_NORMALIZED && Bound(GL_DRAW_FRAMEBUFFER_BINDING) != 0) {
    if (c.redBits == 10 && c.alphaBits == 2) return GL_RGB10_A2;
    if (c.redBits == 16) return GL_RGBA16;
  }
  return GL_RGBA32F;
}

constexpr char kGainVertex[] = R"(#version 410 core
void main() {
  // One triangle that covers the viewport.
  vec2 corner = vec2(float((gl_VertexID & 1) << 2), float((gl_VertexID & 2) << 1));
  gl_Position = vec4(corner - 1.0, 0.0, 1.0);
}
)";

// The gain is applied by blending over the copied picture: the fragment
// adds nothing, and the framebuffer's own colour is scaled by the blend
// colour (red, green and blue by the gain, alpha kept). A uniform quad costs
// about a fill where sampling the picture in a shader cost two to five.
constexpr char kGainFragment[] = R"(#version 410 core
out vec4 colour;
void main() { colour = vec4(0.0); }
)";

// Makes a texture of width x height in `format` (nearest filtering, one
// level) and a framebuffer with it as its colour; false when the
// framebuffer is incomplete (storage the driver could not make leaves the
// texture without an image: no error state to read). The names are made
// either way, for the caller to release.
bool MakeColourTarget(GLenum format, int width, int height, GLuint& texture,
                      GLuint& framebuffer) {
  glGenTextures(1, &texture);
  {
    ScopedTextureOnUnitZero use(texture);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), width, height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  }
  glGenFramebuffers(1, &framebuffer);
  ScopedFramebufferBinding use(GL_DRAW_FRAMEBUFFER, framebuffer);
  glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  return glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

}  // namespace

bool OutputCache::Prepare(int width, int height) {
  if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > kMaxPixels) {
    Release();
    return false;
  }
  const GLenum format = precision_ == Precision::Exact         ? GL_RGBA32F
                        : precision_ == Precision::HostExactly ? HostFormatExactly()
                                                               : HostPrecisionFormat();
  if (Ready() && width == width_ && height == height_ && format == format_) return true;
  Release();
  if (!MakeColourTarget(format, width, height, colour_, framebuffer_)) {
    Release();
    return false;
  }
  width_ = width;
  height_ = height;
  format_ = format;
  fresh_ = true;
  return true;
}

void OutputCache::Render(const std::function<void()>& draw, bool clear) {
  if (!Ready()) return;
  ScopedFramebufferBinding use(GL_DRAW_FRAMEBUFFER, framebuffer_);
  ScopedPlainDrawing plain;
  ScopedCapability scissor(GL_SCISSOR_TEST, false);
  restoring::ScopedColorMaskOpen mask;
  restoring::ScopedViewport viewport(0, 0, width_, height_);
  if (clear) {
    const GLfloat transparent[4] = {0, 0, 0, 0};
    glClearBufferfv(GL_COLOR, 0, transparent);
  }
  draw();
  fresh_ = false;
}

void OutputCache::RenderRows(int top, int bottom, const std::function<void()>& draw,
                             bool clear) {
  top = std::max(top, 0);
  bottom = std::min(bottom, height_);
  if (!Ready() || top >= bottom) return;
  ScopedFramebufferBinding use(GL_DRAW_FRAMEBUFFER, framebuffer_);
  ScopedPlainDrawing plain;
  restoring::ScopedColorMaskOpen mask;
  restoring::ScopedViewport viewport(0, 0, width_, height_);
  // GL counts rows from the bottom.
  const int low = height_ - bottom, high = height_ - top;
  ScopedCapability scissor(GL_SCISSOR_TEST, true);
  restoring::ScopedScissorBox box(0, low, width_, high - low);
  if (clear) ClearRows(low, high);
  draw();
  fresh_ = false;
}

void OutputCache::ClearRows(int low, int high) {
  // On llvmpipe a clear under a scissor costs about what a quad drawn under
  // it costs, and grows with the picture's size (about 0.2 ms at 1080p, as
  // much as a whole steady frame); copying rows of a strip kept transparent
  // is a copy of memory.
  if (!MakeStrip()) {
    const GLfloat transparent[4] = {0, 0, 0, 0};
    glClearBufferfv(GL_COLOR, 0, transparent);
    return;
  }
  // A copy where the context has one (GL 4.3); a blit otherwise, which the
  // band's scissor clips like a draw. Some drivers hand out an entry point
  // for any name, so the version is asked too.
  const bool canCopy = (GLEW_VERSION_4_3 || GLEW_ARB_copy_image) && glCopyImageSubData != nullptr;
  for (int from = low; from < high; from += stripRows_) {
    const int rows = std::min(stripRows_, high - from);
    if (canCopy) {
      glCopyImageSubData(stripColour_, GL_TEXTURE_2D, 0, 0, 0, 0, colour_, GL_TEXTURE_2D, 0, 0,
                         from, 0, width_, rows, 1);
    } else {
      ScopedFramebufferBinding read(GL_READ_FRAMEBUFFER, stripFramebuffer_);
      glBlitFramebuffer(0, 0, width_, rows, 0, from, width_, from + rows, GL_COLOR_BUFFER_BIT,
                        GL_NEAREST);
    }
  }
}

bool OutputCache::MakeStrip() {
  if (stripFramebuffer_ != 0) return true;
  const int rows = std::min(height_, kStripRows);
  if (!MakeColourTarget(format_, width_, rows, stripColour_, stripFramebuffer_)) {
    ReleaseStrip();
    return false;
  }
  ScopedFramebufferBinding use(GL_DRAW_FRAMEBUFFER, stripFramebuffer_);
  ScopedCapability scissor(GL_SCISSOR_TEST, false);
  restoring::ScopedColorMaskOpen mask;
  const GLfloat transparent[4] = {0, 0, 0, 0};
  glClearBufferfv(GL_COLOR, 0, transparent);
  stripRows_ = rows;
  return true;
}

void OutputCache::ReleaseStrip() {
  if (stripFramebuffer_ != 0) glDeleteFramebuffers(1, &stripFramebuffer_);
  if (stripColour_ != 0) glDeleteTextures(1, &stripColour_);
  stripFramebuffer_ = 0;
  stripColour_ = 0;
  stripRows_ = 0;
}

bool OutputCache::MakeGainProgram() {
  if (gainProgram_.ProgramId() != 0 && emptyArray_ != 0) return true;
  if (!gainProgram_.Compile(kGainVertex, kGainFragment)) return false;
  glGenVertexArrays(1, &emptyArray_);
  return emptyArray_ != 0;
}

void OutputCache::CopyTo(int x, int y, float gain) {
  if (!Ready()) return;
  {
    // Clipped by the host's scissor box, like a draw.
    ScopedFramebufferBinding use(GL_READ_FRAMEBUFFER, framebuffer_);
    glBlitFramebuffer(0, 0, width_, height_, x, y, x + width_, y + height_, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
  }
  // NaN and anything past 1 copy the picture unchanged; below 0 is black.
  if (!(gain < 1.0f) || !MakeGainProgram()) return;
  gain = std::max(gain, 0.0f);
  ScopedPlainDrawing plain;
  ScopedCapability blend(GL_BLEND, true);
  const GLfloat factors[4] = {gain, gain, gain, 1.0f};
  restoring::ScopedBlendFunction scale(GL_ZERO, GL_CONSTANT_COLOR, GL_ZERO, GL_ONE, factors);
  restoring::ScopedViewport viewport(x, y, width_, height_);
  restoring::ScopedCurrentProgram program(gainProgram_.ProgramId());
  restoring::ScopedVertexArray vertexArray(emptyArray_);
  glDrawArrays(GL_TRIANGLES, 0, 3);
}

int OutputCache::BytesPerPixel() const {
  if (!Ready()) return 0;
  switch (format_) {
    case GL_RGBA8:
    case GL_RGB10_A2: return 4;
    case GL_RGBA16F:
    case GL_RGBA16: return 8;
    default: return 16;
  }
}

void OutputCache::Release() {
  if (framebuffer_ != 0) glDeleteFramebuffers(1, &framebuffer_);
  if (colour_ != 0) glDeleteTextures(1, &colour_);
  if (emptyArray_ != 0) glDeleteVertexArrays(1, &emptyArray_);
  gainProgram_.Release();
  ReleaseStrip();
  framebuffer_ = 0;
  colour_ = 0;
  emptyArray_ = 0;
  format_ = 0;
  width_ = height_ = 0;
  fresh_ = false;
}

}  // namespace ffglex

#include "hostkit/RenderTarget.h"

#include "hostkit/GLScoped.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>

namespace hostkit {
namespace {

std::string FramebufferStatusName(GLenum status) {
  switch (status) {
    case GL_FRAMEBUFFER_UNDEFINED: return "GL_FRAMEBUFFER_UNDEFINED";
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT: return "GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT";
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT: return "GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT";
    case GL_FRAMEBUFFER_UNSUPPORTED: return "GL_FRAMEBUFFER_UNSUPPORTED";
    case 0: return "an error while checking (is a context current?)";
    default: {
      char hex[16];
      std::snprintf(hex, sizeof hex, "0x%04X", status);
      return std::string("status ") + hex;
    }
  }
}

// Reverses the order of rows of `width` pixels of four components each.
template <typename T>
void FlipRows(std::vector<T>& pixels, int width, int height) {
  const std::size_t row = static_cast<std::size_t>(width) * 4;
  for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
    std::swap_ranges(pixels.begin() + static_cast<std::ptrdiff_t>(row * top),
                     pixels.begin() + static_cast<std::ptrdiff_t>(row * (top + 1)),
                     pixels.begin() + static_cast<std::ptrdiff_t>(row * bottom));
}

GLint InternalFormat(PixelFormat format) {
  switch (format) {
    case PixelFormat::RGBA32F: return GL_RGBA32F;
    case PixelFormat::SRGBA8: return GL_SRGB8_ALPHA8;
    case PixelFormat::RGBA16F: return GL_RGBA16F;
    case PixelFormat::RGBA16: return GL_RGBA16;
    case PixelFormat::RGB10_A2: return GL_RGB10_A2;
    case PixelFormat::RGBA8: break;
  }
  return GL_RGBA8;
}

// 8-bit formats are read as bytes, so that their floats are exactly
// byte / 255; deeper ones as floats, which hold every value they store.
bool HoldsBytes(PixelFormat format) {
  return format == PixelFormat::RGBA8 || format == PixelFormat::SRGBA8;
}

std::size_t ComponentCount(int width, int height) {
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
}

}  // namespace

RenderTarget::RenderTarget(int width, int height, PixelFormat format)
    : width_(width), height_(height), format_(format), viewport_{0, 0, width, height} {
  const GLint maxSize = std::min(gl::GetInt(GL_MAX_TEXTURE_SIZE), gl::GetInt(GL_MAX_FRAMEBUFFER_WIDTH));
  const GLint maxHeight = std::min(gl::GetInt(GL_MAX_TEXTURE_SIZE), gl::GetInt(GL_MAX_FRAMEBUFFER_HEIGHT));
  if (width <= 0 || height <= 0 || width > maxSize || height > maxHeight)
    throw std::invalid_argument("render target size " + std::to_string(width) + "x" + std::to_string(height) +
                                " is outside 1x1.." + std::to_string(maxSize) + "x" + std::to_string(maxHeight) +
                                (maxSize == 0 ? " (is a GL context current?)" : ""));

  GLuint name = 0;
  glGenTextures(1, &name);
  gl::OwnedTexture texture(name);
  {
    gl::ScopedTexture2DBinding textureBinding(texture.Get());
    // An unpack buffer left bound would turn the null pointer into an offset into it.
    gl::ScopedBufferBinding unpack(GL_PIXEL_UNPACK_BUFFER, GL_PIXEL_UNPACK_BUFFER_BINDING, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, InternalFormat(format), width, height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  }

  name = 0;
  glGenFramebuffers(1, &name);
  gl::OwnedFramebuffer framebuffer(name);
  {
    gl::ScopedFramebufferBinding framebufferBinding;
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer.Get());
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture.Get(), 0);
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE)
      throw std::runtime_error("render target " + std::to_string(width) + "x" + std::to_string(height) +
                               " framebuffer is incomplete: " + FramebufferStatusName(status));
  }
  texture_ = texture.Release();
  framebuffer_ = framebuffer.Release();
}

RenderTarget::~RenderTarget() { DeleteObjects(); }

RenderTarget::RenderTarget(RenderTarget&& other) noexcept
    : width_(other.width_),
      height_(other.height_),
      format_(other.format_),
      viewport_(other.viewport_),
      texture_(std::exchange(other.texture_, 0u)),
      framebuffer_(std::exchange(other.framebuffer_, 0u)) {}

RenderTarget& RenderTarget::operator=(RenderTarget&& other) noexcept {
  if (this != &other) {
    DeleteObjects();
    width_ = other.width_;
    height_ = other.height_;
    format_ = other.format_;
    viewport_ = other.viewport_;
    texture_ = std::exchange(other.texture_, 0u);
    framebuffer_ = std::exchange(other.framebuffer_, 0u);
  }
  return *this;
}

void RenderTarget::DeleteObjects() noexcept {
  gl::OwnedFramebuffer(std::exchange(framebuffer_, 0u)).Reset();
  gl::OwnedTexture(std::exchange(texture_, 0u)).Reset();
}

void RenderTarget::Bind() {
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glViewport(viewport_.x, viewport_.y, viewport_.width, viewport_.height);
}

void RenderTarget::SetViewport(Viewport viewport) {
  if (viewport.width <= 0 || viewport.height <= 0 || viewport.x < 0 || viewport.y < 0 ||
      viewport.x > width_ - viewport.width || viewport.y > height_ - viewport.height)
    throw std::invalid_argument("viewport " + std::to_string(viewport.width) + "x" +
                                std::to_string(viewport.height) + " at (" + std::to_string(viewport.x) + ", " +
                                std::to_string(viewport.y) + ") does not fit a " + std::to_string(width_) + "x" +
                                std::to_string(height_) + " target");
  viewport_ = viewport;
}

void RenderTarget::Clear(float r, float g, float b, float a) {
  gl::ScopedFramebufferBinding framebufferBinding;
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer_);
  glDrawBuffer(GL_COLOR_ATTACHMENT0);
  gl::ScopedCapability scissor(GL_SCISSOR_TEST, false);
  gl::ScopedCapability discard(GL_RASTERIZER_DISCARD, false);
  gl::ScopedColorMaskOpen mask;
  const GLfloat colour[4] = {r, g, b, a};
  glClearBufferfv(GL_COLOR, 0, colour);
}

void RenderTarget::Read(int x, int y, int width, int height, bool asBytes, void* out) const {
  gl::ScopedFramebufferBinding framebufferBinding;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  gl::ScopedPackState pack;
  // The stored values, not an sRGB target's decoded ones.
  gl::ScopedCapability raw(GL_FRAMEBUFFER_SRGB, false);
  glReadPixels(x, y, width, height, GL_RGBA, asBytes ? GL_UNSIGNED_BYTE : GL_FLOAT, out);
}

std::vector<float> RenderTarget::ReadFloats(int x, int y, int width, int height) const {
  std::vector<float> pixels(ComponentCount(width, height));
  if (!HoldsBytes(format_)) {
    Read(x, y, width, height, false, pixels.data());
  } else {
    // Bytes are read as bytes so the floats are exactly byte / 255.
    std::vector<std::uint8_t> bytes(pixels.size());
    Read(x, y, width, height, true, bytes.data());
    std::transform(bytes.begin(), bytes.end(), pixels.begin(),
                   [](std::uint8_t v) { return static_cast<float>(v) / 255.0f; });
  }
  return pixels;
}

std::vector<float> RenderTarget::ReadOutput() const {
  const Viewport& vp = viewport_;
  std::vector<float> pixels = ReadFloats(vp.x, vp.y, vp.width, vp.height);
  FlipRows(pixels, vp.width, vp.height);
  return pixels;
}

std::array<float, 4> RenderTarget::OutputPixel(int px, int py) const {
  const Viewport& vp = viewport_;
  if (px < 0 || py < 0 || px >= vp.width || py >= vp.height)
    throw std::out_of_range("output pixel (" + std::to_string(px) + ", " + std::to_string(py) +
                            ") is outside the " + std::to_string(vp.width) + "x" + std::to_string(vp.height) +
                            " output");
  const std::vector<float> pixel = ReadFloats(vp.x + px, vp.y + vp.height - 1 - py, 1, 1);
  return {pixel[0], pixel[1], pixel[2], pixel[3]};
}

std::vector<float> RenderTarget::ReadWholeTarget() const { return ReadFloats(0, 0, width_, height_); }

std::vector<std::uint8_t> RenderTarget::ReadOutputRGBA8() const {
  const Viewport& vp = viewport_;
  std::vector<std::uint8_t> bytes(ComponentCount(vp.width, vp.height));
  if (HoldsBytes(format_)) {
    Read(vp.x, vp.y, vp.width, vp.height, true, bytes.data());
  } else {
    const std::vector<float> pixels = ReadFloats(vp.x, vp.y, vp.width, vp.height);
    std::transform(pixels.begin(), pixels.end(), bytes.begin(), [](float v) {
      const float clamped = std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f);
      return static_cast<std::uint8_t>(std::lround(clamped * 255.0f));
    });
  }
  FlipRows(bytes, vp.width, vp.height);
  return bytes;
}

}  // namespace hostkit

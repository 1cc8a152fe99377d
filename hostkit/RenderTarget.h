#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace hostkit {

// SRGBA8 is an 8-bit target whose colour encoding is sRGB, as a host's
// window may be: with GL_FRAMEBUFFER_SRGB enabled GL encodes what is drawn
// into it. It reads back as the bytes it holds, like RGBA8.
// The colour formats a host may hand a plug-in: float, 8-bit, 8-bit sRGB,
// half-float, 16-bit normalised and 10-bit normalised (2-bit alpha).
enum class PixelFormat { RGBA32F, RGBA8, SRGBA8, RGBA16F, RGBA16, RGB10_A2 };

// GL window coordinates of the output inside a target (origin bottom-left).
struct Viewport {
  int x = 0, y = 0, width = 0, height = 0;
};

// A framebuffer object with one colour texture, the surface a host hands a plug-in.
// Every call needs a current GL context; nothing but Bind() leaves GL state changed.
class RenderTarget {
 public:
  // Throws std::invalid_argument for a size the driver cannot hold and
  // std::runtime_error when the framebuffer turns out incomplete.
  RenderTarget(int width, int height, PixelFormat format);
  // Deletes the texture and framebuffer (a context must be current).
  ~RenderTarget();

  RenderTarget(const RenderTarget&) = delete;
  RenderTarget& operator=(const RenderTarget&) = delete;
  RenderTarget(RenderTarget&& other) noexcept;
  RenderTarget& operator=(RenderTarget&& other) noexcept;

  // Binds the framebuffer as GL_FRAMEBUFFER and sets glViewport to GetViewport().
  void Bind();
  // Must lie within the target with a positive size; throws std::invalid_argument if not.
  void SetViewport(Viewport viewport);
  Viewport GetViewport() const { return viewport_; }
  // Clears the whole target, regardless of scissor, colour mask or viewport.
  void Clear(float r, float g, float b, float a);

  unsigned FramebufferName() const { return framebuffer_; }
  unsigned TextureName() const { return texture_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  PixelFormat Format() const { return format_; }

  // The viewport's pixels as RGBA floats in output coordinates: origin at the
  // top-left of the viewport, x right, y down, so row 0 is the top. Output pixel
  // (px, py) is GL window pixel (vp.x + px, vp.y + vp.height - 1 - py).
  // RGBA8 targets read back as byte / 255.
  std::vector<float> ReadOutput() const;
  // One output pixel, same convention; throws std::out_of_range outside the viewport.
  std::array<float, 4> OutputPixel(int px, int py) const;
  // The whole target, GL window rows bottom-up, for checks outside the viewport.
  std::vector<float> ReadWholeTarget() const;
  // The viewport as 8-bit RGBA for images, rows top-down; float targets are clamped
  // to [0, 1] and rounded to nearest.
  std::vector<std::uint8_t> ReadOutputRGBA8() const;

 private:
  void Read(int x, int y, int width, int height, bool asBytes, void* out) const;
  std::vector<float> ReadFloats(int x, int y, int width, int height) const;
  void DeleteObjects() noexcept;

  int width_ = 0, height_ = 0;
  PixelFormat format_ = PixelFormat::RGBA8;
  Viewport viewport_;
  unsigned texture_ = 0, framebuffer_ = 0;
};

}  // namespace hostkit

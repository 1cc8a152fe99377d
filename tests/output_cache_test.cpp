// The kept picture's band drawing (gl/OutputCache.h) on its own: RenderRows
// clears its rows, counted from the top, and no others, for bands shorter
// and taller than its strip of transparent rows and past the picture's
// foot, with the rows copied or, where a context has no copy of images,
// blitted; and it leaves the host's bindings and settings as it found them.
// A copy with a gain (a dimmed or fading picture) gives every pixel times the
// gain: exactly on a float host, within one step on an 8-bit one.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>

#include "GLContextSuite.h"
#include "PixelProbe.h"
#include "gl/OutputCache.h"
#include "hostkit/RenderTarget.h"

namespace {

// Bands of 3, 10 and 140 rows: the tallest takes several copies of the strip.
constexpr int kWidth = 48, kHeight = 300;
constexpr Rgba kRed{1, 0, 0, 1}, kBlue{0, 0, 1, 1}, kTransparent{0, 0, 0, 0};

// Takes away the context's copy of images (GL 4.3), as an older context
// has none, until the end of the scope.
class WithoutImageCopy {
 public:
  WithoutImageCopy() : kept_(__glewCopyImageSubData) { __glewCopyImageSubData = nullptr; }
  ~WithoutImageCopy() { __glewCopyImageSubData = kept_; }
  WithoutImageCopy(const WithoutImageCopy&) = delete;
  WithoutImageCopy& operator=(const WithoutImageCopy&) = delete;

 private:
  PFNGLCOPYIMAGESUBDATAPROC kept_;
};

void ClearTo(Rgba c) {
  const GLfloat colour[4] = {c.r, c.g, c.b, c.a};
  glClearBufferfv(GL_COLOR, 0, colour);
}

// The GL state a host may have set that RenderRows changes on its way.
struct HostState {
  std::array<GLint, 4> viewport{}, scissorBox{};
  GLint drawFramebuffer = 0, readFramebuffer = 0;
  GLboolean scissor = GL_FALSE, blend = GL_FALSE;
  std::array<GLboolean, 4> mask{};

  static HostState Read() {
    HostState s;
    glGetIntegerv(GL_VIEWPORT, s.viewport.data());
    glGetIntegerv(GL_SCISSOR_BOX, s.scissorBox.data());
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &s.drawFramebuffer);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &s.readFramebuffer);
    s.scissor = glIsEnabled(GL_SCISSOR_TEST);
    s.blend = glIsEnabled(GL_BLEND);
    glGetBooleani_v(GL_COLOR_WRITEMASK, 0, s.mask.data());
    return s;
  }
  bool operator==(const HostState& o) const {
    return viewport == o.viewport && scissorBox == o.scissorBox &&
           drawFramebuffer == o.drawFramebuffer && readFramebuffer == o.readFramebuffer &&
           scissor == o.scissor && blend == o.blend && mask == o.mask;
  }
};

class OutputCacheBands : public GLContextSuite {};

TEST_F(OutputCacheBands, ABandClearsAndDrawsItsRowsAndNoOthers) {
  for (const bool copies : {true, false}) {
    for (const auto precision :
         {ffglex::OutputCache::Precision::HostFramebuffer, ffglex::OutputCache::Precision::Exact}) {
      const std::string what = std::string(copies ? "copied" : "blitted") + " rows, " +
                               (precision == ffglex::OutputCache::Precision::Exact ? "exact"
                                                                                   : "8-bit");
      hostkit::RenderTarget host(kWidth, kHeight, hostkit::PixelFormat::RGBA8);
      host.Bind();
      ffglex::OutputCache picture(precision);
      ASSERT_TRUE(picture.Prepare(kWidth, kHeight)) << what;
      {
        std::unique_ptr<WithoutImageCopy> older;
        if (!copies) older = std::make_unique<WithoutImageCopy>();
        picture.Render([] { ClearTo(kRed); });
        // A host's own scissor, blending and colour mask, set before each band.
        glEnable(GL_SCISSOR_TEST);
        glScissor(3, 5, 7, 9);
        glEnable(GL_BLEND);
        glColorMaski(0, GL_TRUE, GL_FALSE, GL_TRUE, GL_FALSE);
        glViewport(1, 2, 30, 40);
        const HostState before = HostState::Read();
        picture.RenderRows(10, 150, [] {});  // three strips' copies, the last a part
        picture.RenderRows(200, 203, [] { ClearTo(kBlue); });
        picture.RenderRows(290, 400, [] {});  // past the foot: its rows up to it
        picture.RenderRows(250, 250, [] { ClearTo(kBlue); });  // no rows: nothing
        EXPECT_TRUE(HostState::Read() == before) << what << ": the host's state changed";
        glDisable(GL_SCISSOR_TEST);
        glDisable(GL_BLEND);
        glColorMaski(0, GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
      }
      picture.CopyTo(0, 0);
      host.SetViewport({0, 0, kWidth, kHeight});
      ExpectEvery(host, [](int, int y) {
        if (y >= 10 && y < 150) return kTransparent;
        if (y >= 200 && y < 203) return kBlue;
        if (y >= 290) return kTransparent;
        return kRed;
      }, what);
      picture.Release();
      glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
  }
}

// The blend state a host may have set, which a copy with a gain borrows.
struct BlendState {
  std::array<GLint, 6> functions{};
  std::array<GLfloat, 4> colour{};
  GLboolean enabled = GL_FALSE;

  static BlendState Read() {
    BlendState s;
    const GLenum names[6] = {GL_BLEND_SRC_RGB,   GL_BLEND_DST_RGB,      GL_BLEND_SRC_ALPHA,
                             GL_BLEND_DST_ALPHA, GL_BLEND_EQUATION_RGB, GL_BLEND_EQUATION_ALPHA};
    for (int i = 0; i < 6; ++i) glGetIntegerv(names[i], &s.functions[static_cast<std::size_t>(i)]);
    glGetFloatv(GL_BLEND_COLOR, s.colour.data());
    s.enabled = glIsEnabled(GL_BLEND);
    return s;
  }
  bool operator==(const BlendState& o) const {
    return functions == o.functions && colour == o.colour && enabled == o.enabled;
  }
};

// Column x of the kept picture: a different value in each channel, every
// byte value across 256 columns, alpha that the gain must leave alone. A
// float host's values lie between bytes, and some above 1.
Rgba KeptValue(int x, bool floatHost) {
  const float steps = floatHost ? 200.0f : 255.0f;
  const auto at = [steps](int n) { return static_cast<float>(n) / steps; };
  return {at(x), at(255 - x), at((x * 7) % 256), at((x % 3 + 1) * 60)};
}

// What the copy gives a channel: the value times the gain, rounded to a byte
// on an 8-bit host.
float Dimmed(float value, float gain, bool floatHost) {
  return floatHost ? value * gain : std::nearbyint(value * 255.0f * gain) / 255.0f;
}

class OutputCacheGain : public GLContextSuite {};

TEST_F(OutputCacheGain, ADimmedCopyIsThePictureTimesItsGain) {
  constexpr int kColumns = 256, kCopyRows = 4;
  // The host's scissor keeps the copy off its first and last columns.
  constexpr int kFirst = 3, kLast = 250;
  const Rgba hostColour{0.2f, 0.4f, 0.6f, 0.8f};
  for (const bool floatHost : {false, true}) {
    for (const float gain : {0.0f, 0.25f, 0.5f, 0.999f, 1.0f}) {
      const std::string what = std::string(floatHost ? "float" : "8-bit") + " host, gain " +
                                std::to_string(gain);
      hostkit::RenderTarget host(kColumns, kCopyRows,
                                 floatHost ? hostkit::PixelFormat::RGBA32F : hostkit::PixelFormat::RGBA8);
      host.Clear(hostColour.r, hostColour.g, hostColour.b, hostColour.a);
      host.Bind();
      ffglex::OutputCache picture;
      ASSERT_TRUE(picture.Prepare(kColumns, kCopyRows)) << what;
      EXPECT_EQ(picture.BytesPerPixel(), floatHost ? 16 : 4) << what << ": the host's own format";
      picture.Render([&] {
        glEnable(GL_SCISSOR_TEST);
        for (int x = 0; x < kColumns; ++x) {
          glScissor(x, 0, 1, kCopyRows);
          ClearTo(KeptValue(x, floatHost));
        }
      });
      glEnable(GL_SCISSOR_TEST);
      glScissor(kFirst, 0, kLast - kFirst, kCopyRows);
      glEnable(GL_BLEND);
      glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE);
      glBlendEquationSeparate(GL_FUNC_ADD, GL_MAX);
      glBlendColor(0.1f, 0.2f, 0.3f, 0.4f);
      const BlendState before = BlendState::Read();
      picture.CopyTo(0, 0, gain);
      EXPECT_TRUE(BlendState::Read() == before) << what << ": the host's blending changed";
      glDisable(GL_SCISSOR_TEST);
      glDisable(GL_BLEND);
      // An 8-bit host blends in its own precision: one step either way.
      const float tolerance = floatHost ? 0.0f : 1.0f / 255.0f + 1e-6f;
      ExpectEvery(host, [&](int x, int) {
        if (x < kFirst || x >= kLast) return hostColour;
        const Rgba kept = KeptValue(x, floatHost);
        return Rgba{Dimmed(kept.r, gain, floatHost), Dimmed(kept.g, gain, floatHost),
                    Dimmed(kept.b, gain, floatHost), kept.a};
      }, what, tolerance);
      picture.Release();
      glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
  }
}

}  // namespace

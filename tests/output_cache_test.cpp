// The kept picture's band drawing (gl/OutputCache.h) on its own: RenderRows
// clears its rows, counted from the top, and no others, for bands shorter
// and taller than its strip of transparent rows and past the picture's
// foot, with the rows copied or, where a context has no copy of images,
// blitted; and it leaves the host's bindings and settings as it found them.
#include <gtest/gtest.h>

#include <array>
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

}  // namespace

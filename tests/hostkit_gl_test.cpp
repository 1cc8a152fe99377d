// The kit's GL side: contexts without a display, and render targets whose readback
// follows the output-pixel convention (top-left origin, y down) the checks rely on.

#include <GL/glew.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <regex>
#include <string>

#include "PixelProbe.h"
#include "hostkit/GLContext.h"
#include "hostkit/RenderTarget.h"
#include "hostkit/SoftwareRasteriser.h"
#include "hostkit/Xvfb.h"

namespace {

using hostkit::GLBackend;
using hostkit::GLContext;
using hostkit::GLContextError;
using hostkit::PixelFormat;
using hostkit::RenderTarget;
using hostkit::Viewport;
using Pixel = std::array<float, 4>;

// Sets (or unsets, for nullptr) an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

void ExpectCoreAtLeast41(const GLContext& context) {
  GLint major = 0, minor = 0, profile = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
  EXPECT_TRUE(major > 4 || (major == 4 && minor >= 1)) << context.VersionString();
  EXPECT_NE(profile & GL_CONTEXT_CORE_PROFILE_BIT, 0);
  EXPECT_NE(context.VersionString().find("Core Profile"), std::string::npos) << context.VersionString();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(GLContextTest, EglGivesCurrentCoreContext) {
  GLContext context({GLBackend::Egl, 4, 1});
  EXPECT_EQ(context.Backend(), GLBackend::Egl);
  EXPECT_TRUE(context.GlewInitResult() == GLEW_OK || context.GlewInitResult() == GLEW_ERROR_NO_GLX_DISPLAY);
  ExpectCoreAtLeast41(context);
  // GLEW loaded the entry points the kit needs even when it answered "no GLX display".
  EXPECT_NE(reinterpret_cast<void*>(glGenFramebuffers), nullptr);
}

TEST(GLContextTest, GlxRunsOnItsOwnXServerWithoutDisplayVariable) {
  ScopedEnv noDisplay("DISPLAY", nullptr);
  GLContext context({GLBackend::Glx, 4, 1});
  EXPECT_EQ(context.Backend(), GLBackend::Glx);
  EXPECT_EQ(context.GlewInitResult(), GLEW_OK);
  ExpectCoreAtLeast41(context);
}

// Every test program selects the software rasteriser before main: both
// backends render with llvmpipe, whatever else the machine offers.
TEST(GLContextTest, TheSuitesContextsAreLlvmpipeOnBothBackends) {
  const char* vendorFiles = std::getenv("__EGL_VENDOR_LIBRARY_FILENAMES");
  ASSERT_NE(vendorFiles, nullptr) << "the suite's start-up selection did not run";
  EXPECT_EQ(std::string(vendorFiles), hostkit::MesaEglVendorFile());
  for (GLBackend backend : {GLBackend::Egl, GLBackend::Glx}) {
    GLContext context({backend, 4, 1});
    const hostkit::RendererInfo info = hostkit::CurrentRenderer();
    EXPECT_NE(info.renderer.find("llvmpipe"), std::string::npos)
        << (backend == GLBackend::Egl ? "EGL\n" : "GLX\n") << hostkit::DescribeRenderer(info);
  }
}

TEST(GLContextTest, SuccessiveContextsEachBecomeUsable) {
  for (GLBackend backend : {GLBackend::Egl, GLBackend::Glx, GLBackend::Egl}) {
    GLContext context({backend, 4, 1});
    context.MakeCurrent();
    RenderTarget target(2, 2, PixelFormat::RGBA8);
    target.Clear(1, 0, 0, 1);
    ExpectAt(target, 1, 1, Rgba{1, 0, 0, 1});
  }
}

TEST(GLContextTest, MakeCurrentSwitchesAndDestroyingAnotherKeepsCurrent) {
  GLContext first({GLBackend::Egl, 4, 1});
  RenderTarget target(2, 2, PixelFormat::RGBA32F);
  target.Clear(0.5f, 0, 0, 1);
  {
    GLContext second({GLBackend::Egl, 4, 1});  // now current; objects are not shared
    EXPECT_EQ(glIsFramebuffer(target.FramebufferName()), GL_FALSE);
    first.MakeCurrent();
  }
  // Destroying a context that is not current must leave the current one alone.
  EXPECT_EQ(glIsFramebuffer(target.FramebufferName()), GL_TRUE);
  ExpectAt(target, 0, 0, Rgba{0.5f, 0, 0, 1});
}

TEST(GLContextTest, UnavailableVersionsFailWithOneLineReason) {
  for (GLBackend backend : {GLBackend::Egl, GLBackend::Glx}) {
    for (auto [major, minor] : {std::pair{9, 9}, std::pair{3, 1}}) {
      try {
        GLContext context({backend, major, minor});
        ADD_FAILURE() << "made a context for " << major << "." << minor;
      } catch (const GLContextError& e) {
        const std::string message = e.what();
        EXPECT_EQ(message.rfind("no OpenGL " + std::to_string(major) + "." + std::to_string(minor) +
                                    " core context: ", 0), 0u) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
      }
    }
  }
}

TEST(GLContextTest, WglIsRefusedOffWindows) {
  try {
    GLContext context({GLBackend::Wgl, 4, 1});
    ADD_FAILURE() << "made a WGL context on Linux";
  } catch (const GLContextError& e) {
    EXPECT_STREQ(e.what(), "no OpenGL 4.1 core context: WGL exists only on Windows");
  }
}

TEST(GLContextTest, EnvironmentPicksBackend) {
  {
    ScopedEnv env("VELTRIMA_GL", nullptr);
    EXPECT_EQ(hostkit::OptionsFromEnvironment().backend, GLBackend::Egl);
  }
  {
    ScopedEnv env("VELTRIMA_GL", "GLX");
    EXPECT_EQ(hostkit::OptionsFromEnvironment().backend, GLBackend::Glx);
  }
  {
    ScopedEnv env("VELTRIMA_GL", "wayland");
    EXPECT_THROW(hostkit::OptionsFromEnvironment(), GLContextError);
  }
}

TEST(XvfbServerTest, ServersGetDistinctDisplaysAndAreReaped) {
  pid_t firstPid = 0;
  {
    hostkit::XvfbServer first, second;
    EXPECT_TRUE(std::regex_match(first.DisplayName(), std::regex(":[0-9]+"))) << first.DisplayName();
    EXPECT_NE(first.DisplayName(), second.DisplayName());
    firstPid = first.ProcessId();
    EXPECT_EQ(::kill(firstPid, 0), 0);
  }
  // Reaped, not merely killed: a zombie would still answer kill(pid, 0).
  errno = 0;
  EXPECT_EQ(::kill(firstPid, 0), -1);
  EXPECT_EQ(errno, ESRCH);
}

TEST(XvfbServerTest, MissingExecutableIsNamed) {
  try {
    hostkit::XvfbServer server("/nonexistent/Xvfb");
    FAIL() << "started a server from a missing executable";
  } catch (const hostkit::XvfbError& e) {
    EXPECT_NE(std::string(e.what()).find("/nonexistent/Xvfb"), std::string::npos) << e.what();
  }
  try {
    ScopedEnv path("PATH", "/nonexistent");
    hostkit::XvfbServer server;
    FAIL() << "found Xvfb on an empty PATH";
  } catch (const hostkit::XvfbError& e) {
    EXPECT_NE(std::string(e.what()).find("not found on PATH"), std::string::npos) << e.what();
  }
}

// No child may be left behind unreaped, whichever way startup failed.
void ExpectNoChildren() {
  errno = 0;
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST(XvfbServerTest, ServerThatDiesOrStallsIsReportedAndReaped) {
  try {
    hostkit::XvfbServer server("/bin/false");
    FAIL() << "a server that exits at once was taken as started";
  } catch (const hostkit::XvfbError& e) {
    EXPECT_NE(std::string(e.what()).find("exited with status 1"), std::string::npos) << e.what();
  }
  ExpectNoChildren();

  const std::string script = ::testing::TempDir() + "silent-xvfb.sh";
  std::ofstream(script) << "#!/bin/sh\necho starting >&2\nexec sleep 30\n";
  ASSERT_EQ(::chmod(script.c_str(), 0700), 0);
  const auto start = std::chrono::steady_clock::now();
  try {
    hostkit::XvfbServer server(script, std::chrono::milliseconds(200));
    FAIL() << "a server that never reports a display was taken as started";
  } catch (const hostkit::XvfbError& e) {
    const std::string message = e.what();
    EXPECT_NE(message.find("no display within 200 ms"), std::string::npos) << message;
    EXPECT_NE(message.find("starting"), std::string::npos) << "stderr not quoted: " << message;
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  ExpectNoChildren();
  ::unlink(script.c_str());
}

// Render targets run under whichever backend VELTRIMA_GL picks.
class RenderTargetTest : public ::testing::Test {
 protected:
  GLContext context_{hostkit::OptionsFromEnvironment()};
};

// Paints one GL window pixel of the bound draw framebuffer.
void PaintGLPixel(int x, int y, float r, float g, float b, float a) {
  glEnable(GL_SCISSOR_TEST);
  glScissor(x, y, 1, 1);
  glClearColor(r, g, b, a);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
}

TEST_F(RenderTargetTest, FloatTargetKeepsExactValuesOutsideUnitRange) {
  RenderTarget target(5, 3, PixelFormat::RGBA32F);
  const Pixel colour = {0.1f, -1.5f, 3.25f, 1e-7f};
  target.Clear(colour[0], colour[1], colour[2], colour[3]);
  const std::vector<float> output = target.ReadOutput();
  const std::vector<float> whole = target.ReadWholeTarget();
  ASSERT_EQ(output.size(), 5u * 3u * 4u);
  ASSERT_EQ(whole.size(), output.size());
  for (std::size_t i = 0; i < output.size(); ++i) {
    EXPECT_EQ(output[i], colour[i % 4]) << "component " << i;
    EXPECT_EQ(whole[i], colour[i % 4]) << "component " << i;
  }
}

TEST_F(RenderTargetTest, OffsetViewportReadsTopDownFromItsOwnCorner) {
  RenderTarget target(16, 12, PixelFormat::RGBA32F);
  const Viewport vp{3, 2, 8, 5};
  target.SetViewport(vp);
  target.Clear(0, 0, 0, 0);
  target.Bind();
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ((std::array<GLint, 4>{viewport[0], viewport[1], viewport[2], viewport[3]}),
            (std::array<GLint, 4>{3, 2, 8, 5}));

  PaintGLPixel(vp.x, vp.y, 1, 0, 0, 1);                                 // viewport bottom-left
  PaintGLPixel(vp.x, vp.y + vp.height - 1, 0, 1, 0, 1);                 // viewport top-left
  PaintGLPixel(vp.x + vp.width - 1, vp.y + vp.height - 1, 0, 0, 1, 1);  // viewport top-right
  PaintGLPixel(0, 0, 1, 1, 1, 1);                                       // outside the viewport

  ExpectAt(target, 0, vp.height - 1, Rgba{1, 0, 0, 1});
  ExpectAt(target, 0, 0, Rgba{0, 1, 0, 1});
  ExpectAt(target, vp.width - 1, 0, Rgba{0, 0, 1, 1});

  const std::vector<float> output = target.ReadOutput();
  ASSERT_EQ(output.size(), static_cast<std::size_t>(vp.width * vp.height * 4));
  const Pixels read(vp.width, vp.height, output);
  ExpectAt(read, 0, vp.height - 1, Rgba{1, 0, 0, 1});
  ExpectAt(read, 0, 0, Rgba{0, 1, 0, 1});
  ExpectAt(read, vp.width - 1, 0, Rgba{0, 0, 1, 1});
  float sum = 0;
  for (float v : output) sum += v;
  EXPECT_EQ(sum, 6.0f) << "a pixel from outside the viewport leaked into the output";

  const std::vector<float> whole = target.ReadWholeTarget();
  EXPECT_EQ((Pixel{whole[0], whole[1], whole[2], whole[3]}), (Pixel{1, 1, 1, 1}));
  EXPECT_THROW(target.OutputPixel(vp.width, 0), std::out_of_range);
  EXPECT_THROW(target.OutputPixel(0, -1), std::out_of_range);
}

TEST_F(RenderTargetTest, ByteTargetReadsAsBytesAndUnitFloats) {
  RenderTarget target(4, 3, PixelFormat::RGBA8);
  target.Clear(0.2f, 1.0f, 0.0f, 0.6f);  // 51, 255, 0, 153 exactly
  target.Bind();
  PaintGLPixel(0, 0, 0, 0, 0, 1);
  const std::vector<std::uint8_t> bytes = target.ReadOutputRGBA8();
  ASSERT_EQ(bytes.size(), 4u * 3u * 4u);
  const std::size_t bottomLeft = 2 * 4 * 4;
  EXPECT_EQ((std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 4)),
            (std::vector<std::uint8_t>{51, 255, 0, 153}));
  EXPECT_EQ((std::vector<std::uint8_t>(bytes.begin() + bottomLeft, bytes.begin() + bottomLeft + 4)),
            (std::vector<std::uint8_t>{0, 0, 0, 255}));
  ExpectAt(target, 1, 1, Rgba{51 / 255.0f, 1.0f, 0.0f, 153 / 255.0f});
}

TEST_F(RenderTargetTest, FloatTargetConvertsToBytesWithClamping) {
  RenderTarget target(2, 2, PixelFormat::RGBA32F);
  target.Clear(2.0f, -1.0f, 0.2f, 1.0f);
  const std::vector<std::uint8_t> bytes = target.ReadOutputRGBA8();
  EXPECT_EQ((std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 4)),
            (std::vector<std::uint8_t>{255, 0, 51, 255}));
}

// A plug-in may leave any of this state behind; the host's own work must neither be
// disturbed by it nor change it.
TEST_F(RenderTargetTest, ClearAndReadIgnoreAndPreserveLeftoverState) {
  RenderTarget target(8, 8, PixelFormat::RGBA32F);
  RenderTarget other(4, 4, PixelFormat::RGBA8);
  other.Bind();
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, 1, 1);
  glColorMask(GL_FALSE, GL_TRUE, GL_FALSE, GL_TRUE);
  glPixelStorei(GL_PACK_ALIGNMENT, 8);
  glPixelStorei(GL_PACK_ROW_LENGTH, 3);
  glClampColor(GL_CLAMP_READ_COLOR, GL_TRUE);

  target.Clear(0.5f, 2.0f, 0.25f, 1.0f);
  const std::vector<float> whole = target.ReadWholeTarget();
  for (std::size_t i = 0; i < whole.size(); i += 4)
    ASSERT_EQ((Pixel{whole[i], whole[i + 1], whole[i + 2], whole[i + 3]}), (Pixel{0.5f, 2.0f, 0.25f, 1.0f}))
        << "pixel " << i / 4;

  EXPECT_EQ(glIsEnabled(GL_SCISSOR_TEST), GL_TRUE);
  GLboolean mask[4] = {};
  glGetBooleanv(GL_COLOR_WRITEMASK, mask);
  EXPECT_EQ(mask[0], GL_FALSE);
  EXPECT_EQ(mask[1], GL_TRUE);
  GLint draw = 0, read = 0, alignment = 0, rowLength = 0, clamp = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw);
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
  glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  glGetIntegerv(GL_PACK_ROW_LENGTH, &rowLength);
  glGetIntegerv(GL_CLAMP_READ_COLOR, &clamp);
  EXPECT_EQ(static_cast<unsigned>(draw), other.FramebufferName());
  EXPECT_EQ(static_cast<unsigned>(read), other.FramebufferName());
  EXPECT_EQ(alignment, 8);
  EXPECT_EQ(rowLength, 3);
  EXPECT_EQ(clamp, GL_TRUE);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderTargetTest, MovesHandOverTheGLObjects) {
  RenderTarget source(3, 3, PixelFormat::RGBA8);
  source.SetViewport({1, 1, 2, 2});
  source.Clear(0, 1, 0, 1);
  const unsigned framebuffer = source.FramebufferName();

  RenderTarget moved(std::move(source));
  EXPECT_EQ(source.FramebufferName(), 0u);
  EXPECT_EQ(moved.FramebufferName(), framebuffer);
  EXPECT_EQ(moved.GetViewport().width, 2);
  ExpectAt(moved, 1, 1, Rgba{0, 1, 0, 1});

  RenderTarget replaced(2, 2, PixelFormat::RGBA32F);
  const unsigned dropped = replaced.FramebufferName();
  replaced = std::move(moved);
  EXPECT_EQ(glIsFramebuffer(dropped), GL_FALSE) << "the overwritten target's framebuffer leaked";
  EXPECT_EQ(glIsFramebuffer(framebuffer), GL_TRUE);
  EXPECT_EQ(replaced.Format(), PixelFormat::RGBA8);
  ExpectAt(replaced, 0, 0, Rgba{0, 1, 0, 1});
}

TEST_F(RenderTargetTest, RejectsSizesAndViewportsThatDoNotFit) {
  EXPECT_THROW(RenderTarget(0, 4, PixelFormat::RGBA8), std::invalid_argument);
  EXPECT_THROW(RenderTarget(4, -1, PixelFormat::RGBA8), std::invalid_argument);
  EXPECT_THROW(RenderTarget(1 << 24, 4, PixelFormat::RGBA32F), std::invalid_argument);

  RenderTarget target(10, 6, PixelFormat::RGBA8);
  EXPECT_THROW(target.SetViewport({0, 0, 0, 6}), std::invalid_argument);
  EXPECT_THROW(target.SetViewport({-1, 0, 4, 4}), std::invalid_argument);
  EXPECT_THROW(target.SetViewport({7, 0, 4, 4}), std::invalid_argument);
  EXPECT_THROW(target.SetViewport({0, 3, 4, 4}), std::invalid_argument);
  target.SetViewport({6, 2, 4, 4});  // flush with the top-right corner
  EXPECT_EQ(target.GetViewport().x, 6);
}

}  // namespace

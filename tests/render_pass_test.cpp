// Frames through plugMain, read back from RGBA32F targets and compared
// exactly: solid colours, the line sweep, the pixel checker, brightness,
// transparent output, viewports and resizes, and the frame's GL calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <string>
#include <vector>

#include "hostkit/GLInterceptor.h"
#include "PixelProbe.h"
#include "PluginFixture.h"
#include "hostkit/HostInstance.h"

namespace {

using hostkit::HostInstance;
using hostkit::Viewport;

constexpr Rgba kBlack{0, 0, 0, 1};
constexpr Rgba kWhite{1, 1, 1, 1};
constexpr Rgba kRed{1, 0, 0, 1};
constexpr Rgba kGreen{0, 1, 0, 1};
constexpr Rgba kBlue{0, 0, 1, 1};
constexpr Rgba kClear{0, 0, 0, 0};

// A frame with only the pattern: no moving element, no info box.
class RenderPass : public ::testing::Test {
 protected:
  void SetUp() override { EnsurePluginLoaderRan(); }

  static void PatternOnly(HostInstance& host, float pattern) {
    host.Set(1, pattern);
    host.Set(7, 0.0f);
    host.Set(8, 0.0f);
  }
};

TEST_F(RenderPass, FixedSolidColoursFillEveryPixel) {
  const struct {
    float option;
    Rgba colour;
  } cases[] = {{1, kRed}, {2, kGreen}, {3, kBlue}, {4, kWhite}, {5, kBlack}, {9, kBlack}};
  for (auto [width, height] : {std::pair{1, 1}, std::pair{7, 5}, std::pair{64, 48}}) {
    HostInstance host(Plugin(), width, height);
    PatternOnly(host, 4);
    host.Set(14, 1.0f);  // transparent: a solid colour still covers everything
    for (const auto& c : cases) {
      host.Set(12, c.option);
      ASSERT_EQ(host.RunFrames(), FF_SUCCESS);
      ExpectEvery(host.Target(), [&](int, int) { return c.colour; });
    }
  }
}

TEST_F(RenderPass, PixelCheckerCellsAreLineWidthSquare) {
  for (int lineWidth : {1, 2, 3, 16}) {
    HostInstance host(Plugin(), 37, 21);
    PatternOnly(host, 6);
    host.Set(10, static_cast<float>(lineWidth));
    host.RunFrames();
    ExpectEvery(host.Target(), [&](int x, int y) {
      return ((x / lineWidth + y / lineWidth) & 1) ? kWhite : kBlack;
    });
  }
  HostInstance host(Plugin(), 4, 4);
  PatternOnly(host, 9);  // beyond the list: still the checker
  host.RunFrames();
  ExpectAt(host.Target(), 0, 0, kBlack);
  ExpectAt(host.Target(), 1, 0, kWhite);
  ExpectAt(host.Target(), 0, 1, kWhite);
  ExpectAt(host.Target(), 1, 1, kBlack);
}

TEST_F(RenderPass, LineSweepFirstFrameStartsAtTopLeftInWhite) {
  for (int lineWidth : {1, 2, 5}) {
    HostInstance host(Plugin(), 40, 30);
    PatternOnly(host, 5);
    host.Set(10, static_cast<float>(lineWidth));
    host.Set(14, 1.0f);
    host.RunFrames();
    ExpectEvery(host.Target(), [&](int x, int y) {
      return (x < lineWidth || y < lineWidth) ? kWhite : kClear;
    });
  }
}

TEST_F(RenderPass, BrightnessScalesColourNotAlpha) {
  HostInstance host(Plugin(), 16, 8);
  PatternOnly(host, 5);
  host.Set(9, 0.5f);
  host.Set(14, 1.0f);
  host.RunFrames();
  ExpectAt(host.Target(), 0, 0, {0.5f, 0.5f, 0.5f, 1});
  ExpectAt(host.Target(), 3, 3, kClear);
  PatternOnly(host, 6);
  host.Set(9, 0.25f);
  host.Set(14, 0.0f);
  host.RunFrames();
  ExpectAt(host.Target(), 1, 0, {0.25f, 0.25f, 0.25f, 1});
  ExpectAt(host.Target(), 0, 0, kBlack);
  host.Set(9, -3.0f);  // clamped to 0: everything black, still opaque
  host.RunFrames();
  ExpectEvery(host.Target(), [](int, int) { return kBlack; });
}

TEST_F(RenderPass, HostInformationChangesNoPixelAndAResizeRecentresTheInfoBox) {
  // Solid red with the info box: at 640 x 360 (NumSize 0.5: line scale 2,
  // pad 3) the box is 88 x 29 at (276, 165); at 320 x 180 it is 47 x 22 at
  // (136, 79). Its outermost pixels are grey.
  constexpr Rgba kFrameGrey{0.6f, 0.6f, 0.6f, 1};
  HostInstance host(Plugin(), 640, 360);
  PatternOnly(host, 4);
  host.Set(12, 1.0f);
  host.Set(8, 1.0f);
  ASSERT_EQ(host.RunFrames(), FF_SUCCESS);
  const Pixels before = ReadPixels(host.Target());
  ExpectAt(before, 276, 165, kFrameGrey, "top-left corner of the box at 640 x 360");
  ExpectAt(before, 363, 193, kFrameGrey, "bottom-right corner of the box at 640 x 360");
  ExpectAt(before, 275, 165, kRed, "left of the box at 640 x 360");

  // Time, tempo, host texts and sample rate: a host sends them every frame;
  // this plug-in shows none of them.
  const FFInstanceID id = host.Id();
  EXPECT_EQ(Plugin().SetTime(id, 3600.5), FF_SUCCESS);
  EXPECT_EQ(Plugin().SetBeatInfo(id, 90.0f, 0.75f), FF_SUCCESS);
  EXPECT_EQ(Plugin().SetHostInfo(id, "Host", "2.0"), FF_SUCCESS);
  EXPECT_EQ(Plugin().SetSampleRate(id, 44100), FF_SUCCESS);
  ASSERT_EQ(host.RunFrames(), FF_SUCCESS);
  ExpectEvery(host.Target(), [&](int x, int y) { return before.At(x, y); },
              "the frame after host information");

  ASSERT_EQ(host.Resize({0, 0, 320, 180}), FF_SUCCESS);
  ASSERT_EQ(host.RunFrames(), FF_SUCCESS);
  ExpectAt(host.Target(), 136, 79, kFrameGrey, "top-left corner of the box at 320 x 180");
  ExpectAt(host.Target(), 182, 100, kFrameGrey, "bottom-right corner of the box at 320 x 180");
  ExpectAt(host.Target(), 135, 79, kRed, "left of the box at 320 x 180");
}

TEST_F(RenderPass, ViewportWithAnOriginDrawsOnlyInsideIt) {
  const Viewport viewport{10, 20, 50, 30};
  HostInstance host(Plugin(), 100, 80, viewport);
  host.Target().Clear(0.25f, 0.5f, 0.75f, 1.0f);
  PatternOnly(host, 6);
  host.RunFrames();
  // Aligned to the viewport's own top-left corner.
  ExpectEvery(host.Target(), [](int x, int y) { return ((x + y) & 1) ? kWhite : kBlack; });
  const std::vector<float> whole = host.Target().ReadWholeTarget();
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 100; ++x) {
      const bool inside = x >= viewport.x && x < viewport.x + viewport.width &&
                          y >= viewport.y && y < viewport.y + viewport.height;
      if (inside) continue;
      const float* px = &whole[static_cast<std::size_t>((y * 100 + x) * 4)];
      ASSERT_EQ(Rgba(px[0], px[1], px[2], px[3]), Rgba(0.25f, 0.5f, 0.75f, 1.0f))
          << "window pixel " << x << "," << y << " outside the viewport was written";
    }
}

TEST_F(RenderPass, ResizeTakesEffectOnTheNextFrame) {
  HostInstance host(Plugin(), 64, 64, Viewport{0, 0, 32, 32});
  PatternOnly(host, 6);
  host.RunFrames();
  // An odd height flips which window row is output row 0.
  ASSERT_EQ(host.Resize(Viewport{0, 0, 48, 33}), FF_SUCCESS);
  host.RunFrames();
  ExpectEvery(host.Target(), [](int x, int y) { return ((x + y) & 1) ? kWhite : kBlack; });
}

TEST_F(RenderPass, ZeroSizedViewportIsDrawnAsOnePixel) {
  hostkit::RenderTarget target(1, 1, hostkit::PixelFormat::RGBA32F);
  target.Clear(0.5f, 0.5f, 0.5f, 0.5f);
  FFInstanceID instance = Plugin().Instantiate({0, 0, 0, 0});
  ASSERT_NE(instance, nullptr);
  Plugin().SetParameter(instance, 1, 4);
  Plugin().SetParameter(instance, 12, 2);
  Plugin().SetParameter(instance, 7, 0);
  Plugin().SetParameter(instance, 8, 0);
  target.Bind();
  ProcessOpenGLStruct frame{0, nullptr, target.FramebufferName()};
  EXPECT_EQ(Plugin().ProcessOpenGL(instance, frame), FF_SUCCESS);
  ExpectAt(target, 0, 0, kGreen);
  Plugin().Deinstantiate(instance);
}

// Names of the uniforms in the order every frame sets them.
const std::vector<std::string> kUniformOrder = {
    "Font", "Res",  "Org",  "Pattern", "PW",    "PH",   "OX",  "OY",  "LabelMode", "ShowRes",
    "LW",   "Moving", "SolidIdx", "Transparent", "NumSize", "Bright", "Sweep", "SweepPass",
    "Ball", "BallR", "BarX", "BarW", "L1", "L2", "L1n", "L2n", "CR", "Credit", "Background",
    "BgOrg"};

// Each program a frame uses is made current, given every uniform in this
// order (specialised programs lack some: those calls name location -1), fed
// its rectangles; the frame ends on program 0 and vertex array 0.
TEST_F(RenderPass, EveryProgramOfAFrameGetsAllUniformsInOrder) {
  hostkit::GLCallCounter counter;
  HostInstance host(Plugin(), 96, 64);
  host.Set(1, 0);   // panel grid: base, label and coordinate-tag programs
  host.Set(15, 1);  // credit tag

  // The first frame of a setting draws the kept picture; the second draws
  // what moves over its copy (the ball with programs of its own, built on
  // that frame): each program looks its locations up on the first frame it
  // draws, none after.
  for (int frame = 0; frame < 4; ++frame) {
    counter.Reset();
    ASSERT_EQ(host.RunFrames(), FF_SUCCESS);
    // Copied before this test makes GL calls of its own.
    const std::vector<hostkit::GLCall> calls = counter.Sequence();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().function, "glUseProgram");
    EXPECT_EQ(calls.back().firstArgument, 0);
    const long long lookups =
        std::count_if(calls.begin(), calls.end(),
                      [](const hostkit::GLCall& c) { return c.function == "glGetUniformLocation"; });
    if (frame > 1) {
      EXPECT_EQ(lookups, 0) << "locations are cached per program";
    }

    // Split into one run of calls per program made current.
    std::vector<std::pair<GLuint, std::vector<hostkit::GLCall>>> runs;
    for (const auto& call : calls) {
      if (call.function == "glUseProgram") {
        if (call.firstArgument != 0) runs.push_back({static_cast<GLuint>(call.firstArgument), {}});
        continue;
      }
      if (!runs.empty()) runs.back().second.push_back(call);
    }
    ASSERT_GE(runs.size(), 3u) << "frame " << frame;
    for (const auto& [program, run] : runs) {
      const GLint rects = glGetUniformLocation(program, "Rects");
      ASSERT_NE(rects, -1);
      std::vector<std::string> uniforms;
      int rectUploads = 0;
      for (const auto& call : run) {
        if (call.function == "glUniform4fv" && call.firstArgument == rects) ++rectUploads;
        if (call.function.rfind("glUniform", 0) != 0 || call.firstArgument == rects) continue;
        std::string name = call.firstArgument == -1 ? "(inactive)" : "?";
        for (const auto& candidate : kUniformOrder)
          if (call.firstArgument != -1 &&
              glGetUniformLocation(program, candidate.c_str()) == call.firstArgument)
            name = candidate;
        uniforms.push_back(name);
      }
      EXPECT_GE(rectUploads, 1) << "a program made current draws rectangles";
      ASSERT_EQ(uniforms.size(), kUniformOrder.size()) << "frame " << frame;
      for (std::size_t i = 0; i < uniforms.size(); ++i)
        if (uniforms[i] != "(inactive)") {
          EXPECT_EQ(uniforms[i], kUniformOrder[i]) << "frame " << frame << ", call " << i;
        }
    }
  }
  GLint current = -1, vertexArray = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &current);
  glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
  EXPECT_EQ(current, 0);
  EXPECT_EQ(vertexArray, 0);
}

TEST_F(RenderPass, ThousandFramesLeaveNoGLObjectBehind) {
  hostkit::GLCallCounter counter;
  int createdDuringFrames = 0;
  {
    HostInstance host(Plugin(), 8, 8);
    const int before = counter.Count("glCreateProgram");
    host.RunFrames(1000);
    createdDuringFrames = counter.Count("glCreateProgram") - before;
  }
  std::set<GLuint> programs, shaders;
  for (const auto& call : counter.Sequence()) {
    if (call.function == "glCreateProgram") programs.insert(static_cast<GLuint>(call.result));
    if (call.function == "glCreateShader") shaders.insert(static_cast<GLuint>(call.result));
  }
  // The general program, then the few specialised ones the default frame
  // needs, each built once rather than once per frame.
  EXPECT_GE(createdDuringFrames, 1);
  EXPECT_LE(createdDuringFrames, 8);
  ASSERT_EQ(shaders.size(), 2 * programs.size());
  for (GLuint name : programs) EXPECT_EQ(glIsProgram(name), GL_FALSE);
  for (GLuint name : shaders) EXPECT_EQ(glIsShader(name), GL_FALSE);
  EXPECT_EQ(counter.Count("glCreateProgram"), counter.Count("glDeleteProgram"));
  EXPECT_EQ(counter.Count("glGenBuffers"), counter.Count("glDeleteBuffers"));
  EXPECT_EQ(counter.Count("glGenVertexArrays"), counter.Count("glDeleteVertexArrays"));
  for (GLuint name = 1; name < 64; ++name) {
    EXPECT_EQ(glIsBuffer(name), GL_FALSE) << "buffer " << name;
    EXPECT_EQ(glIsVertexArray(name), GL_FALSE) << "vertex array " << name;
  }
}

}  // namespace

// A specialised program that cannot be built: the frame is drawn whole with
// the general program instead, bit for bit the general program's frame, the
// failure is reported once and never built again, the host's GL state is
// left as it was, and settings whose programs do build go on using them.
// Builds are made to fail through the instance's source-edit seam.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "GLHygiene.h"
#include "host/EntryPoint.h"
#include "hostkit/GLInterceptor.h"
#include "hostkit/HostInstance.h"
#include "free/shaders/ShaderConstants.h"
#include "free/FrameRegions.h"
#include "free/OVNVeltrimaFree.h"
#include "free/Parameters.h"
#include "free/ProgramVariant.h"
#include "clock/SteppedClock.h"
#include "tests/LinkedPluginSuite.h"

namespace {

using hostkit::HostInstance;

// Every build failure the plug-in reports starts with this.
constexpr char kBuildError[] = "Fragment Shader error";

// Two ways to break a fragment text: the compiler refuses it (and names our
// marker), or it compiles without a main and the link refuses it.
void FailCompiling(std::string& fragment) {
  fragment = WithDefines(fragment.c_str(), "#error forced build failure\n");
}
void FailLinking(std::string& fragment) {
  fragment = WithDefines(fragment.c_str(), "#define main notMain\n");
}

int Occurrences(const std::string& text, const std::string& what) {
  int count = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

// Pixels whose four floats differ in any bit.
int DifferingPixels(const std::vector<float>& a, const std::vector<float>& b) {
  if (a.size() != b.size()) return -1;
  int differing = 0;
  for (std::size_t i = 0; i < a.size(); i += 4)
    if (std::memcmp(&a[i], &b[i], 4 * sizeof(float)) != 0) ++differing;
  return differing;
}

// What one or more frames did: the frame results, the output read back
// afterwards, the diagnostics printed, the programs made current and the
// builds started.
struct FrameRecord {
  FFUInt32 result = FF_FAIL;
  std::vector<float> pixels;
  std::string log;
  std::vector<GLuint> programsUsed;  // every non-zero glUseProgram, in order
  int compiles = 0;
  int links = 0;
};

class ProgramFallback : public LinkedPluginSuite {
 protected:

  // Runs `frames` frames of the same moment (the stepped clock stands still)
  // with both output streams captured.
  static FrameRecord Run(HostInstance& host, int frames = 1) {
    FrameRecord record;
    {
      hostkit::GLCallCounter counter;
      testing::internal::CaptureStdout();
      testing::internal::CaptureStderr();
      record.result = host.RunFrames(frames);
      record.log = testing::internal::GetCapturedStdout();
      testing::internal::GetCapturedStderr();
      for (const auto& call : counter.Sequence())
        if (call.function == "glUseProgram" && call.firstArgument != 0)
          record.programsUsed.push_back(static_cast<GLuint>(call.firstArgument));
      record.compiles = counter.Count("glCompileShader");
      record.links = counter.Count("glLinkProgram");
    }
    record.pixels = host.Target().ReadWholeTarget();
    return record;
  }

  // The same moment drawn by the general program alone.
  static FrameRecord RunGeneral(HostInstance& host) {
    Instance(host).UseGeneralProgram(true);
    FrameRecord record = Run(host);
    Instance(host).UseGeneralProgram(false);
    return record;
  }

  static void ApplySetting(HostInstance& host, const std::vector<std::pair<FFUInt32, float>>& values) {
    for (FFUInt32 index = 1; index < kParamCount; ++index)
      host.Set(index, ParameterDefinitions()[index].defaultValue);
    for (const auto& [index, value] : values) host.Set(index, value);
  }

  SteppedClock clock_{0};
  hostkit::PluginLibrary plugin_{&plugMain, &SetLogCallback, "linked plug-in"};
};

struct FailingCase {
  const char* what;
  std::vector<std::pair<FFUInt32, float>> setting;
  std::function<bool(const ProgramVariant&)> breaks;
  void (*edit)(std::string&);
  const char* logged;  // a piece of the one diagnostic line expected
};

// Each case breaks some programs of one setting; raster programs always
// build, so switching to the raster shows the instance recovering.
TEST_F(ProgramFallback, FailedBuildDrawsTheGeneralFrameOnceReportedAndNotRetried) {
  const FailingCase cases[] = {
      // The label program is the first one a grid frame asks for.
      {"grid, label program does not compile",
       {{kParamPattern, glsl::PATTERN_GRID}},
       [](const ProgramVariant& v) {
         return v.pattern == glsl::PATTERN_GRID && v.features == kRegionLabel;
       },
       FailCompiling, "forced build failure"},
      // The pattern-only program is the last: every other one is built by then.
      {"grid with credit, pattern-only program does not link",
       {{kParamPattern, glsl::PATTERN_GRID}, {kParamCredit, 1}},
       [](const ProgramVariant& v) { return v.pattern == glsl::PATTERN_GRID && v.features == 0; },
       FailLinking, "main"},
      {"bars, moving, transparent, every program fails",
       {{kParamPattern, glsl::PATTERN_BARS}, {kParamBackground, 1}},
       [](const ProgramVariant& v) { return v.pattern == glsl::PATTERN_BARS; }, FailCompiling,
       "forced build failure"},
  };
  for (const FailingCase& c : cases) {
    SCOPED_TRACE(c.what);
    HostInstance host(plugin_, 96, 64);
    Instance(host).EditSpecialisedSources(
        [&c](const ProgramVariant& variant, std::string& fragment) {
          if (c.breaks(variant)) c.edit(fragment);
        });
    ApplySetting(host, c.setting);
    Instance(host).AnimationClock() = FrameClock(4.0, 3.5, 2.0);

    const FrameRecord first = Run(host);
    ASSERT_EQ(first.result, FF_SUCCESS) << "the frame is still drawn";
    EXPECT_EQ(Occurrences(first.log, kBuildError), 1) << first.log;
    EXPECT_NE(first.log.find(c.logged), std::string::npos) << first.log;
    ASSERT_EQ(first.programsUsed.size(), 1u) << "one program over the whole output";

    const FrameRecord general = RunGeneral(host);
    ASSERT_EQ(general.programsUsed.size(), 1u);
    const GLuint generalProgram = general.programsUsed[0];
    EXPECT_EQ(first.programsUsed[0], generalProgram);
    EXPECT_EQ(DifferingPixels(first.pixels, general.pixels), 0);

    // Later frames of the setting neither build nor report again.
    const FrameRecord later = Run(host, 3);
    EXPECT_EQ(later.result, FF_SUCCESS);
    EXPECT_EQ(later.compiles + later.links, 0);
    EXPECT_EQ(later.log, "");
    EXPECT_EQ(later.programsUsed, std::vector<GLuint>(3, generalProgram));
    EXPECT_EQ(DifferingPixels(later.pixels, general.pixels), 0);

    // A setting whose programs build is drawn with them again.
    const std::size_t built = Instance(host).SpecialisedProgramCount();
    ApplySetting(host, {{kParamPattern, glsl::PATTERN_RASTER}});
    const FrameRecord raster = Run(host);
    EXPECT_EQ(raster.log, "");
    EXPECT_GT(Instance(host).SpecialisedProgramCount(), built);
    EXPECT_NE(std::set<GLuint>(raster.programsUsed.begin(), raster.programsUsed.end()),
              std::set<GLuint>{generalProgram})
        << "specialised programs draw the raster";
    EXPECT_EQ(DifferingPixels(raster.pixels, RunGeneral(host).pixels), 0);

    // Back to the failing setting: still the general frame, still no build.
    ApplySetting(host, c.setting);
    const FrameRecord back = Run(host);
    EXPECT_EQ(back.compiles + back.links, 0);
    EXPECT_EQ(back.log, "");
    EXPECT_EQ(back.programsUsed, std::vector<GLuint>{generalProgram});
    EXPECT_EQ(DifferingPixels(back.pixels, general.pixels), 0);
  }
}

// The host's state around a frame whose credit program fails (built after
// those of the labels, coordinates and info box; drawn after theirs and the
// pattern's), on the frame
// that tries the builds and on a later one: nothing changed, nothing left
// bound, no GL error, and with additive blending every pixel drawn exactly
// once (programs built before the failure draw nothing). The failed builds
// leave no GL object behind once the instance is gone.
TEST_F(ProgramFallback, FailedBuildKeepsHostStateAndDrawsEachPixelOnce) {
  const hostkit::Viewport viewport{5, 7, 80, 56};
  hostkit::GLCallCounter lifetime;
  {
    HostInstance host(plugin_, 96, 72, viewport);
    Instance(host).EditSpecialisedSources([](const ProgramVariant& variant, std::string& fragment) {
      if (variant.features == kRegionCredit) FailCompiling(fragment);
    });
    ApplySetting(host, {{kParamPattern, glsl::PATTERN_GRID}, {kParamCredit, 1}});
    Instance(host).AnimationClock() = FrameClock(2.0, 2.0, 2.0);

    std::string log;
    auto frameInHostState = [&](bool generalOnly) {
      host.Target().Clear(0.3f, 0.6f, 0.9f, 0.5f);
      validate::SetUnusualHostState(host.Target(), viewport);
      // Additive, so that a pixel drawn twice shows; back faces culled, so
      // that the frame's rectangles (front faces here) are drawn at all.
      glBlendFunc(GL_ONE, GL_ONE);
      glCullFace(GL_BACK);
      validate::DrainGLErrors();
      const validate::StateSnapshot before = validate::SnapshotState();
      Instance(host).UseGeneralProgram(generalOnly);
      testing::internal::CaptureStdout();
      testing::internal::CaptureStderr();
      EXPECT_EQ(host.RunFrames(), FF_SUCCESS);
      log += testing::internal::GetCapturedStdout();
      testing::internal::GetCapturedStderr();
      Instance(host).UseGeneralProgram(false);
      EXPECT_EQ(validate::DescribeChanges(before, validate::SnapshotState()), "");
      EXPECT_EQ(validate::BindingsLeft(), "");
      EXPECT_EQ(validate::DrainGLErrors(), "");
      return host.Target().ReadWholeTarget();
    };
    const std::vector<float> building = frameInHostState(false);
    const std::vector<float> cached = frameInHostState(false);
    const std::vector<float> general = frameInHostState(true);
    host.Target().Clear(0.3f, 0.6f, 0.9f, 0.5f);
    EXPECT_GT(DifferingPixels(general, host.Target().ReadWholeTarget()), 0) << "nothing was drawn";
    EXPECT_EQ(Occurrences(log, kBuildError), 1) << log;
    EXPECT_GE(Instance(host).SpecialisedProgramCount(), 4u) << "the failure came after others built";
    EXPECT_EQ(DifferingPixels(building, general), 0);
    EXPECT_EQ(DifferingPixels(cached, general), 0);

    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glBlendEquation(GL_FUNC_ADD);
    glDisable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glDisable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
  }
  EXPECT_EQ(lifetime.Count("glCreateProgram"), lifetime.Count("glDeleteProgram"));
  EXPECT_EQ(lifetime.Count("glCreateShader"), lifetime.Count("glDeleteShader"));
}

}  // namespace

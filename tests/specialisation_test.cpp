// Specialised programs drawn over rectangles against the general program
// drawn over the whole output: the same frame, read back from RGBA32F, must
// match bit for bit on every preset and across the options that decide what
// is drawn where. Also: programs are built once and reused, and released on
// DeInitGL. The plug-in's code is linked
// in so that a test can switch an instance to the general program.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "tests/LinkedPluginSuite.h"
#include "hostkit/GLInterceptor.h"
#include "host/EntryPoint.h"
#include "hostkit/GLContext.h"
#include "hostkit/HostInstance.h"
#include "free/OVNVeltrimaFree.h"
#include "free/Parameters.h"
#include "clock/SteppedClock.h"

namespace {

using hostkit::HostInstance;

class Specialisation : public LinkedPluginSuite {
 protected:

  // Draws the current moment twice, specialised and general (the stepped
  // clock stands still between them), and compares every byte.
  static void ExpectSameAsGeneral(HostInstance& host, const std::string& what) {
    ASSERT_EQ(host.RunFrames(), FF_SUCCESS) << what;
    const std::vector<float> specialised = host.Target().ReadWholeTarget();
    Instance(host).UseGeneralProgram(true);
    ASSERT_EQ(host.RunFrames(), FF_SUCCESS) << what;
    const std::vector<float> general = host.Target().ReadWholeTarget();
    Instance(host).UseGeneralProgram(false);
    ASSERT_EQ(specialised.size(), general.size());
    const int width = host.Target().Width();
    int differing = 0, first = -1;
    for (std::size_t i = 0; i < general.size(); i += 4)
      if (std::memcmp(&specialised[i], &general[i], 4 * sizeof(float)) != 0) {
        if (first < 0) first = static_cast<int>(i / 4);
        ++differing;
      }
    EXPECT_EQ(differing, 0) << what << ": first at window pixel (" << first % width << ","
                            << first / width << "), specialised "
                            << (first >= 0 ? specialised[4 * first] : 0) << " general "
                            << (first >= 0 ? general[4 * first] : 0);
  }

  // Moves the animation to a given moment, the same for both draws.
  static void MoveTo(HostInstance& host, double sweep, double motion, double cycle) {
    Instance(host).AnimationClock() = FrameClock(sweep, motion, cycle);
  }

  SteppedClock clock_{0};
  hostkit::PluginLibrary plugin_{&plugMain, &SetLogCallback, "linked plug-in"};
};

TEST_F(Specialisation, EveryPresetMatchesTheGeneralProgram) {
  for (auto [width, height] : {std::pair{256, 144}, std::pair{203, 117}}) {
    HostInstance host(plugin_, width, height);
    host.Set(15, 1);  // credit on as well
    for (int preset = 0; preset < 10; ++preset) {
      host.Set(0, static_cast<float>(preset));
      // Two moments: the ball and bar somewhere else over the labels.
      for (double motion : {0.0, 7.3}) {
        MoveTo(host, 3.0 * motion, motion, motion);
        ExpectSameAsGeneral(host, "preset " + std::to_string(preset) + " at " +
                                      std::to_string(width) + "x" + std::to_string(height) +
                                      ", motion " + std::to_string(motion));
      }
    }
  }
}

// Parameter settings that move text and overlays around: each row is applied
// on top of the defaults, then compared.
struct Setting {
  const char* what;
  std::vector<std::pair<FFUInt32, float>> values;
};

TEST_F(Specialisation, OptionCombinationsMatchTheGeneralProgram) {
  const Setting settings[] = {
      {"grid, running index, transparent", {{1, 0}, {6, 1}, {14, 1}}},
      {"grid, small panels and offsets", {{1, 0}, {2, 16}, {3, 20}, {4, 37}, {5, 11}}},
      {"grid, tall panels, thick lines, large numbers", {{1, 0}, {2, 40}, {3, 100}, {10, 7}, {11, 1}}},
      {"grid, no info, no moving, number size 0", {{1, 0}, {7, 0}, {8, 0}, {11, 0}}},
      {"grid, credit, 30 columns of letters", {{1, 0}, {2, 16}, {3, 28}, {15, 1}}},
      {"raster, corner texts, number size 1", {{1, 1}, {11, 1}, {10, 3}}},
      {"raster, no corner texts, transparent", {{1, 1}, {8, 0}, {14, 1}}},
      {"bars, moving, credit, dimmed", {{1, 2}, {7, 1}, {15, 1}, {9, 0.4f}}},
      {"gradients, moving, info", {{1, 3}, {7, 1}, {8, 1}}},
      {"solid cycle, transparent, credit", {{1, 4}, {12, 0}, {14, 1}, {15, 1}}},
      {"sweep, thick, moving, transparent", {{1, 5}, {10, 9}, {7, 1}, {14, 1}}},
      {"checker, line width 3, everything on", {{1, 6}, {10, 3}, {7, 1}, {8, 1}, {15, 1}}},
      {"pattern beyond the list, everything on", {{1, 9}, {7, 1}, {8, 1}, {15, 1}}},
  };
  HostInstance host(plugin_, 240, 160);
  for (const Setting& setting : settings) {
    for (FFUInt32 index = 1; index < 16; ++index)
      host.Set(index, ParameterDefinitions()[index].defaultValue);
    for (const auto& [index, value] : setting.values) host.Set(index, value);
    for (double motion : {1.0, 12.5}) {
      MoveTo(host, 5.0 * motion, motion, motion);
      ExpectSameAsGeneral(host, std::string(setting.what) + ", motion " + std::to_string(motion));
    }
  }
}

// The host's drawing state applies to the frame as a whole: with blending
// and face culling on, a pixel drawn twice or not at all would show.
TEST_F(Specialisation, HostBlendingAndCullingSeeEachPixelOnce) {
  HostInstance host(plugin_, 96, 80, hostkit::Viewport{5, 9, 77, 61});
  host.Set(0, 0);
  host.Set(15, 1);
  host.Target().Clear(0.3f, 0.6f, 0.9f, 0.5f);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  glEnable(GL_CULL_FACE);
  glFrontFace(GL_CW);
  glCullFace(GL_BACK);
  MoveTo(host, 2, 2, 2);
  ASSERT_EQ(host.RunFrames(), FF_SUCCESS);
  const std::vector<float> specialised = host.Target().ReadWholeTarget();
  host.Target().Clear(0.3f, 0.6f, 0.9f, 0.5f);
  Instance(host).UseGeneralProgram(true);
  ASSERT_EQ(host.RunFrames(), FF_SUCCESS);
  const std::vector<float> general = host.Target().ReadWholeTarget();
  glDisable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ZERO);
  glDisable(GL_CULL_FACE);
  glFrontFace(GL_CCW);
  EXPECT_TRUE(specialised == general);
}

TEST_F(Specialisation, ProgramsAreBuiltOnceAndReusedAcrossFrames) {
  HostInstance host(plugin_, 64, 48);
  host.Set(0, 0);  // grid with moving element and info box
  hostkit::GLCallCounter counter;
  host.RunFrames();
  const int first = counter.Count("glCreateProgram");
  EXPECT_GE(first, 2) << "a base program and at least one for the text";
  EXPECT_EQ(Instance(host).SpecialisedProgramCount(), static_cast<std::size_t>(first));
  counter.Reset();
  host.RunFrames(20);  // the same moment again and again
  EXPECT_EQ(counter.Count("glCreateProgram"), 0);
  EXPECT_EQ(counter.Count("glCompileShader"), 0);
}

TEST_F(Specialisation, DeInitReleasesEveryProgram) {
  hostkit::GLCallCounter counter;
  {
    HostInstance host(plugin_, 48, 32);
    // Several settings, each with programs of its own.
    for (int pattern : {0, 1, 2}) {
      host.Set(1, static_cast<float>(pattern));
      host.Set(15, static_cast<float>(pattern & 1));
      host.RunFrames();
    }
    EXPECT_GE(Instance(host).SpecialisedProgramCount(), 6u);
  }
  EXPECT_EQ(counter.Count("glCreateProgram"), counter.Count("glDeleteProgram"));
  int created = 0;
  for (const auto& call : counter.Sequence())
    if (call.function == "glCreateProgram") {
      ++created;
      EXPECT_EQ(glIsProgram(static_cast<GLuint>(call.result)), GL_FALSE);
    }
  EXPECT_GE(created, 7) << "the general program and the specialised ones";
}

}  // namespace

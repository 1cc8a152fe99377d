// The kept picture against drawing every pixel: an instance that copies its
// still part and draws only what changes must give, frame after frame, the
// bytes an instance drawing whole frames gives at the same moment, across
// presets, overlays, target formats, viewports, setting and size changes.
// Also: the picture is released with its instance, and only its instance's.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "clock/SteppedClock.h"
#include "free/Parameters.h"
#include "free/ProgramVariant.h"
#include "hostkit/GLInterceptor.h"
#include "tests/LinkedPluginSuite.h"

namespace {

using hostkit::HostInstance;
using hostkit::PixelFormat;
using hostkit::Viewport;

// The moments each case visits, as (sweep, motion, colour cycle): the first
// twice (the picture drawn, then only copied), then moments where the ball, the bar and
// the sweep's lines stand elsewhere and the solid colour has moved on.
const double kMoments[][3] = {{3, 1, 0.2},     {3, 1, 0.2},      {50, 21.5, 0.7},
                              {97, 48, 1.3},   {211, 93.7, 1.4}, {260, 140, 3.9},
                              {260, 140, 3.9}, {333, 7.25, 4.6}};

int Occurrences(const std::string& text, const std::string& what) {
  int count = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

class KeptPicture : public LinkedPluginSuite {
 protected:
  // Two instances with the same target, one keeping its picture.
  struct Pair {
    Pair(const hostkit::PluginLibrary& plugin, int w, int h, Viewport v, PixelFormat format)
        : kept(plugin, w, h, v, format), whole(plugin, w, h, v, format) {
      Instance(whole).UseKeptPicture(false);
    }
    void Set(FFUInt32 index, float value) {
      kept.Set(index, value);
      whole.Set(index, value);
    }
    HostInstance kept, whole;
  };

  // Draws the moment on both and compares every byte of both targets.
  static void ExpectSameFrame(Pair& pair, const double* moment, const std::string& what) {
    for (HostInstance* host : {&pair.kept, &pair.whole}) {
      Instance(*host).AnimationClock() = FrameClock(moment[0], moment[1], moment[2]);
      ASSERT_EQ(host->RunFrames(), FF_SUCCESS) << what;
    }
    const std::vector<float> kept = pair.kept.Target().ReadWholeTarget();
    const std::vector<float> whole = pair.whole.Target().ReadWholeTarget();
    ASSERT_EQ(kept.size(), whole.size());
    const int width = pair.kept.Target().Width();
    int differing = 0, first = -1;
    for (std::size_t i = 0; i < kept.size(); i += 4)
      if (std::memcmp(&kept[i], &whole[i], 4 * sizeof(float)) != 0) {
        if (first < 0) first = static_cast<int>(i / 4);
        ++differing;
      }
    EXPECT_EQ(differing, 0) << what << ": first at window pixel (" << first % width << ","
                            << first / width << "), kept "
                            << (first >= 0 ? kept[4 * first] : 0) << " whole "
                            << (first >= 0 ? whole[4 * first] : 0);
  }

  static void ExpectSameOverMoments(Pair& pair, const std::string& what) {
    int step = 0;
    for (const double* moment : kMoments)
      ExpectSameFrame(pair, moment, what + ", moment " + std::to_string(step++));
    EXPECT_GT(Instance(pair.kept).KeptBytes(), 0) << what << ": nothing was kept";
  }

  SteppedClock clock_{0};
  hostkit::PluginLibrary plugin_{&plugMain, &SetLogCallback, "linked plug-in"};
};

struct Target {
  const char* what;
  int width, height;
  Viewport viewport;
  PixelFormat format;
};

const Target kTargets[] = {
    {"203x117 float", 203, 117, {0, 0, 203, 117}, PixelFormat::RGBA32F},
    {"256x144 8-bit", 256, 144, {0, 0, 256, 144}, PixelFormat::RGBA8},
    {"77x61 at 5,9 of 96x80 float", 96, 80, {5, 9, 77, 61}, PixelFormat::RGBA32F},
};

TEST_F(KeptPicture, EveryPresetMatchesWholeFramesOverTime) {
  for (const Target& t : kTargets) {
    Pair pair(plugin_, t.width, t.height, t.viewport, t.format);
    pair.Set(15, 1);  // credit on as well
    for (int preset = 0; preset < 10; ++preset) {
      pair.Set(0, static_cast<float>(preset));
      ExpectSameOverMoments(pair, std::string(t.what) + ", preset " + std::to_string(preset));
    }
  }
}

// The ball as large as a show has it, over every pattern that carries it
// in a preset: thousands of edge pixels a frame blended over labels,
// coordinates, circles and bars.
TEST_F(KeptPicture, TheBallAtFullSizeMatchesWholeFrames) {
  Pair pair(plugin_, 1280, 720, Viewport{0, 0, 1280, 720}, PixelFormat::RGBA32F);
  for (int preset = 0; preset < 10; ++preset) {
    pair.Set(0, static_cast<float>(preset));
    if (pair.kept.Get(7) < 0.5f) continue;  // no moving element in this preset
    ExpectSameOverMoments(pair, "1280x720, preset " + std::to_string(preset));
  }
}

// Settings that put the changing parts over text, plates and transparency:
// each row is applied on top of the defaults.
struct Setting {
  const char* what;
  std::vector<std::pair<FFUInt32, float>> values;
};

TEST_F(KeptPicture, OverlaysAndOptionsMatchWholeFramesOverTime) {
  const Setting settings[] = {
      {"grid, running index, transparent", {{1, 0}, {6, 1}, {14, 1}}},
      {"grid, small panels, offsets, credit", {{1, 0}, {2, 16}, {3, 28}, {4, 37}, {5, 11}, {15, 1}}},
      {"raster, corner texts, thick lines, moving", {{1, 1}, {11, 1}, {10, 3}, {7, 1}}},
      {"bars, moving, credit, dimmed", {{1, 2}, {7, 1}, {15, 1}, {9, 0.4f}}},
      {"gradients, moving, info", {{1, 3}, {7, 1}, {8, 1}}},
      {"solid cycle, moving, transparent, credit", {{1, 4}, {12, 0}, {7, 1}, {14, 1}, {15, 1}}},
      {"solid cycle, no info", {{1, 4}, {12, 0}, {8, 0}}},
      {"solid blue, info", {{1, 4}, {12, 3}, {8, 1}}},
      {"sweep, thick, moving, info, transparent", {{1, 5}, {10, 9}, {7, 1}, {8, 1}, {14, 1}}},
      {"sweep, dimmed, credit", {{1, 5}, {9, 0.3f}, {15, 1}}},
      {"checker, line width 3, everything on", {{1, 6}, {10, 3}, {7, 1}, {8, 1}, {15, 1}}},
  };
  for (const Target& t : kTargets) {
    Pair pair(plugin_, t.width, t.height, t.viewport, t.format);
    for (const Setting& setting : settings) {
      for (FFUInt32 index = 1; index < kParamCount; ++index)
        pair.Set(index, ParameterDefinitions()[index].defaultValue);
      for (const auto& [index, value] : setting.values) pair.Set(index, value);
      ExpectSameOverMoments(pair, std::string(t.what) + ", " + setting.what);
    }
  }
}

// Whatever the kept picture was drawn for, a change of setting, of output
// size or of the host's framebuffer shows at once and stays right after.
TEST_F(KeptPicture, SettingSizeAndFramebufferChangesShowAtOnce) {
  Pair pair(plugin_, 160, 96, Viewport{0, 0, 160, 96}, PixelFormat::RGBA32F);
  pair.Set(0, 0);
  auto run = [&](const std::string& what) {
    for (int step = 0; step < 3; ++step)
      ExpectSameFrame(pair, kMoments[2 + step], what + ", frame " + std::to_string(step));
  };
  run("grid");
  // Every setting in turn, changed by a small step: each must reach the picture.
  for (FFUInt32 index = 1; index < kParamCount; ++index) {
    const float value = pair.kept.Get(index);
    pair.Set(index, value < 0.5f ? value + 0.4f : value - 0.4f);
    run("parameter " + std::to_string(index) + " changed");
  }
  pair.Set(0, 5);  // Colour Bars
  run("colour bars");
  for (HostInstance* host : {&pair.kept, &pair.whole}) host->Resize(Viewport{3, 2, 150, 90});
  run("resized");
  for (HostInstance* host : {&pair.kept, &pair.whole}) {
    host->Target() = hostkit::RenderTarget(160, 96, PixelFormat::RGBA8);
    host->Target().SetViewport(Viewport{3, 2, 150, 90});
  }
  run("8-bit framebuffer");
  for (HostInstance* host : {&pair.kept, &pair.whole}) {
    host->Target() = hostkit::RenderTarget(160, 96, PixelFormat::RGBA32F);
    host->Target().SetViewport(Viewport{3, 2, 150, 90});
  }
  run("float framebuffer again");
}

// A large output's change of setting: the frames are the last settings'
// frames (what moves included) until the new picture's last band is drawn,
// then the new settings'; a change taken back meanwhile never shows, and a
// change made meanwhile follows once the first is shown. Each row applies
// its settings in turn (row 0 from the start) on the frames given, and says
// which settings each frame from the first change on shows; the output is
// cut into five bands.
struct BandedChange {
  const char* what;
  std::vector<Setting> settings;
  std::vector<std::pair<int, int>> changes;  // (frame, settings row) after the first frame
  std::vector<int> shows;
};

TEST_F(KeptPicture, ALargeOutputShowsTheLastPictureUntilTheNewOneIsDrawn) {
  const Setting grid{"128x128 grid, ball", {{0, 0}}};
  const Setting dimmed{"the same, dimmed", {{0, 0}, {9, 0.6f}}};
  const Setting raster{"raster, ball", {{0, 4}}};
  const Setting bars{"colour bars, ball, info", {{0, 5}, {7, 1}, {8, 1}}};
  const BandedChange rows[] = {
      {"a dimmer grid", {grid, dimmed}, {{0, 1}}, {0, 0, 0, 0, 1, 1}},
      {"grid to raster", {grid, raster}, {{0, 1}}, {0, 0, 0, 0, 1, 1}},
      {"taken back", {grid, raster}, {{0, 1}, {1, 0}}, {0, 0, 0, 0, 0, 0, 0}},
      {"changed again meanwhile", {bars, grid, dimmed}, {{0, 1}, {1, 2}},
       {0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 2}},
  };
  const Target targets[] = {
      {"160x96 float", 160, 96, {0, 0, 160, 96}, PixelFormat::RGBA32F},
      {"150x90 at 3,2 of 160x96 8-bit", 160, 96, {3, 2, 150, 90}, PixelFormat::RGBA8},
  };
  for (const Target& t : targets)
    for (const BandedChange& row : rows) {
      const std::string what = std::string(t.what) + ", " + row.what;
      HostInstance kept(plugin_, t.width, t.height, t.viewport, t.format);
      Instance(kept).SetBandPixels(static_cast<long long>(t.viewport.width) *
                                   t.viewport.height / 5);
      std::vector<std::unique_ptr<HostInstance>> drawn;  // whole frames of each settings row
      for (const Setting& setting : row.settings) {
        drawn.push_back(
            std::make_unique<HostInstance>(plugin_, t.width, t.height, t.viewport, t.format));
        Instance(*drawn.back()).UseKeptPicture(false);
        for (const auto& [index, value] : setting.values) drawn.back()->Set(index, value);
      }
      for (const auto& [index, value] : row.settings[0].values) kept.Set(index, value);
      auto run = [&](HostInstance& host, int frame) {
        const double* moment = kMoments[frame % 8];
        Instance(host).AnimationClock() = FrameClock(moment[0], moment[1], moment[2]);
        ASSERT_EQ(host.RunFrames(), FF_SUCCESS) << what;
      };
      run(kept, 0);
      for (int frame = 0; frame < static_cast<int>(row.shows.size()); ++frame) {
        for (const auto& [at, settings] : row.changes)
          if (at == frame)
            for (const auto& [index, value] : row.settings[settings].values) kept.Set(index, value);
        run(kept, frame + 1);
        HostInstance& expected = *drawn[static_cast<std::size_t>(row.shows[frame])];
        run(expected, frame + 1);
        EXPECT_EQ(kept.Target().ReadWholeTarget(), expected.Target().ReadWholeTarget())
            << what << ", frame " << frame << " should show "
            << row.settings[row.shows[frame]].what;
      }
      EXPECT_FALSE(Instance(kept).DrawingNewPicture()) << what;
    }
}

// The kept pictures take the host's own format: one picture while a change
// is drawn at once, two at most once the output is drawn in bands, and the
// frames stay those of whole frames on every host format.
TEST_F(KeptPicture, PicturesTakeTheHostsFormatAndAtMostTwoOfIt) {
  const std::pair<PixelFormat, int> formats[] = {{PixelFormat::RGBA8, 4},
                                                 {PixelFormat::RGBA16F, 8},
                                                 {PixelFormat::RGBA16, 8},
                                                 {PixelFormat::RGB10_A2, 4},
                                                 {PixelFormat::RGBA32F, 16}};
  for (const auto& [format, bytes] : formats) {
    const std::string what =
        "format " + std::to_string(static_cast<int>(format)) + ", " + std::to_string(bytes) +
        " bytes a pixel";
    Pair pair(plugin_, 128, 80, Viewport{0, 0, 128, 80}, format);
    pair.Set(0, 5);  // colour bars: no ball, so no buffer under it
    ExpectSameOverMoments(pair, what);
    const long long picture = static_cast<long long>(bytes) * 128 * 80;
    EXPECT_EQ(Instance(pair.kept).KeptPictureBytes(), picture) << what;
    Instance(pair.kept).SetBandPixels(128 * 80 / 5);
    pair.Set(9, 0.7f);
    for (int frame = 0; Instance(pair.kept).DrawingNewPicture() || frame == 0; ++frame) {
      ASSERT_LT(frame, 8) << what;
      ASSERT_EQ(pair.kept.RunFrames(), FF_SUCCESS) << what;
    }
    EXPECT_EQ(Instance(pair.kept).KeptPictureBytes(), 2 * picture) << what;
    ExpectSameOverMoments(pair, what + ", after a change drawn in bands");
  }
}

// With the band of a show's output, 1920x1080 still shows a change at once;
// one column more is drawn in bands.
TEST_F(KeptPicture, OnlyOutputsLargerThan1080pAreDrawnInBands) {
  for (const int width : {1920, 1921}) {
    Pair pair(plugin_, width, 1080, Viewport{0, 0, width, 1080}, PixelFormat::RGBA8);
    pair.Set(0, 5);
    ASSERT_EQ(pair.kept.RunFrames(2), FF_SUCCESS);
    pair.Set(9, 0.5f);
    ASSERT_EQ(pair.kept.RunFrames(), FF_SUCCESS);
    EXPECT_EQ(Instance(pair.kept).DrawingNewPicture(), width > 1920) << width;
  }
}

// A software renderer compiles a program's pixel code on its first draw
// into a framebuffer of a given format: a program first drawn as the ball
// reaches the info box cost that frame about a second. Every program, with
// the format it draws into, that any later frame of a setting draws must
// have drawn on the setting's first frame.
TEST_F(KeptPicture, NoProgramDrawsForTheFirstTimeAfterTheFirstFrame) {
  using Use = std::tuple<GLuint, GLint, GLint>;  // program, component type, red bits
  std::set<Use> uses;
  hostkit::GLInterceptor watch([&uses](const hostkit::GLCall& call) {
    if (call.function != "glUseProgram" || call.firstArgument == 0) return;
    GLint type = 0, red = 0;
    glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                          GL_FRAMEBUFFER_ATTACHMENT_COMPONENT_TYPE, &type);
    glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                          GL_FRAMEBUFFER_ATTACHMENT_RED_SIZE, &red);
    uses.emplace(static_cast<GLuint>(call.firstArgument), type, red);
  });
  const Setting settings[] = {
      {"grid, ball, info, credit", {{0, 0}, {7, 1}, {8, 1}, {15, 1}}},
      {"raster, ball, corner texts, credit", {{1, 1}, {11, 1}, {7, 1}, {15, 1}}},
  };
  for (const PixelFormat format : {PixelFormat::RGBA8, PixelFormat::RGBA32F})
    for (const Setting& setting : settings) {
      HostInstance host(plugin_, 320, 180, Viewport{0, 0, 320, 180}, format);
      for (const auto& [index, value] : setting.values) host.Set(index, value);
      uses.clear();
      ASSERT_EQ(host.RunFrames(), FF_SUCCESS);
      const std::set<Use> first = uses;
      // The ball's path over a minute of motion: across texts, the info box
      // and the credit.
      for (int step = 1; step <= 160; ++step) {
        Instance(host).AnimationClock() = FrameClock(2.5 * step, 3.7 * step, 0.1 * step);
        uses.clear();
        ASSERT_EQ(host.RunFrames(), FF_SUCCESS);
        for (const Use& use : uses)
          EXPECT_EQ(first.count(use), 1u)
              << setting.what << ": program " << std::get<0>(use) << " first drew at step "
              << step;
      }
    }
}

// The ball is drawn over a background of its own only where its programs
// build: where one fails, its pieces are the general program's again, the
// failure is reported once, and the frames stay those of whole frames.
TEST_F(KeptPicture, BallProgramsThatFailToBuildLeaveTheBallToTheGeneralProgram) {
  using Stage = ProgramVariant::Stage;
  for (Stage failing : {Stage::Background, Stage::BallOver}) {
    const std::string what = failing == Stage::Background ? "background" : "ball over it";
    Pair pair(plugin_, 240, 136, Viewport{0, 0, 240, 136}, PixelFormat::RGBA32F);
    Instance(pair.kept).EditSpecialisedSources(
        [failing](const ProgramVariant& variant, std::string& fragment) {
          if (variant.stage == failing) fragment = WithDefines(fragment.c_str(), "#error no\n");
        });
    pair.Set(0, 0);  // the grid: labels and coordinates under the ball
    testing::internal::CaptureStdout();
    ExpectSameOverMoments(pair, what + " fails");
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(Occurrences(log, "Fragment Shader error"), 1) << what << ": " << log;
  }
}

// Six instances in one host each keep a picture; destroying any of them
// deletes its framebuffers and leaves the others'.
TEST_F(KeptPicture, DestroyingAnInstanceReleasesItsPictureOnly) {
  std::unique_ptr<HostInstance> hosts[6];
  std::vector<GLuint> made[6];
  for (int i = 0; i < 6; ++i) {
    hosts[i] = std::make_unique<HostInstance>(plugin_, 64 + i, 48);
    hosts[i]->Set(0, static_cast<float>(i));
    hostkit::GLCallCounter counter;  // the target's own framebuffer is made already
    hosts[i]->RunFrames(3);
    for (const hostkit::GLCall& call : counter.Sequence())
      if (call.function == "glGenFramebuffers")
        made[i].insert(made[i].end(), call.names.begin(), call.names.end());
    ASSERT_GT(Instance(*hosts[i]).KeptBytes(), 0) << "instance " << i;
    ASSERT_FALSE(made[i].empty()) << "instance " << i;
  }
  for (int i : {3, 0, 5, 1, 4, 2}) {
    hosts[i].reset();
    for (int j = 0; j < 6; ++j)
      for (GLuint name : made[j])
        EXPECT_EQ(glIsFramebuffer(name) == GL_TRUE, hosts[j] != nullptr)
            << "framebuffer " << name << " of instance " << j << " after instance " << i
            << " was destroyed";
  }
}

}  // namespace

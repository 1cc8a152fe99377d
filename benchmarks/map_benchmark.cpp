// MAP frame times through plugMain beside the trivial fill
// (benchmarks/FillReference.h): a wall of 2,000 cabinets over 3840x2160 and
// 1920x1080 (50 x 40 cabinets on two ports, serpentine chains, every fourth
// column turned, a gap and overlaps), every element on. "Steady" frames copy
// the picture kept from the first frame; "Recomposed" frames change the line
// width each time, so each composes the figures (in the set call), sends
// and draws a band of the next picture and copies the shown one. Steady frames are also measured
// with parts left out, and a wall of 10,000 cabinets (the limit). Also the
// time of reading the file when the parameter is set.
//
// "Changes" prints, per output size, the steady frame beside the slowest of
// the frames after each kind of change (the file set again, the screen, the
// labels, the brightness, the file once more on a slow share whose read ends
// between frames) and the steady frame the change leads to, and
// every frame of a 60-frame brightness fade beside the steady frame at
// brightness 1 and at 0.5, medians of several rounds; "frames" is how many
// frames a change takes to show (its bands, and for a file its reading),
// all of them measured. A "change" of nothing measures the slowest of as
// many steady frames: the load's own share. With VELTRIMA_MAP_MODULE naming a built
// OVNVeltrimaMap module, every case measures that module instead of the
// linked code (an earlier build, for a before/after table).
//
// "Dimmed" measures a dimmed map and a fade beside the trivial fill of the
// same run, on an 8-bit and a float host.
//
// "BandParts" times the GL parts of drawing one band of a new picture
// (clears, figures, copies) in plain GL, without the plug-in.
// Every host framebuffer is 8-bit RGBA, as a show's host has, but Dimmed's float cases.
// Not a test: numbers depend on the machine and its load.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "benchmarks/FillReference.h"
#include "host/EntryPoint.h"
#include "hostkit/HostInstance.h"
#include "map/LayoutLoader.h"
#include "map/OVNVeltrimaMap.h"
#include "map/Parameters.h"

namespace {

using namespace fillref;

constexpr int kSamples = 9;
constexpr int kColumns = 50, kRows = 40;  // 2,000 cabinets

const hostkit::PluginLibrary& Plugin() {
  static hostkit::PluginLibrary plugin = [] {
    const char* module = std::getenv("VELTRIMA_MAP_MODULE");
    return module && *module ? hostkit::PluginLibrary(module)
                             : hostkit::PluginLibrary(&plugMain, &SetLogCallback, "OVNVeltrimaMap");
  }();
  return plugin;
}

// The wall for an output of width x height, columns x rows cabinets, on
// each of `screens` screens alike; `tag` tells apart files of the same wall.
std::string WallFile(int width, int height, int columns = kColumns, int rows = kRows,
                     int screens = 1, const std::string& tag = "") {
  const std::string path = "/tmp/veltrima-map-benchmark-" + std::to_string(getpid()) + "-" +
                           SizeText(width, height) + "-" + std::to_string(columns * rows) + tag +
                           ".csv";
  std::ofstream out(path, std::ios::trunc);
  out << "id,x,y,w,h,rot,port,chain,screen\n";
  const int w = width / columns, h = height / rows;
  for (int screen = 1; screen <= screens; ++screen) {
    for (int row = 0; row < rows; ++row) {
      for (int i = 0; i < columns; ++i) {
        // Serpentine: even rows left to right, odd rows back; each screen
        // goes on along its ports' chains.
        const int column = row % 2 == 0 ? i : columns - 1 - i;
        const int port = row < rows / 2 ? 1 : 2;
        const int chain = ((screen - 1) * (rows / 2) + row % (rows / 2)) * columns + i + 1;
        // A gap in the middle column and an overlap on every tenth row.
        const int x = column * w + (column == columns / 2 ? 4 : 0);
        const int y = row * h - (row % 10 == 9 ? h / 4 : 0);
        out << "C" << screen << "-" << row << "-" << column << "," << x << "," << y << ","
            << w - (column == columns / 2 ? 8 : 0) << "," << h << ","
            << (column % 4 == 3 ? 90 : 0) << "," << port << "," << chain << "," << screen << "\n";
      }
    }
  }
  return path;
}

// Whether the "Map File" display says a read or a new picture is under way.
bool Updating(hostkit::HostInstance& host) {
  const char* shown =
      static_cast<const char*>(Plugin().GetParameterDisplay(host.Id(), kMapFile).PointerValue);
  return shown && (std::string(shown) == "LOADING" || std::string(shown) == "UPDATING");
}

// Runs frames until the file is read and its picture drawn whole (the
// "Map File" display says LOADING or UPDATING until then; a module that
// draws a change within its frame never says either).
void Settle(hostkit::HostInstance& host) {
  for (int i = 0; i < 1000; ++i) {
    host.RunFrames(1);
    if (!Updating(host)) return;
    usleep(1000);
  }
}

void MapFrames(benchmark::State& state, bool recompose) {
  Context().MakeCurrent();
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  // 2,000 cabinets, or 10,000 (the limit) where the fourth argument says so.
  const bool most = state.range(3) != 0;
  const std::string file = most ? WallFile(width, height, 100, 100) : WallFile(width, height);
  hostkit::HostInstance host(Plugin(), width, height, hostkit::PixelFormat::RGBA8);
  Plugin().SetTextParameter(host.Id(), kMapFile, file.c_str());
  // What is left out, to show what each part costs: 1 the texts (labels and
  // coordinates), 2 also the orientation marks and chain arrows; 3 nothing,
  // and "Frame Codes" on (their dynamic cells drawn over the copy each frame).
  const int leftOut = static_cast<int>(state.range(2)) % 3;
  const bool codes = state.range(2) == 3;
  if (codes) host.Set(kMapFrameCodes, 1.0f);
  if (leftOut >= 1) {
    host.Set(kMapShowLabels, 0.0f);
    host.Set(kMapShowCoordinates, 0.0f);
  }
  if (leftOut >= 2) {
    host.Set(kMapShowOrientation, 0.0f);
    host.Set(kMapShowArrows, 0.0f);
  }
  Settle(host);  // read, composed, uploaded and drawn
  glFinish();
  int frame = 0;
  Interleaved(state, host.Target(), [&] {
    // Line width 2 or 3: a new composition each frame (brightness would
    // compose nothing: the copy applies it).
    if (recompose) host.Set(kMapLineWidth, 2.0f + static_cast<float>(frame++ % 2));
    host.RunFrames(1);
  });
  std::remove(file.c_str());
  const char* const kParts[] = {"everything", "no texts", "no texts, marks or arrows"};
  state.SetLabel(std::string(recompose ? "recomposed" : "steady") +
                 (most ? ", 10000 cabinets " : ", 2000 cabinets ") +
                 SizeText(width, height) + ", " + kParts[leftOut] + (codes ? ", frame codes" : ""));
}

void Steady(benchmark::State& state) { MapFrames(state, false); }
void Recomposed(benchmark::State& state) { MapFrames(state, true); }

// Setting the file: reading, parsing and the screen plan of 2,000 cabinets.
void ReadFile(benchmark::State& state) {
  Context().MakeCurrent();
  const std::string file = WallFile(3840, 2160);
  hostkit::HostInstance host(Plugin(), 64, 64, hostkit::PixelFormat::RGBA8);
  for (auto _ : state) {
    const auto start = Clock::now();
    Plugin().SetTextParameter(host.Id(), kMapFile, file.c_str());
    host.RunFrames(1);
    glFinish();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
  std::remove(file.c_str());
  state.SetLabel("set the file and draw a 64x64 frame, 2000 cabinets");
}

BENCHMARK(Steady)
    ->Args({1920, 1080, 0, 0})
    ->Args({3840, 2160, 0, 0})
    ->Args({3840, 2160, 1, 0})
    ->Args({3840, 2160, 2, 0})
    ->Args({3840, 2160, 0, 1})
    ->Args({1920, 1080, 3, 0})
    ->Args({3840, 2160, 3, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(kSamples);
BENCHMARK(Recomposed)
    ->Args({1920, 1080, 0, 0})
    ->Args({3840, 2160, 0, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(kSamples);
// Frames after each kind of change beside the steady frame.
constexpr int kRounds = 3;
constexpr int kFramesAfterAChange = 30;
constexpr int kMostFramesAfterAChange = 1000;
constexpr int kFadeFrames = 60;

double FrameMs(hostkit::HostInstance& host) {
  return FinishedMilliseconds([&] { host.RunFrames(1); });
}

// The median of a few steady frames: each change is measured against the
// steady frames just before it, so that load from other processes falls on
// both alike.
double SteadyMs(hostkit::HostInstance& host) {
  Settle(host);
  std::vector<double> frames;
  for (int i = 0; i < 5; ++i) frames.push_back(FrameMs(host));
  return Median(frames);
}

void Changes(benchmark::State& state) {
  Context().MakeCurrent();
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  // Two screens of 2,000 cabinets each under two paths (the same wall); or,
  // where the third argument says so, one screen of 10,000 (the limit),
  // whose screen change shows screen 2's "NO SUCH SCREEN" and back.
  const bool most = state.range(2) != 0;
  const int columns = most ? 100 : kColumns, rows = most ? 100 : kRows, screens = most ? 1 : 2;
  const std::string files[2] = {WallFile(width, height, columns, rows, screens, "a"),
                                WallFile(width, height, columns, rows, screens, "b")};
  hostkit::HostInstance host(Plugin(), width, height, hostkit::PixelFormat::RGBA8);
  Plugin().SetTextParameter(host.Id(), kMapFile, files[0].c_str());
  Settle(host);

  struct Change {
    const char* name;
    // Applies the change numbered `n` (each undoes the one before).
    void (*apply)(hostkit::HostInstance&, const std::string*, int n);
    // Frames 5 ms apart, on until the picture has settled: a read that ends
    // between frames.
    bool paced = false;
  };
  const Change changes[] = {
      // No change at all: the slowest of 30 steady frames, what the load of
      // the machine alone gives against the median steady frame.
      {"none", [](hostkit::HostInstance&, const std::string*, int) {}},
      {"file", [](hostkit::HostInstance& h, const std::string* f, int n) {
         Plugin().SetTextParameter(h.Id(), kMapFile, f[(n + 1) % 2].c_str());
       }},
      {"screen", [](hostkit::HostInstance& h, const std::string*, int n) {
         h.Set(kMapScreen, static_cast<float>(n % 2 == 0 ? 2 : 1));
       }},
      {"labels", [](hostkit::HostInstance& h, const std::string*, int n) {
         h.Set(kMapShowLabels, n % 2 == 0 ? 0.0f : 1.0f);
       }},
      {"brightness", [](hostkit::HostInstance& h, const std::string*, int n) {
         h.Set(kMapBrightness, n % 2 == 0 ? 0.5f : 1.0f);
       }},
      // The file set again on a slow share: its read (the linked code's
      // seam) outlasts the set call's wait and ends between frames.
      {"slow file", [](hostkit::HostInstance& h, const std::string* f, int n) {
         LayoutLoader::SetReadDelayForTests(
             std::chrono::milliseconds(3 * OVNVeltrimaMap::kReadSettleMs));
         Plugin().SetTextParameter(h.Id(), kMapFile, f[(n + 1) % 2].c_str());
         LayoutLoader::SetReadDelayForTests(std::chrono::milliseconds(0));
       }, true},
  };
  std::vector<double> steadyAll;
  const std::string cabinets = std::to_string(columns * rows) + " cabinets";
  std::printf("\n%s, %s a screen\n", SizeText(width, height).c_str(), cabinets.c_str());
  std::printf("%-11s %10s %10s %14s %9s %13s %9s %13s %8s\n", "change", "set call", "steady",
              "slowest frame", "x steady", "steady after", "x after", "median frame", "frames");
  for (const Change& change : changes) {
    std::vector<double> slowest, calls, steady, ratios, after, afterRatios, typical, shows;
    for (int n = 0; n < 2 * kRounds; ++n) {
      steady.push_back(SteadyMs(host));
      const auto start = Clock::now();
      change.apply(host, files, n);
      calls.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      // At least kFramesAfterAChange frames, and every frame until the new
      // picture shows.
      std::vector<double> frames;
      int framesToShow = 0;
      for (int i = 0; i < kMostFramesAfterAChange; ++i) {
        const bool updating = Updating(host);
        if (!updating && i >= kFramesAfterAChange) break;
        if (updating) framesToShow = i + 1;
        // A read that ends between frames: frames 5 ms apart.
        if (change.paced) usleep(5000);
        frames.push_back(FrameMs(host));
      }
      shows.push_back(framesToShow);
      const double worst = *std::max_element(frames.begin(), frames.end());
      slowest.push_back(worst);
      // The typical frame of the 30, which the load's spikes move less.
      typical.push_back(Median(frames));
      ratios.push_back(worst / steady.back());
      // The steady frame of what the change leads to (a brightness below 1
      // is a copy with a gain, dearer than the plain copy before it).
      after.push_back(SteadyMs(host));
      afterRatios.push_back(worst / after.back());
    }
    steadyAll.insert(steadyAll.end(), steady.begin(), steady.end());
    std::printf("%-11s %7.2f ms %7.2f ms %11.2f ms %8.2fx %10.2f ms %8.2fx %10.2f ms %8.0f\n",
                change.name, Median(calls), Median(steady), Median(slowest), Median(ratios),
                Median(after), Median(afterRatios), Median(typical), Median(shows));
    state.counters[std::string(change.name) + "_x_steady"] = Median(ratios);
  }
  // A fade from full to black and back, a new brightness every frame, each
  // frame against the steady frames before that round at brightness 1 and
  // at brightness 0.5 (a copy with a gain, as every fade frame is).
  host.Set(kMapBrightness, 1.0f);
  std::vector<std::vector<double>> fade(kFadeFrames), fadeRatios(kFadeFrames),
      fadeGainRatios(kFadeFrames);
  std::vector<double> steadyAtHalf;
  for (int round = 0; round < kRounds; ++round) {
    host.Set(kMapBrightness, 0.5f);
    const double steadyHalf = SteadyMs(host);
    steadyAtHalf.push_back(steadyHalf);
    host.Set(kMapBrightness, 1.0f);
    const double steady = SteadyMs(host);
    steadyAll.push_back(steady);
    for (int i = 0; i < kFadeFrames; ++i) {
      const float level = static_cast<float>(round % 2 == 0 ? kFadeFrames - 1 - i : i) /
                          static_cast<float>(kFadeFrames - 1);
      host.Set(kMapBrightness, level);
      const double ms = FrameMs(host);
      fade[static_cast<std::size_t>(i)].push_back(ms);
      fadeRatios[static_cast<std::size_t>(i)].push_back(ms / steady);
      fadeGainRatios[static_cast<std::size_t>(i)].push_back(ms / steadyHalf);
    }
  }
  std::printf("fade, every frame (ms):");
  double worstFade = 0, worstRatio = 0, worstGainRatio = 0;
  for (int i = 0; i < kFadeFrames; ++i) {
    const auto at = static_cast<std::size_t>(i);
    const double ms = Median(fade[at]);
    worstFade = std::max(worstFade, ms);
    worstRatio = std::max(worstRatio, Median(fadeRatios[at]));
    worstGainRatio = std::max(worstGainRatio, Median(fadeGainRatios[at]));
    std::printf("%s%.1f", i % 20 == 0 ? "\n  " : " ", ms);
  }
  std::printf("\nfade, slowest frame %.2f ms: %.2fx the steady frame at brightness 1, "
              "%.2fx the steady frame at brightness 0.5 (%.2f ms)\n",
              worstFade, worstRatio, worstGainRatio, Median(steadyAtHalf));
  state.counters["fade_x_steady_at_half"] = worstGainRatio;
  std::fflush(stdout);
  const double steadyMs = Median(steadyAll);
  state.counters["steady_ms"] = steadyMs;
  state.counters["fade_x_steady"] = worstRatio;
  for (auto _ : state) state.SetIterationTime(steadyMs / 1000.0);
  for (const std::string& f : files) std::remove(f.c_str());
  state.SetLabel("changes, " + cabinets + " " + SizeText(width, height));
}

BENCHMARK(Changes)
    ->Args({1920, 1080, 0})
    ->Args({3840, 2160, 0})
    ->Args({3840, 2160, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
// A dimmed map beside the trivial fill on the same target: the steady frame
// at brightness 1 and at 0.5, and every frame of a 60-frame fade (full to
// black, or back, a new brightness each frame), each frame between two
// fills, several rounds; the fills' median is the round's reference. On an
// 8-bit host, or a float one where the third argument says so.
void Dimmed(benchmark::State& state) {
  Context().MakeCurrent();
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  const bool floatHost = state.range(2) != 0;
  const std::string file = WallFile(width, height);
  hostkit::HostInstance host(Plugin(), width, height,
                             floatHost ? hostkit::PixelFormat::RGBA32F : hostkit::PixelFormat::RGBA8);
  Plugin().SetTextParameter(host.Id(), kMapFile, file.c_str());
  Settle(host);
  TrivialFill fill;
  FinishedMilliseconds([&] { fill.Draw(host.Target()); });
  // One frame between two fills: the frame's time and the fills' times.
  std::vector<double> fills;
  auto frame = [&] {
    fills.push_back(FinishedMilliseconds([&] { fill.Draw(host.Target()); }));
    const double ms = FrameMs(host);
    fills.push_back(FinishedMilliseconds([&] { fill.Draw(host.Target()); }));
    return ms;
  };
  std::vector<double> steady, dimmed, fillPerRound;
  std::vector<std::vector<double>> fade(kFadeFrames);
  for (int round = 0; round < kRounds; ++round) {
    fills.clear();
    std::vector<double> roundSteady, roundDimmed, roundFade;
    host.Set(kMapBrightness, 1.0f);
    Settle(host);
    for (int i = 0; i < 5; ++i) roundSteady.push_back(frame());
    host.Set(kMapBrightness, 0.5f);
    Settle(host);
    for (int i = 0; i < 5; ++i) roundDimmed.push_back(frame());
    for (int i = 0; i < kFadeFrames; ++i) {
      const float level = static_cast<float>(round % 2 == 0 ? kFadeFrames - 1 - i : i) /
                          static_cast<float>(kFadeFrames - 1);
      host.Set(kMapBrightness, level);
      roundFade.push_back(frame());
    }
    // Every time of the round as a share of the round's fill.
    const double reference = Median(fills);
    fillPerRound.push_back(reference);
    steady.push_back(Median(roundSteady) / reference);
    dimmed.push_back(Median(roundDimmed) / reference);
    for (int i = 0; i < kFadeFrames; ++i)
      fade[static_cast<std::size_t>(i)].push_back(roundFade[static_cast<std::size_t>(i)] / reference);
  }
  std::vector<double> fadeFrames;
  for (const std::vector<double>& f : fade) fadeFrames.push_back(Median(f));
  const double fillMs = Median(fillPerRound);
  const double fadeMedian = Median(fadeFrames);
  const double fadeWorst = *std::max_element(fadeFrames.begin(), fadeFrames.end());
  std::printf("\ndimmed, %s, 2000 cabinets, %s host: the fill %.2f ms\n"
              "  steady at brightness 1  %6.2f ms  %5.2fx the fill\n"
              "  steady at brightness 0.5 %5.2f ms  %5.2fx the fill\n"
              "  fade of %d frames: median %.2fx the fill, slowest %.2fx\n  every frame (x the fill):",
              SizeText(width, height).c_str(), floatHost ? "float" : "8-bit", fillMs,
              Median(steady) * fillMs, Median(steady), Median(dimmed) * fillMs, Median(dimmed),
              kFadeFrames, fadeMedian, fadeWorst);
  for (int i = 0; i < kFadeFrames; ++i)
    std::printf("%s%.2f", i % 20 == 0 ? "\n    " : " ", fadeFrames[static_cast<std::size_t>(i)]);
  std::printf("\n");
  std::fflush(stdout);
  state.counters["fill_ms"] = fillMs;
  state.counters["steady_x_fill"] = Median(steady);
  state.counters["dimmed_x_fill"] = Median(dimmed);
  state.counters["fade_median_x_fill"] = fadeMedian;
  state.counters["fade_worst_x_fill"] = fadeWorst;
  for (auto _ : state) state.SetIterationTime(Median(dimmed) * fillMs / 1000.0);
  std::remove(file.c_str());
  state.SetLabel(std::string("dimmed, 2000 cabinets ") + SizeText(width, height) +
                 (floatHost ? ", float host" : ", 8-bit host"));
}

BENCHMARK(Dimmed)
    ->Args({1920, 1080, 0})
    ->Args({3840, 2160, 0})
    ->Args({1920, 1080, 1})
    ->Args({3840, 2160, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

// What drawing one band of a kept picture costs, part by part, in plain GL
// (no plug-in): each part alone between two glFinish calls, medians of many
// samples taken in turn. A band is 27 rows of the output (1080p cut into 40
// bands); "whole" is a texture of the output's size, "band-sized" one of
// the band's, "strip" a band-sized texture kept transparent. Tells a band's
// fixed cost (its clear, its pass over the target) from its figures' cost.
class TextureTarget {
 public:
  TextureTarget(int width, int height) {
    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexStorage2D(GL_TEXTURE_2D, 1, GL_RGBA8, width, height);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_, 0);
    const GLfloat transparent[4] = {0, 0, 0, 0};
    glClearBufferfv(GL_COLOR, 0, transparent);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
  }
  ~TextureTarget() {
    glDeleteFramebuffers(1, &framebuffer_);
    glDeleteTextures(1, &texture_);
  }
  TextureTarget(const TextureTarget&) = delete;
  TextureTarget& operator=(const TextureTarget&) = delete;
  GLuint Framebuffer() const { return framebuffer_; }
  GLuint Texture() const { return texture_; }

 private:
  GLuint texture_ = 0, framebuffer_ = 0;
};

void BandParts(benchmark::State& state) {
  Context().MakeCurrent();
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  constexpr int kBandRows = 27;
  const int bandY = height / 2;  // GL rows [bandY, bandY + kBandRows)
  TextureTarget whole(width, height), band(width, kBandRows), strip(width, kBandRows),
      other(width, height);
  static const char kVertex[] =
      "#version 410 core\nlayout(location = 0) in vec4 vPosition;\n"
      "void main() { gl_Position = vPosition; }\n";
  ffglex::ShaderProgram fillProgram, clearProgram;
  fillProgram.Compile(kVertex, kTrivialFill);
  // A transparent quad over the viewport, as a driver draws a scissored clear.
  clearProgram.Compile(kVertex, "#version 410 core\nout vec4 colour;\n"
                                "void main() { colour = vec4(0.0); }\n");
  ffglex::ScreenQuad quad;
  quad.Create(false);
  const GLfloat transparent[4] = {0, 0, 0, 0};
  // Eight small squares across the band, each its own draw, as figures are.
  auto figures = [&](int originY) {
    ffglex::ScopedProgramUse use(fillProgram.ProgramId());
    glUniform4f(fillProgram.UniformLocation("Colour"), 0.25f, 0.5f, 0.75f, 1.0f);
    for (int i = 0; i < 8; ++i) {
      glViewport(i * width / 8, originY, 20, 20);
      quad.Draw();
    }
    glViewport(0, 0, width, height);
  };
  auto onBandOfWhole = [&] {
    glBindFramebuffer(GL_FRAMEBUFFER, whole.Framebuffer());
    glViewport(0, 0, width, height);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, bandY, width, kBandRows);
  };
  auto onBandSized = [&] { glBindFramebuffer(GL_FRAMEBUFFER, band.Framebuffer()); };
  auto done = [] {
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
  };
  auto copyRows = [&](const TextureTarget& from, int fromY, const TextureTarget& to, int toY) {
    glCopyImageSubData(from.Texture(), GL_TEXTURE_2D, 0, 0, fromY, 0, to.Texture(), GL_TEXTURE_2D,
                       0, 0, toY, 0, width, kBandRows, 1);
  };
  auto blit = [&](const TextureTarget& from, const TextureTarget& to, int y, int rows) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, from.Framebuffer());
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to.Framebuffer());
    glBlitFramebuffer(0, y, width, y + rows, 0, y, width, y + rows, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
  };
  struct Part {
    const char* name;
    std::function<void()> run;
  };
  const Part parts[] = {
      {"glFinish alone", [] {}},
      {"scissored clear, whole", [&] {
         onBandOfWhole();
         glClearBufferfv(GL_COLOR, 0, transparent);
         done();
       }},
      {"scissored transparent quad, whole", [&] {
         onBandOfWhole();
         ffglex::ScopedProgramUse use(clearProgram.ProgramId());
         quad.Draw();
         use.End();
         done();
       }},
      {"clear, band-sized", [&] {
         onBandSized();
         glClearBufferfv(GL_COLOR, 0, transparent);
         done();
       }},
      {"rows copied from the strip, whole", [&] { copyRows(strip, 0, whole, bandY); }},
      {"8 figures, scissored, whole", [&] {
         onBandOfWhole();
         figures(bandY);
         done();
       }},
      {"8 figures, band-sized", [&] {
         onBandSized();
         figures(0);
         done();
       }},
      {"band: scissored clear + 8 figures", [&] {
         onBandOfWhole();
         glClearBufferfv(GL_COLOR, 0, transparent);
         figures(bandY);
         done();
       }},
      {"band: strip rows + 8 figures", [&] {
         copyRows(strip, 0, whole, bandY);
         onBandOfWhole();
         figures(bandY);
         done();
       }},
      {"band-sized clear + 8 figures, copied", [&] {
         onBandSized();
         glClearBufferfv(GL_COLOR, 0, transparent);
         figures(0);
         done();
         copyRows(band, 0, whole, bandY);
       }},
      {"blit of the band, whole to whole", [&] { blit(whole, other, bandY, kBandRows); }},
      {"blit of the whole picture", [&] { blit(whole, other, 0, height); }},
      {"clear of the whole picture", [&] {
         glBindFramebuffer(GL_FRAMEBUFFER, whole.Framebuffer());
         glClearBufferfv(GL_COLOR, 0, transparent);
         done();
       }},
  };
  constexpr int kPartSamples = 41;
  std::vector<std::vector<double>> times(std::size(parts));
  for (int i = 0; i < kPartSamples; ++i) {
    for (std::size_t p = 0; p < std::size(parts); ++p) {
      glFinish();
      times[p].push_back(FinishedMilliseconds(parts[p].run));
    }
  }
  std::printf("\n%s, a band of %d rows, medians of %d (ms)\n", SizeText(width, height).c_str(),
              kBandRows, kPartSamples);
  for (std::size_t p = 0; p < std::size(parts); ++p)
    std::printf("  %-38s %7.3f\n", parts[p].name, Median(times[p]));
  std::fflush(stdout);
  fillProgram.Release();
  clearProgram.Release();
  quad.Release();
  // The band as it is drawn now.
  for (auto _ : state) state.SetIterationTime(Median(times[8]) / 1000.0);
  state.SetLabel("band parts " + SizeText(width, height));
}

BENCHMARK(BandParts)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
BENCHMARK(ReadFile)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(kSamples);

}  // namespace

int main(int argc, char** argv) { return fillref::RunBenchmarks(argc, argv); }

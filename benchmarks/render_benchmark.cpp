// Frame times through plugMain, the way a host runs the plug-in, beside the
// machine's fill limit (benchmarks/FillReference.h): a trivial program that
// writes one uniform colour over the same target. Each sample draws the fill around one measured frame, all
// finished with glFinish, so that load from other processes falls on both
// sides alike; the counters give the medians and their ratio.
// Not a test: numbers depend on the machine and its load.
#include <benchmark/benchmark.h>

#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "gl/ScopedBindings.h"
#include "gl/ScreenQuad.h"
#include "gl/ShaderProgram.h"
#include "host/EntryPoint.h"
#include "hostkit/GLContext.h"
#include "benchmarks/FillReference.h"
#include "hostkit/HostInstance.h"

namespace {

using namespace fillref;

constexpr int kSamples = 5;  // few: the machine is shared, medians keep it honest
// First frames build programs and take seconds each.
constexpr int kBuildSamples = 3;

const hostkit::PluginLibrary& Plugin() {
  static hostkit::PluginLibrary plugin(&plugMain, &SetLogCallback, "OVNVeltrimaFree");
  return plugin;
}

// Two steps up from the trivial fill, to show what a pattern pays for before
// drawing anything: the colour from the integer pixel position, and the same
// with one integer division by a uniform per pixel (as in "(p.x * 7) / W").
const char kPositionFill[] =
    "#version 410 core\nuniform vec4 Colour;\nout vec4 fragColor;\n"
    "void main() { ivec2 p = ivec2(floor(gl_FragCoord.xy));\n"
    "  fragColor = Colour * float((p.x + p.y) & 1); }\n";
const char kDivisionFill[] =
    "#version 410 core\nuniform vec4 Colour;\nuniform int Divisor;\nout vec4 fragColor;\n"
    "void main() { ivec2 p = ivec2(floor(gl_FragCoord.xy));\n"
    "  fragColor = Colour * float(((p.x * 7) / Divisor) & 1); }\n";

// Presets 0..9, then patterns 0..6 with the moving element, info box and
// credit all on (cases 10..16), then patterns 0..6 with every overlay off
// (cases 17..23: what the pattern alone costs).
void SetUpCase(hostkit::HostInstance& host, int which) {
  if (which < 10) {
    host.Set(0, static_cast<float>(which));
    return;
  }
  const bool overlays = which < 17;
  host.Set(1, static_cast<float>(overlays ? which - 10 : which - 17));
  host.Set(7, overlays ? 1.0f : 0.0f);
  host.Set(8, overlays ? 1.0f : 0.0f);
  host.Set(15, overlays ? 1.0f : 0.0f);
}

std::string CaseName(int which) {
  if (which >= 17) return "pattern " + std::to_string(which - 17) + " alone";
  if (which >= 10) return "pattern " + std::to_string(which - 10) + " + all overlays";
  const char* name = Plugin().GetElementName(nullptr, 0, static_cast<FFUInt32>(which));
  return std::string("preset ") + (name ? name : "?");
}

void Frames(benchmark::State& state) {
  Context().MakeCurrent();
  const int which = static_cast<int>(state.range(0));
  const int width = static_cast<int>(state.range(1));
  const int height = static_cast<int>(state.range(2));
  hostkit::HostInstance host(Plugin(), width, height);
  SetUpCase(host, which);
  host.RunFrames(1);  // builds whatever the frame needs
  glFinish();
  Interleaved(state, host.Target(), [&] { host.RunFrames(1); });
  state.SetLabel(CaseName(which) + " " + SizeText(width, height));
}

// The reference programs beside the trivial fill.
void Reference(benchmark::State& state) {
  Context().MakeCurrent();
  const bool division = state.range(0) == 1;
  const int width = static_cast<int>(state.range(1));
  const int height = static_cast<int>(state.range(2));
  hostkit::RenderTarget target(width, height, hostkit::PixelFormat::RGBA32F);
  TrivialFill reference(division ? kDivisionFill : kPositionFill);
  FinishedMilliseconds([&] { reference.Draw(target); });  // the driver compiles on first draw
  Interleaved(state, target, [&] { reference.Draw(target); });
  state.SetLabel(std::string(division ? "position + one division" : "position fill") + " " +
                 SizeText(width, height));
}

// The first frame of a new instance: instantiation, program builds, drawing.
void FirstFrame(benchmark::State& state) {
  Context().MakeCurrent();
  const int which = static_cast<int>(state.range(0));
  hostkit::RenderTarget target(1920, 1080, hostkit::PixelFormat::RGBA32F);
  Interleaved(state, target, [&] {
    hostkit::HostInstance host(Plugin(), 1920, 1080);
    SetUpCase(host, which);
    host.RunFrames(1);
  });
  state.SetLabel("instantiate + first frame, " + CaseName(which) + " 1920x1080");
}

// The first frame after a switch of pattern or overlays on a running
// instance: each sample a new instance, one frame drawn untimed, then the
// switch and the timed frame, which builds the programs it needs.
void SwitchFrame(benchmark::State& state) {
  Context().MakeCurrent();
  const bool overlays = state.range(0) == 1;
  std::unique_ptr<hostkit::HostInstance> host;
  hostkit::RenderTarget target(1920, 1080, hostkit::PixelFormat::RGBA32F);
  Interleaved(
      state, target,
      [&] {
        if (overlays)
          host->Set(7, 1.0f);  // moving element on
        else
          host->Set(1, 3.0f);  // bars to gradients
        host->RunFrames(1);
      },
      [&] {
        host.reset();
        host = std::make_unique<hostkit::HostInstance>(Plugin(), 1920, 1080);
        host->Set(0, 5);  // Colour Bars: no moving element
        host->RunFrames(1);
      });
  host.reset();
  state.SetLabel(std::string("first frame after a ") +
                 (overlays ? "moving-element" : "pattern") + " switch 1920x1080");
}

void Sizes(benchmark::internal::Benchmark* benchmark) {
  for (auto [width, height] : {std::pair{1920, 1080}, std::pair{3840, 2160}})
    for (int which = 0; which < 24; ++which) benchmark->Args({which, width, height});
}

BENCHMARK(Frames)->Apply(Sizes)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(
    kSamples);
BENCHMARK(Reference)
    ->Args({0, 1920, 1080})
    ->Args({1, 1920, 1080})
    ->Args({0, 3840, 2160})
    ->Args({1, 3840, 2160})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(kSamples);
BENCHMARK(FirstFrame)->Arg(0)->Arg(5)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(
    kBuildSamples);
BENCHMARK(SwitchFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(
    kBuildSamples);

}  // namespace

int main(int argc, char** argv) { return fillref::RunBenchmarks(argc, argv); }

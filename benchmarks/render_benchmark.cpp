// Frame times through plugMain, the way a host runs the plug-in, beside the
// machine's fill limit (benchmarks/FillReference.h): a trivial program that
// writes one uniform colour over the same target. Each sample draws the fill
// around the measured frames, all finished with glFinish, so that load from
// other processes falls on both sides alike; the counters give the medians
// and their ratios. Steady frames are measured with the kept picture and
// without it (the frame as drawn before it) in the same samples.
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
#include "free/OVNVeltrimaFree.h"

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

OVNVeltrimaFree& Instance(const hostkit::HostInstance& host) {
  return *static_cast<OVNVeltrimaFree*>(static_cast<CFFGLPlugin*>(host.Id()));
}

// Counters for one frame kind beside the fills of the same samples.
void Report(benchmark::State& state, const std::string& name, const std::vector<double>& frames,
            double fillMs) {
  const double ms = Median(frames);
  state.counters[name] = ms;
  state.counters["x_" + name] = fillMs > 0 ? ms / fillMs : 0.0;
}

// Steady frames of a case with the kept picture and without it (every pixel
// drawn every frame, as before there was one), on two instances of the
// same case sampled alternately between fills: "ms"/"x_fill" are the kept
// frame's, "before"/"x_before" the whole frame's. The animation runs on the
// steady clock, so the ball, the bar and the sweep move between samples.
void FramesOn(benchmark::State& state, hostkit::PixelFormat format) {
  Context().MakeCurrent();
  const int which = static_cast<int>(state.range(0));
  const int width = static_cast<int>(state.range(1));
  const int height = static_cast<int>(state.range(2));
  const hostkit::Viewport output{0, 0, width, height};
  hostkit::HostInstance kept(Plugin(), width, height, output, format),
      whole(Plugin(), width, height, output, format);
  Instance(whole).UseKeptPicture(false);
  SetUpCase(kept, which);
  SetUpCase(whole, which);
  kept.RunFrames(2);  // builds the programs, then draws the kept picture
  whole.RunFrames(1);
  TrivialFill fill;
  FinishedMilliseconds([&] { fill.Draw(kept.Target()); });
  std::vector<double> fills, keptMs, wholeMs;
  auto fillOnce = [&] { fills.push_back(FinishedMilliseconds([&] { fill.Draw(kept.Target()); })); };
  for (auto _ : state) {
    fillOnce();
    keptMs.push_back(FinishedMilliseconds([&] { kept.RunFrames(1); }));
    fillOnce();
    wholeMs.push_back(FinishedMilliseconds([&] { whole.RunFrames(1); }));
    fillOnce();
    state.SetIterationTime(keptMs.back() / 1000.0);
  }
  const double fillMs = Median(fills);
  state.counters["fill_ms"] = fillMs;
  Report(state, "ms", keptMs, fillMs);
  Report(state, "before", wholeMs, fillMs);
  state.counters["x_fill"] = state.counters["x_ms"];
  state.counters.erase("x_ms");
  state.counters["kept_MB"] = static_cast<double>(Instance(kept).KeptBytes()) / 1e6;
  state.SetLabel(CaseName(which) + " " + SizeText(width, height));
}

void Frames(benchmark::State& state) { FramesOn(state, hostkit::PixelFormat::RGBA32F); }
// The same on an 8-bit host (RGBA8 target, fill and kept picture).
void EightBitFrames(benchmark::State& state) { FramesOn(state, hostkit::PixelFormat::RGBA8); }

// The frames after a change of setting (brightness 1 and 0.99 in turn, which
// every pattern shows), each between fills: the first ("change"), the
// slowest of those until the new picture shows ("worst": on an output drawn
// in bands, each draws a band of it beside the last picture's copy), how
// many frames that took ("frames"), then a steady one ("steady").
void AfterChange(benchmark::State& state) {
  Context().MakeCurrent();
  const int which = static_cast<int>(state.range(0));
  const int width = static_cast<int>(state.range(1));
  const int height = static_cast<int>(state.range(2));
  hostkit::HostInstance host(Plugin(), width, height);
  SetUpCase(host, which);
  host.RunFrames(2);
  TrivialFill fill;
  FinishedMilliseconds([&] { fill.Draw(host.Target()); });
  std::vector<double> fills, change, worst, frames, steady;
  auto fillOnce = [&] { fills.push_back(FinishedMilliseconds([&] { fill.Draw(host.Target()); })); };
  int step = 0;
  for (auto _ : state) {
    host.Set(9, (step++ % 2) == 0 ? 0.99f : 1.0f);
    fillOnce();
    change.push_back(FinishedMilliseconds([&] { host.RunFrames(1); }));
    double slowest = change.back();
    int shownAfter = 1;
    for (; Instance(host).DrawingNewPicture() && shownAfter < 1000; ++shownAfter) {
      fillOnce();
      slowest = std::max(slowest, FinishedMilliseconds([&] { host.RunFrames(1); }));
    }
    worst.push_back(slowest);
    frames.push_back(shownAfter);
    fillOnce();
    steady.push_back(FinishedMilliseconds([&] { host.RunFrames(1); }));
    fillOnce();
    state.SetIterationTime(slowest / 1000.0);
  }
  const double fillMs = Median(fills);
  state.counters["fill_ms"] = fillMs;
  Report(state, "change", change, fillMs);
  Report(state, "worst", worst, fillMs);
  Report(state, "steady", steady, fillMs);
  state.counters["frames"] = Median(frames);
  state.counters["kept_MB"] = static_cast<double>(Instance(host).KeptBytes()) / 1e6;
  state.SetLabel("after a change, " + CaseName(which) + " " + SizeText(width, height));
}

// Six instances in one host, presets 0 to 5 each on a target of its own
// (float, or 8-bit where the third argument is 8), all
// six drawn per sample ("ms"), against six fills ("six_fills_ms"), with and
// without the kept picture alternately ("before"), and the six kept frames
// drawn one at a time, each finished before the next ("alone").
void SixInstances(benchmark::State& state) {
  Context().MakeCurrent();
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  const hostkit::PixelFormat format =
      state.range(2) == 8 ? hostkit::PixelFormat::RGBA8 : hostkit::PixelFormat::RGBA32F;
  std::vector<std::unique_ptr<hostkit::HostInstance>> kept, whole;
  for (int preset = 0; preset < 6; ++preset) {
    for (auto* list : {&kept, &whole}) {
      list->push_back(std::make_unique<hostkit::HostInstance>(Plugin(), width, height, format));
      list->back()->Set(0, static_cast<float>(preset));
      list->back()->RunFrames(2);
    }
    Instance(*whole.back()).UseKeptPicture(false);
  }
  TrivialFill fill;
  auto all = [](std::vector<std::unique_ptr<hostkit::HostInstance>>& hosts) {
    for (auto& host : hosts) host->RunFrames(1);
  };
  std::vector<double> fills, keptMs, wholeMs, aloneMs;
  auto sixFills = [&] {
    fills.push_back(FinishedMilliseconds([&] {
      for (auto& host : kept) fill.Draw(host->Target());
    }));
  };
  for (auto _ : state) {
    sixFills();
    keptMs.push_back(FinishedMilliseconds([&] { all(kept); }));
    sixFills();
    wholeMs.push_back(FinishedMilliseconds([&] { all(whole); }));
    sixFills();
    // The same six steady frames, each finished before the next begins: what
    // the six cost one at a time, against which the six together are weighed.
    double alone = 0.0;
    for (auto& host : kept) alone += FinishedMilliseconds([&] { host->RunFrames(1); });
    aloneMs.push_back(alone);
    sixFills();
    state.SetIterationTime(keptMs.back() / 1000.0);
  }
  const double fillMs = Median(fills);
  state.counters["six_fills_ms"] = fillMs;
  Report(state, "ms", keptMs, fillMs);
  Report(state, "before", wholeMs, fillMs);
  Report(state, "alone", aloneMs, fillMs);
  long long bytes = 0;
  for (auto& host : kept) bytes += Instance(*host).KeptBytes();
  state.counters["kept_MB"] = static_cast<double>(bytes) / 1e6;
  state.SetLabel("six instances, presets 0-5, " + SizeText(width, height) +
                 (format == hostkit::PixelFormat::RGBA8 ? " 8-bit" : " float"));
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
BENCHMARK(EightBitFrames)->Apply(Sizes)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(
    kSamples);
BENCHMARK(AfterChange)
    ->Apply([](benchmark::internal::Benchmark* b) {
      for (int which = 0; which < 17; ++which) b->Args({which, 3840, 2160});
    })
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(kSamples);
BENCHMARK(SixInstances)
    ->Args({1920, 1080, 32})
    ->Args({1920, 1080, 8})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(kSamples);
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

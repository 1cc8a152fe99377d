// HDR frame times through plugMain beside the trivial fill
// (benchmarks/FillReference.h), every pattern at 1920x1080 and 3840x2160 in
// PQ Narrow with labels on: "steady" frames draw the rectangles composed for
// the first; the bars are also measured "recomposed", a parameter changed
// each frame so that each composes and uploads anew. Not a test: numbers
// depend on the machine and its load.
#include <benchmark/benchmark.h>

#include <string>

#include "benchmarks/FillReference.h"
#include "hdr/Parameters.h"
#include "host/EntryPoint.h"
#include "hostkit/HostInstance.h"

namespace {

using namespace fillref;

constexpr int kSamples = 9;
const char* const kPatterns[] = {"BT.2111 Bars", "PLUGE", "Nit Steps", "Signal Steps", "Ramp", "Patch"};

const hostkit::PluginLibrary& Plugin() {
  static hostkit::PluginLibrary plugin(&plugMain, &SetLogCallback, "OVNVeltrimaHdr");
  return plugin;
}

void HdrFrames(benchmark::State& state, bool recompose) {
  Context().MakeCurrent();
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  const int pattern = static_cast<int>(state.range(2));
  hostkit::HostInstance host(Plugin(), width, height);
  host.Set(kHdrPattern, static_cast<float>(pattern));
  host.RunFrames(1);  // composes and uploads
  glFinish();
  int frame = 0;
  Interleaved(state, host.Target(), [&] {
    // Peak nits 1000 or 1001: a new composition each frame.
    if (recompose) host.Set(kHdrPeakNits, 1000.0f + static_cast<float>(frame++ % 2));
    host.RunFrames(1);
  });
  state.SetLabel(std::string(recompose ? "recomposed " : "steady ") + kPatterns[pattern] + " " +
                 SizeText(width, height));
}

void Steady(benchmark::State& state) { HdrFrames(state, false); }
void Recomposed(benchmark::State& state) { HdrFrames(state, true); }

void EveryPattern(benchmark::internal::Benchmark* b) {
  for (int pattern = 0; pattern < kHdrPatternCount; ++pattern) {
    b->Args({1920, 1080, pattern});
    b->Args({3840, 2160, pattern});
  }
}

BENCHMARK(Steady)
    ->Apply(EveryPattern)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(kSamples);
BENCHMARK(Recomposed)
    ->Args({1920, 1080, 0})
    ->Args({3840, 2160, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(kSamples);

}  // namespace

int main(int argc, char** argv) { return fillref::RunBenchmarks(argc, argv); }

// SYNC frame times through plugMain beside the trivial fill (the fill
// reference of benchmarks/FillReference.h), at 1920x1080 and 3840x2160 and
// at the shapes LED outputs come in (pillars, portrait, ribbons, 5:4, small
// 16:9, 8K; each should stay within 3x the fill): every
// element on, the clock following code 20 as the render tool drives it, a new
// time each frame so that the QR code is encoded again every frame. Not a
// test: numbers depend on the machine and its load.
#include <benchmark/benchmark.h>

#include "benchmarks/FillReference.h"
#include "host/EntryPoint.h"
#include "hostkit/HostInstance.h"
#include "sync/Parameters.h"

namespace {

using namespace fillref;

constexpr int kSamples = 9;

const hostkit::PluginLibrary& Plugin() {
  static hostkit::PluginLibrary plugin(&plugMain, &SetLogCallback, "OVNVeltrimaSync");
  return plugin;
}

void SyncFrames(benchmark::State& state) {
  Context().MakeCurrent();
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  const bool qr = state.range(2) != 0;
  hostkit::HostInstance host(Plugin(), width, height);
  host.Set(kSyncClockSource, static_cast<float>(kClockHostTime));
  host.Set(kSyncShowQr, qr ? 1.0f : 0.0f);
  int frame = 0;
  auto next = [&] {
    Plugin().SetTime(host.Id(), frame++ / 60.0);
    host.RunFrames(1);
  };
  next();  // the first frame makes the buffer's store
  glFinish();
  Interleaved(state, host.Target(), next);
  state.SetLabel(std::string(qr ? "SYNC, every element " : "SYNC, all but the QR code ") +
                 SizeText(width, height));
}

// The third argument: the QR code on (1) or off (0). Off, at the smallest
// shapes, shows what the code's encoding on the CPU costs beside the fill.
BENCHMARK(SyncFrames)
    ->Args({1920, 1080, 1})
    ->Args({3840, 2160, 1})
    ->Args({256, 2048, 1})
    ->Args({512, 2048, 1})
    ->Args({1080, 1920, 1})
    ->Args({3840, 540, 1})
    ->Args({7680, 1080, 1})
    ->Args({1280, 1024, 1})
    ->Args({640, 360, 1})
    ->Args({7680, 2160, 1})
    ->Args({256, 2048, 0})
    ->Args({640, 360, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(kSamples);

}  // namespace

int main(int argc, char** argv) { return fillref::RunBenchmarks(argc, argv); }

// SYNC frame times through plugMain beside the trivial fill (the fill
// reference of benchmarks/FillReference.h), at 1920x1080 and 3840x2160 and
// at the shapes LED outputs come in (pillars, portrait, ribbons, 5:4, small
// 16:9, 8K; each should stay within 3x the fill): every
// element on, the clock following code 20 as the render tool drives it, a new
// time each frame so that the QR code is encoded again every frame; and with
// "Region Codes" on, from the default 4 x 2 to the finest 64 x 64 grid (each
// should stay within 3x the fill too). Not a test: numbers depend on the
// machine and its load.
#include <benchmark/benchmark.h>

#include <string>

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
  const int columns = static_cast<int>(state.range(3)), rows = static_cast<int>(state.range(4));
  hostkit::HostInstance host(Plugin(), width, height);
  host.Set(kSyncClockSource, static_cast<float>(kClockHostTime));
  host.Set(kSyncShowQr, qr ? 1.0f : 0.0f);
  if (columns > 0) {
    host.Set(kSyncRegionCodes, 1.0f);
    host.Set(kSyncRegionColumns, static_cast<float>(columns));
    host.Set(kSyncRegionRows, static_cast<float>(rows));
  }
  int frame = 0;
  auto next = [&] {
    Plugin().SetTime(host.Id(), frame++ / 60.0);
    host.RunFrames(1);
  };
  next();  // the first frame makes the buffer's store
  glFinish();
  Interleaved(state, host.Target(), next);
  const std::string what = columns > 0 ? "SYNC, region codes " + std::to_string(columns) + "x" +
                                             std::to_string(rows) + " "
                            : qr     ? "SYNC, every element "
                                     : "SYNC, all but the QR code ";
  state.SetLabel(what + SizeText(width, height));
}

// The third argument: the QR code on (1) or off (0). Off, at the smallest
// shapes, shows what the code's encoding on the CPU costs beside the fill.
// The fourth and fifth: the region grid's columns and rows with "Region
// Codes" on; 0: off.
BENCHMARK(SyncFrames)
    ->Args({1920, 1080, 1, 0, 0})
    ->Args({3840, 2160, 1, 0, 0})
    ->Args({256, 2048, 1, 0, 0})
    ->Args({512, 2048, 1, 0, 0})
    ->Args({1080, 1920, 1, 0, 0})
    ->Args({3840, 540, 1, 0, 0})
    ->Args({7680, 1080, 1, 0, 0})
    ->Args({1280, 1024, 1, 0, 0})
    ->Args({640, 360, 1, 0, 0})
    ->Args({7680, 2160, 1, 0, 0})
    ->Args({256, 2048, 0, 0, 0})
    ->Args({640, 360, 0, 0, 0})
    ->Args({1920, 1080, 0, 4, 2})
    ->Args({1920, 1080, 0, 16, 9})
    ->Args({1920, 1080, 0, 64, 64})
    ->Args({3840, 2160, 0, 64, 64})
    ->Args({7680, 2160, 0, 64, 64})
    ->Args({256, 2048, 0, 64, 64})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(kSamples);

}  // namespace

int main(int argc, char** argv) { return fillref::RunBenchmarks(argc, argv); }

// What veltrima-render spends per frame beyond the plug-in's draw: getting a
// 1920x1080 output into straight-alpha bytes and writing them to /dev/null.
// The draw is a clear, the cheapest frame there is, so the time is the tool's
// own. Two ways, in one run:
//   FloatReadback  the float read-back, flipped and converted on the CPU, and
//                  written with stdio (how the tool worked before);
//   PackBufferRing the GPU conversion into a ring of pack buffers, each frame
//                  written straight from the mapped buffer in one write.
// A measurement, never a test (scripts/render-speed.sh runs it).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "hostkit/GLContext.h"
#include "hostkit/GLScoped.h"
#include "hostkit/RenderTarget.h"
#include "hostkit/StraightRgba8Reader.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

// CPU time of the whole process, the rasteriser's threads included: on a
// software rasteriser sharing a few cores, this is what a frame really costs.
double ProcessCpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto ms = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
  };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Reports the process CPU time per frame since `start`.
void CountCpu(benchmark::State& state, double start) {
  state.counters["process_cpu_ms"] =
      (ProcessCpuMs() - start) / static_cast<double>(state.iterations());
}

hostkit::GLContext& Context() {
  static hostkit::GLContext context;
  return context;
}

// A different clear each frame, so no frame can reuse the last one's work.
void Draw(hostkit::RenderTarget& target, long frame) {
  const float level = static_cast<float>(frame % 256) / 255.0f;
  target.Clear(level, 0.5f, 1.0f - level, 0.75f);
}

void FloatReadback(benchmark::State& state) {
  Context().MakeCurrent();
  hostkit::RenderTarget target(kWidth, kHeight, hostkit::PixelFormat::RGBA32F);
  std::FILE* sink = std::fopen("/dev/null", "wb");
  long frame = 0;
  const double start = ProcessCpuMs();
  for (auto _ : state) {
    Draw(target, frame++);
    const std::vector<float> floats = target.ReadOutput();
    std::vector<std::uint8_t> bytes(floats.size());
    hostkit::StraightRgba8FromPremultiplied(floats.data(), floats.size(), bytes.data());
    std::fwrite(bytes.data(), 1, bytes.size(), sink);
    std::fflush(sink);
  }
  CountCpu(state, start);
  std::fclose(sink);
  state.SetItemsProcessed(state.iterations());
}

void PackBufferRing(benchmark::State& state) {
  Context().MakeCurrent();
  hostkit::RenderTarget target(kWidth, kHeight, hostkit::PixelFormat::RGBA32F);
  hostkit::StraightRgba8Reader reader(kWidth, kHeight, static_cast<int>(state.range(0)));
  const int sink = ::open("/dev/null", O_WRONLY);
  const auto writeOldest = [&] {
    const std::uint8_t* bytes = reader.MapOldest();
    benchmark::DoNotOptimize(::write(sink, bytes, reader.FrameBytes()));
    reader.ReleaseOldest();
  };
  long frame = 0;
  const double start = ProcessCpuMs();
  for (auto _ : state) {
    Draw(target, frame++);
    if (reader.Pending() == reader.Depth()) writeOldest();
    reader.Queue(target);
  }
  while (reader.Pending() > 0) writeOldest();
  CountCpu(state, start);
  ::close(sink);
  state.SetItemsProcessed(state.iterations());
}

// The draw alone, waited for: what the two above add to it is the tool's cost.
void ClearOnly(benchmark::State& state) {
  Context().MakeCurrent();
  hostkit::RenderTarget target(kWidth, kHeight, hostkit::PixelFormat::RGBA32F);
  long frame = 0;
  const double start = ProcessCpuMs();
  for (auto _ : state) {
    Draw(target, frame++);
    glFinish();
  }
  CountCpu(state, start);
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(ClearOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(FloatReadback)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PackBufferRing)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

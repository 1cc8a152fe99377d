// Where one frame of `veltrima-render --preset "Colour Bars" -o -` goes at
// 1920x1080: the linked plug-in's draw into the 8-bit target, and the tool's
// own work after it (the read-back into a pack buffer, mapping it, the alpha
// check, the write to standard output), each timed on its own and as the
// tool runs them. A measurement, never a test (scripts/render-speed.sh runs
// it, interleaved and repeated).
//   Draw            the draw alone, waited for with glFinish;
//   ToolFrame/S     the tool's 8-bit step for the linked plug-in, its own code
//                   (the draw, then tools/render/Sequence.h's BytesRing: the
//                   ring of three and the write), to sink S: 0 /dev/null, 1 a pipe a
//                   thread drains (64 KiB, the kernel's default; a 1 MiB pipe
//                   was tried and doubled the write, its chunks no longer
//                   staying in cache);
//   Phases/S        the same step with a glFinish after the draw, so that
//                   each phase is timed apart: counters draw_ms, queue_ms
//                   (glReadPixels into the pack buffer), map_ms, alpha_ms,
//                   write_ms, release_ms; tool_ms, their sum without the draw
//                   and the alpha check (the linked plug-in's frame), and
//                   loaded_tool_ms with the check (a loaded module's);
//                   copy_ms, a plain memcpy of the mapped frame, no part of
//                   the tool's step: what moving the frame's bytes once
//                   costs on this machine, beside which the read-back (one
//                   such move, made by GL) is judged. Medians over the
//                   samples.
#include <benchmark/benchmark.h>

#include <GL/glew.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "host/EntryPoint.h"
#include "hostkit/GLContext.h"
#include "tools/render/FrameOutput.h"
#include "tools/render/FrameSource.h"
#include "tools/render/FreeParameterNames.h"
#include "tools/render/OpaqueBytes.h"
#include "tools/render/ParameterTable.h"
#include "tools/render/Progress.h"
#include "tools/render/Rgba8TargetReader.h"
#include "tools/render/Sequence.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWidth = 1920, kHeight = 1080;
const int kRing = RingDepth(3);  // the tool's ring for any run of three frames or more
const FrameRate kRate{60, 1};

hostkit::GLContext& Context() {
  static hostkit::GLContext context(hostkit::OptionsFromEnvironment());
  return context;
}

// One instance for every case, frames numbered on across them, so that the
// programs are built once and every case draws a moving frame.
struct Bars {
  Bars()
      : plugin(&plugMain, &SetLogCallback, "OVNVeltrimaFree"),
        table(plugin),
        source(plugin, Clocking::SteppedLinked, kWidth, kHeight,
               {table.ResolveValue(table.Find(FreePresetName()), "Colour Bars")}, true) {
    for (int i = 0; i < 3; ++i) Draw();  // program builds and first-frame work
  }
  void Draw() {
    source.Render(next++, kRate, Surface::Bytes);
  }
  hostkit::PluginLibrary plugin;
  ParameterTable table;
  FrameSource source;
  long next = 0;
};

Bars& TheBars() {
  Context().MakeCurrent();
  static Bars bars;
  return bars;
}

// Standard output as the tool has it: /dev/null, or a pipe whose far end a
// thread reads as fast as it can (as `| ffmpeg -i -` would, minus its work).
class Sink {
 public:
  explicit Sink(bool pipe) {
    if (!pipe) {
      descriptor_ = ::open("/dev/null", O_WRONLY);
      return;
    }
    int ends[2];
    if (::pipe(ends) != 0) return;
    descriptor_ = ends[1];
    reader_ = std::thread([end = ends[0]] {
      std::vector<char> buffer(1 << 20);
      while (::read(end, buffer.data(), buffer.size()) > 0) {
      }
      ::close(end);
    });
  }
  ~Sink() {
    ::close(descriptor_);
    if (reader_.joinable()) reader_.join();
  }
  Sink(const Sink&) = delete;
  Sink& operator=(const Sink&) = delete;
  int Descriptor() const { return descriptor_; }

 private:
  int descriptor_ = -1;
  std::thread reader_;
};

double Since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void Draw(benchmark::State& state) {
  Bars& bars = TheBars();
  for (auto _ : state) {
    bars.Draw();
    glFinish();
  }
}

void ToolFrame(benchmark::State& state) {
  Bars& bars = TheBars();
  const Sink sink(state.range(0) == 1);
  FrameWriter writer({OutputKind::RawStream, "-"}, kWidth, kHeight, sink.Descriptor());
  Progress quiet(0, true);
  BytesRing ring({kWidth, kHeight}, kRing, false, 0, writer, quiet);
  for (auto _ : state) {
    bars.Draw();
    ring.Add(bars.source.Bytes());
  }
  ring.Finish();
}

void Phases(benchmark::State& state) {
  Bars& bars = TheBars();
  const Sink sink(state.range(0) == 1);
  FrameWriter writer({OutputKind::RawStream, "-"}, kWidth, kHeight, sink.Descriptor());
  Rgba8TargetReader reader(kWidth, kHeight, kRing);
  std::vector<double> draw, queue, map, alpha, write, release, tool, loaded, copy;
  std::vector<unsigned char> copied(reader.FrameBytes());
  long opaque = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    bars.Draw();
    glFinish();
    draw.push_back(Since(start));
    start = Clock::now();
    reader.Queue(bars.source.Bytes());
    queue.push_back(Since(start));
    start = Clock::now();
    const FrameRows rows = reader.MapOldest();
    map.push_back(Since(start));
    start = Clock::now();
    opaque += AllOpaque(rows.top + rows.stride * (kHeight - 1), reader.FrameBytes()) ? 1 : 0;
    alpha.push_back(Since(start));
    start = Clock::now();
    std::memcpy(copied.data(), rows.top + rows.stride * (kHeight - 1), copied.size());
    benchmark::DoNotOptimize(copied.data());
    copy.push_back(Since(start));
    start = Clock::now();
    writer.Write(0, rows);
    write.push_back(Since(start));
    start = Clock::now();
    reader.ReleaseOldest();
    release.push_back(Since(start));
    tool.push_back(queue.back() + map.back() + write.back() + release.back());
    loaded.push_back(tool.back() + alpha.back());
  }
  benchmark::DoNotOptimize(opaque);
  state.counters["draw_ms"] = Median(draw);
  state.counters["queue_ms"] = Median(queue);
  state.counters["map_ms"] = Median(map);
  state.counters["alpha_ms"] = Median(alpha);
  state.counters["write_ms"] = Median(write);
  state.counters["release_ms"] = Median(release);
  state.counters["tool_ms"] = Median(tool);
  state.counters["loaded_tool_ms"] = Median(loaded);
  state.counters["copy_ms"] = Median(copy);
}

BENCHMARK(Draw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ToolFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Phases)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

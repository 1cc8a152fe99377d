// MAP frame times through plugMain beside the trivial fill
// (benchmarks/FillReference.h): a wall of 2,000 cabinets over 3840x2160 and
// 1920x1080 (50 x 40 cabinets on two ports, serpentine chains, every fourth
// column turned, a gap and overlaps), every element on. "Steady" frames copy
// the picture kept from the first frame; "Recomposed" frames change a
// parameter each time, so each composes the figures, uploads them, draws
// them into the kept picture and copies it. Steady frames are also measured
// with parts left out. Also the time of reading the file when the parameter
// is set. Not a test: numbers depend on the machine and its load.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "benchmarks/FillReference.h"
#include "host/EntryPoint.h"
#include "hostkit/HostInstance.h"
#include "map/Parameters.h"

namespace {

using namespace fillref;

constexpr int kSamples = 9;
constexpr int kColumns = 50, kRows = 40;  // 2,000 cabinets

const hostkit::PluginLibrary& Plugin() {
  static hostkit::PluginLibrary plugin(&plugMain, &SetLogCallback, "OVNVeltrimaMap");
  return plugin;
}

// The wall for an output of width x height, written once per size.
std::string WallFile(int width, int height) {
  const std::string path = "/tmp/veltrima-map-benchmark-" + std::to_string(getpid()) + "-" +
                           SizeText(width, height) + ".csv";
  std::ofstream out(path, std::ios::trunc);
  out << "id,x,y,w,h,rot,port,chain\n";
  const int w = width / kColumns, h = height / kRows;
  for (int row = 0; row < kRows; ++row)
    for (int i = 0; i < kColumns; ++i) {
      // Serpentine: even rows left to right, odd rows back.
      const int column = row % 2 == 0 ? i : kColumns - 1 - i;
      const int port = row < kRows / 2 ? 1 : 2;
      const int chain = (row % (kRows / 2)) * kColumns + i + 1;
      // A gap in the middle column and an overlap on every tenth row.
      const int x = column * w + (column == kColumns / 2 ? 4 : 0);
      const int y = row * h - (row % 10 == 9 ? h / 4 : 0);
      out << "C" << row << "-" << column << "," << x << "," << y << "," << w - (column == kColumns / 2 ? 8 : 0)
          << "," << h << "," << (column % 4 == 3 ? 90 : 0) << "," << port << "," << chain << "\n";
    }
  return path;
}

void MapFrames(benchmark::State& state, bool recompose) {
  Context().MakeCurrent();
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  const std::string file = WallFile(width, height);
  hostkit::HostInstance host(Plugin(), width, height);
  Plugin().SetTextParameter(host.Id(), kMapFile, file.c_str());
  // What is left out, to show what each part costs: 1 the texts (labels and
  // coordinates), 2 also the orientation marks and chain arrows.
  const int leftOut = static_cast<int>(state.range(2));
  if (leftOut >= 1) {
    host.Set(kMapShowLabels, 0.0f);
    host.Set(kMapShowCoordinates, 0.0f);
  }
  if (leftOut >= 2) {
    host.Set(kMapShowOrientation, 0.0f);
    host.Set(kMapShowArrows, 0.0f);
  }
  host.RunFrames(1);  // composes and uploads
  glFinish();
  int frame = 0;
  Interleaved(state, host.Target(), [&] {
    // Brightness between 0.9 and 1: a new composition each frame.
    if (recompose) host.Set(kMapBrightness, 1.0f - static_cast<float>(frame++ % 2) * 0.1f);
    host.RunFrames(1);
  });
  std::remove(file.c_str());
  const char* const kParts[] = {"everything", "no texts", "no texts, marks or arrows"};
  state.SetLabel(std::string(recompose ? "recomposed" : "steady") + ", 2000 cabinets " +
                 SizeText(width, height) + ", " + kParts[std::min(leftOut, 2)]);
}

void Steady(benchmark::State& state) { MapFrames(state, false); }
void Recomposed(benchmark::State& state) { MapFrames(state, true); }

// Setting the file: reading, parsing and the screen plan of 2,000 cabinets.
void ReadFile(benchmark::State& state) {
  Context().MakeCurrent();
  const std::string file = WallFile(3840, 2160);
  hostkit::HostInstance host(Plugin(), 64, 64);
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
    ->Args({1920, 1080, 0})
    ->Args({3840, 2160, 0})
    ->Args({3840, 2160, 1})
    ->Args({3840, 2160, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(kSamples);
BENCHMARK(Recomposed)
    ->Args({1920, 1080, 0})
    ->Args({3840, 2160, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(kSamples);
BENCHMARK(ReadFile)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(kSamples);

}  // namespace

int main(int argc, char** argv) { return fillref::RunBenchmarks(argc, argv); }

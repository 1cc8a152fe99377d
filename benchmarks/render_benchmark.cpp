// Frames per second of each preset at 1920x1080 through plugMain, the way a
// host runs the plug-in. Not a test: numbers depend on the machine.
#include <benchmark/benchmark.h>

#include <GL/glew.h>

#include <memory>
#include <string>

#include "host/EntryPoint.h"
#include "hostkit/GLContext.h"
#include "hostkit/HostInstance.h"

namespace {

hostkit::GLContext& Context() {
  static hostkit::GLContext context(hostkit::OptionsFromEnvironment());
  return context;
}

const hostkit::PluginLibrary& Plugin() {
  static hostkit::PluginLibrary plugin(&plugMain, &SetLogCallback, "OVNVeltrimaFree");
  return plugin;
}

void PresetFrames(benchmark::State& state) {
  Context().MakeCurrent();
  const auto preset = static_cast<float>(state.range(0));
  const int width = static_cast<int>(state.range(1));
  const int height = static_cast<int>(state.range(2));
  hostkit::HostInstance host(Plugin(), width, height);
  host.Set(0, preset);
  host.RunFrames(1);
  glFinish();
  for (auto _ : state) {
    host.RunFrames(1);
    glFinish();  // the driver draws lazily; count the finished frame
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                             benchmark::Counter::kIsRate);
  const char* name = Plugin().GetElementName(nullptr, 0, static_cast<FFUInt32>(preset));
  state.SetLabel(std::string(name ? name : "?") + " " + std::to_string(width) + "x" +
                 std::to_string(height));
}

void Sizes(benchmark::internal::Benchmark* benchmark) {
  for (int preset = 0; preset < 10; ++preset) benchmark->Args({preset, 1920, 1080});
  benchmark->Args({0, 3840, 2160});
}

BENCHMARK(PresetFrames)->Apply(Sizes)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();

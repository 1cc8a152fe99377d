// The reference every frame-time benchmark measures beside: a trivial
// program that writes one uniform colour over the whole target (the
// machine's fill limit), drawn several times around each measured frame so
// that load from other processes falls on both alike; the counters give the
// medians and their ratio (x_fill). Shared by the benchmarks of every
// plug-in. Header-only: each benchmark program is its own plug-in's.
#pragma once

#include <benchmark/benchmark.h>

#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "gl/ScopedBindings.h"
#include "gl/ScreenQuad.h"
#include "gl/ShaderProgram.h"
#include "hostkit/GLContext.h"
#include "hostkit/RenderTarget.h"

namespace fillref {

using Clock = std::chrono::steady_clock;

// A fill frame takes a few milliseconds, so a thread that wakes late or a
// neighbour's burst moves one sample by half its length or more: the
// reference is drawn several times around each measured frame (half before,
// half after) and its median taken over all of them.
constexpr int kFillsPerSample = 4;

inline hostkit::GLContext& Context() {
  // Program builds are part of what is measured: Mesa's on-disk shader cache
  // would turn every build after the first run into a look-up.
  setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
  static hostkit::GLContext context(hostkit::OptionsFromEnvironment());
  return context;
}

// The trivial fill program.
inline constexpr char kTrivialFill[] =
    "#version 410 core\nuniform vec4 Colour;\nout vec4 fragColor;\n"
    "void main() { fragColor = Colour; }\n";
// The fill limit: one uniform colour over a full-screen quad.
class TrivialFill {
 public:
  explicit TrivialFill(const char* fragment = kTrivialFill) {
    static const char kVertex[] =
        "#version 410 core\nlayout(location = 0) in vec4 vPosition;\n"
        "void main() { gl_Position = vPosition; }\n";
    program_.Compile(kVertex, fragment);
    quad_.Create(false);
  }
  ~TrivialFill() {
    program_.Release();
    quad_.Release();
  }
  TrivialFill(const TrivialFill&) = delete;
  TrivialFill& operator=(const TrivialFill&) = delete;

  void Draw(hostkit::RenderTarget& target) {
    target.Bind();
    ffglex::ScopedProgramUse use(program_.ProgramId());
    glUniform4f(program_.UniformLocation("Colour"), 0.25f, 0.5f, 0.75f, 1.0f);
    glUniform1i(program_.UniformLocation("Divisor"), target.Width());
    quad_.Draw();
  }

 private:
  ffglex::ShaderProgram program_;
  ffglex::ScreenQuad quad_;
};

template <typename Draw>
double FinishedMilliseconds(Draw draw) {
  const auto start = Clock::now();
  draw();
  glFinish();  // the driver draws lazily; count the finished frame
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0.0 : values[values.size() / 2];
}

inline std::string SizeText(int width, int height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

// Samples `frame` interleaved with the fill and reports both medians;
// `prepare` runs untimed before each sample.
template <typename Frame, typename Prepare>
void Interleaved(benchmark::State& state, hostkit::RenderTarget& target, Frame frame,
                 Prepare prepare) {
  TrivialFill fill;
  FinishedMilliseconds([&] { fill.Draw(target); });
  std::vector<double> fills, frames;
  for (auto _ : state) {
    prepare();
    glFinish();
    for (int i = 0; i < kFillsPerSample / 2; ++i)
      fills.push_back(FinishedMilliseconds([&] { fill.Draw(target); }));
    const double ms = FinishedMilliseconds(frame);
    frames.push_back(ms);
    for (int i = kFillsPerSample / 2; i < kFillsPerSample; ++i)
      fills.push_back(FinishedMilliseconds([&] { fill.Draw(target); }));
    state.SetIterationTime(ms / 1000.0);
  }
  const double fillMs = Median(fills), frameMs = Median(frames);
  state.counters["ms"] = frameMs;
  state.counters["fill_ms"] = fillMs;
  state.counters["x_fill"] = fillMs > 0 ? frameMs / fillMs : 0.0;
}

template <typename Frame>
void Interleaved(benchmark::State& state, hostkit::RenderTarget& target, Frame frame) {
  Interleaved(state, target, frame, [] {});
}

// The body of every such benchmark program's main: the renderer and its
// version head the output, beside the CPU, then the registered benchmarks.
inline int RunBenchmarks(int argc, char** argv) {
  Context().MakeCurrent();
  benchmark::AddCustomContext("GL_RENDERER", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  benchmark::AddCustomContext("GL_VERSION", Context().VersionString());
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace fillref

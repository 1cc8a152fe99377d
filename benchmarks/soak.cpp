// Soak run: a million frames at a small size through plugMain with a stepped
// clock at 60 fps, started just short of the animation accumulators' 1e9
// wrap so that the run crosses it. Reports resident memory and frame time
// at the start and at the end; a growing figure is a leak or a slowdown that
// a night-long show would feel. Not a test: run it by hand.
#include <GL/glew.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "host/EntryPoint.h"
#include "hostkit/GLContext.h"
#include "hostkit/HostInstance.h"
#include "free/FrameClock.h"
#include "free/OVNVeltrimaFree.h"
#include "clock/SteppedClock.h"

namespace {

// The expected growth below assumes that no 60 fps frame is cut short by the
// clock's step limit.
static_assert(1'000'000'000LL / 60 + 1 <= FrameClock::kMaxStepNanoseconds,
              "a frame longer than the clock's step limit would advance it less");

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      long kib = 0;
      status >> kib;
      return kib;
    }
    status.ignore(1 << 16, '\n');
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  const long frames = argc > 1 ? std::atol(argv[1]) : 1'000'000;
  const long window = 10'000;
  if (frames < 2 * window) {
    std::fprintf(stderr, "usage: soak [FRAMES >= %ld]\n", 2 * window);
    return 2;
  }
  hostkit::GLContext context(hostkit::OptionsFromEnvironment());
  const hostkit::PluginLibrary plugin(&plugMain, &SetLogCallback, "OVNVeltrimaFree");
  SteppedClock clock;
  hostkit::HostInstance host(plugin, 32, 18);
  host.Set(13, 0.5f);

  // At speed 0.5 and 60 fps the accumulators grow by 4.5 px (sweep), 8.3 px
  // (motion) and 0.0083 steps (colour) per frame: start each so that it
  // wraps about halfway through the run.
  auto* instance = static_cast<OVNVeltrimaFree*>(host.Id());
  const double half = static_cast<double>(frames) / 2.0;
  instance->AnimationClock() =
      FrameClock(1e9 - 4.5 * half, 1e9 - 500.0 / 60.0 * half, 1e9 - 0.5 / 60.0 * half);
  const double startSweep = instance->AnimationClock().Sweep();

  using Clock = std::chrono::steady_clock;
  auto windowStart = Clock::now();
  double firstMs = 0;
  long firstKiB = 0;
  for (long n = 0; n < frames; ++n) {
    clock.Set(n * 1'000'000'000LL / 60);
    host.RunFrames(1);
    glFlush();  // a host presents every frame; without it the driver queues them all
    if ((n + 1) % window == 0) {
      glFinish();
      const double ms =
          std::chrono::duration<double, std::milli>(Clock::now() - windowStart).count() / window;
      if (n + 1 == window) {
        firstMs = ms;
        firstKiB = ResidentKiB();
        std::printf("start: %.3f ms per frame, %ld KiB resident\n", firstMs, firstKiB);
      }
      if (std::getenv("SOAK_VERBOSE"))
        std::printf("frame %ld: %.3f ms per frame, %ld KiB resident\n", n + 1, ms, ResidentKiB());
      if (n + 1 == frames)
        std::printf("end:   %.3f ms per frame, %ld KiB resident (%+ld KiB)\n", ms, ResidentKiB(),
                    ResidentKiB() - firstKiB);
      windowStart = Clock::now();
    }
  }
  const bool wrapped = instance->AnimationClock().Sweep() < startSweep;
  std::printf("%ld frames; accumulators %s the 1e9 wrap\n", frames,
              wrapped ? "crossed" : "did NOT cross");
  return wrapped ? 0 : 1;
}

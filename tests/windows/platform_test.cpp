// What differs on Windows: GLEW's answers that count as a usable loader,
// the steady clock on the performance counter, and the diagnostics line.
#include <gtest/gtest.h>
#include <io.h>
#include <windows.h>

#include <GL/glew.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "gl/ShaderProgram.h"
#include "host/GLLoader.h"
#include "clock/SteadyClock.h"

namespace {

TEST(WindowsPlatform, OnlyGlewOkIsAUsableLoader) {
  // "No GLX display" is Linux's EGL allowance; on Windows it is a failure
  // like every other answer.
  const struct {
    unsigned answer;
    bool usable;
  } cases[] = {{GLEW_OK, true},
               {GLEW_ERROR_NO_GL_VERSION, false},
               {GLEW_ERROR_GL_VERSION_10_ONLY, false},
               {GLEW_ERROR_NO_GLX_DISPLAY, false}};
  for (const auto& c : cases) EXPECT_EQ(GlewAnswerIsUsable(c.answer), c.usable) << c.answer;
}

TEST(WindowsPlatform, SteadyClockCountsNanosecondsOfThePerformanceCounter) {
  SetSteadyClockReader(nullptr);
  LARGE_INTEGER frequency, before, after;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&before);
  const std::int64_t first = ReadSteadyClock();
  Sleep(50);
  const std::int64_t second = ReadSteadyClock();
  QueryPerformanceCounter(&after);
  // The reading is the counter in nanoseconds: it lies within the counter
  // readings taken around it, converted (one tick of rounding).
  const double nanosecondsPerTick = 1e9 / static_cast<double>(frequency.QuadPart);
  EXPECT_GE(static_cast<double>(first), static_cast<double>(before.QuadPart) * nanosecondsPerTick - nanosecondsPerTick);
  EXPECT_LE(static_cast<double>(second), static_cast<double>(after.QuadPart) * nanosecondsPerTick + nanosecondsPerTick);
  // A 50 ms sleep shows as at least 40 ms of nanoseconds, not ticks.
  EXPECT_GE(second - first, 40'000'000);
}

TEST(WindowsPlatform, DiagnosticIsOneLineOnStandardOutput) {
  // Standard output goes to a file for the duration; OutputDebugStringA has
  // no reader here, and must simply not get in the way.
  const std::string path = "diagnostic-test.txt";
  std::fflush(stdout);
  const int out = _fileno(stdout);
  const int saved = _dup(out);
  FILE* file = std::fopen(path.c_str(), "w");
  ASSERT_NE(file, nullptr);
  _dup2(_fileno(file), out);
  ffglex::LogDiagnostic("Fragment Shader error: 0:1(1): bad\r\nsecond line\n");
  std::fflush(stdout);
  _dup2(saved, out);
  _close(saved);
  std::fclose(file);

  std::ifstream written(path);
  std::stringstream text;
  text << written.rdbuf();
  written.close();
  std::remove(path.c_str());
  EXPECT_EQ(text.str(), "Fragment Shader error: 0:1(1): bad  second line\n");
}

}  // namespace

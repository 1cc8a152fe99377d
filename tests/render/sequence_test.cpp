// The tool's frame pipeline called as a library, the way main() calls it for
// its default plug-in: a plan from the options, then the sequence rendered by
// FREE linked into the program, on its stepped clock.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "framestamp/FrameRate.h"
#include "host/EntryPoint.h"
#include "hostkit/GLContext.h"
#include "hostkit/PluginLibrary.h"
#include "imaging/PngFile.h"
#include "tests/ScratchFolder.h"
#include "tools/render/FreeParameterNames.h"
#include "tools/render/ParameterTable.h"
#include "tools/render/RenderLimits.h"
#include "tools/render/RenderOptions.h"
#include "tools/render/Sequence.h"

namespace {

namespace fs = std::filesystem;

std::array<int, 4> Pixel(const Image& image, int x, int y) {
  const std::size_t at = (static_cast<std::size_t>(y) * image.width + x) * 4;
  std::array<int, 4> p{};
  for (int c = 0; c < 4; ++c) p[c] = image.rgba[at + c] / 257;
  return p;
}

TEST(Sequence, FramesShowTheSweepAtExactTimes) {
  const ScratchFolder scratch("veltrima-sequence-test");
  const fs::path& folder = scratch.Path();

  const hostkit::PluginLibrary plugin(&plugMain, &SetLogCallback, "OVNVeltrimaFree");
  const ParameterTable table(plugin);
  RenderOptions options;
  options.output = (folder / "f-%03d.png").string();
  options.frames = 3;
  const Size size = ParseSize("64x48");
  // 10 fps is slower than the plug-in's 0.05 s clock step: the pipeline runs
  // hidden frames so that frame n still shows n / 10 s. At speed 0.5 the
  // sweep moves 270 px/s, so frame n shows column 27n.
  const FrameRate rate = *ParseFrameRate("10");
  SequencePlan plan = PlanSequence(options, size, rate, /*linked=*/true);
  plan.background = table.FindIfAny(FreeBackgroundName());
  const std::vector<ParameterValue> values = {table.Resolve("Pattern=5"),
                                              table.Resolve("Moving Element=off"),
                                              table.Resolve("Show Resolution=off")};
  {
    hostkit::GLContext context(hostkit::OptionsFromEnvironment());
    RenderSequence(plugin, plan, values, options.frames, /*quiet=*/true, /*rawDescriptor=*/-1);
  }

  for (int n = 0; n < 3; ++n) {
    const Image image = ReadPng((folder / ("f-00" + std::to_string(n) + ".png")).string());
    const int column = 27 * n;
    EXPECT_EQ(Pixel(image, column, 20), (std::array<int, 4>{255, 255, 255, 255})) << "frame " << n;
    EXPECT_EQ(Pixel(image, column + 1, 20), (std::array<int, 4>{0, 0, 0, 255})) << "frame " << n;
  }
  std::size_t files = 0;
  for (const auto& entry : fs::directory_iterator(folder)) files += entry.is_regular_file();
  EXPECT_EQ(files, 3u);
}

}  // namespace

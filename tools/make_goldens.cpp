// make-goldens: renders the first frame of every preset of the plug-in at
// 1920 x 1080 and writes it as a 16-bit RGBA PNG, <folder>/preset-<N>.png,
// and the renderer that made them into <folder>/renderer.txt. Each preset is
// chosen by setting "Preset" to its element value on a fresh instance; the
// element list comes from the plug-in itself. Every context is Mesa's
// llvmpipe, the renderer the tests compare against.
//
//   make-goldens <plug-in file> <output folder> [--renderer-only]
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

#include "hostkit/GLContext.h"
#include "hostkit/HostInstance.h"
#include "hostkit/PluginLibrary.h"
#include "hostkit/SoftwareRasteriser.h"
#include "imaging/PngFile.h"
#include "tools/CommandLine.h"

namespace {

constexpr const char* kProgram = "make-goldens";
constexpr int kWidth = 1920, kHeight = 1080;
constexpr FFUInt32 kPresetParameter = 0;

struct Options {
  std::string plugin;
  std::string folder;
  bool rendererOnly = false;
};

// The renderer of the current context, as the golden test reads it back.
void WriteRendererFile(const std::string& folder) {
  const std::string path = folder + "/renderer.txt";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << hostkit::DescribeRenderer(hostkit::CurrentRenderer());
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
  std::printf("%s\n", path.c_str());
}

int Run(const Options& options) {
  hostkit::SelectSoftwareRasteriser();
  hostkit::GLContext context(hostkit::OptionsFromEnvironment());
  WriteRendererFile(options.folder);
  if (options.rendererOnly) return 0;

  hostkit::PluginLibrary plugin(options.plugin);
  const FFUInt32 count = plugin.GetElementCount(nullptr, kPresetParameter);
  if (count == 0) {
    std::fprintf(stderr, "%s: %s lists no presets\n", kProgram, options.plugin.c_str());
    return 1;
  }
  for (FFUInt32 i = 0; i < count; ++i) {
    const char* name = plugin.GetElementName(nullptr, kPresetParameter, i);
    const float value =
        hostkit::FloatFromBits(plugin.GetElementValue(nullptr, kPresetParameter, i).UIntValue);
    hostkit::HostInstance host(plugin, kWidth, kHeight);
    if (host.Set(kPresetParameter, value) != FF_SUCCESS || host.RunFrames(1) != FF_SUCCESS) {
      std::fprintf(stderr, "%s: preset %u was refused\n", kProgram, i);
      return 1;
    }
    const std::vector<std::uint16_t> pixels = ToRgba16(host.Target().ReadOutput());
    const std::string path = options.folder + "/preset-" + std::to_string(i) + ".png";
    WritePng16(path, kWidth, kHeight, pixels.data());
    std::printf("%s  (%s)\n", path.c_str(), name ? name : "");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  CLI::App app{"Renders the golden first frames of every preset of an FFGL plug-in.", kProgram};
  app.add_option("plugin", options.plugin, "the plug-in file")->required();
  app.add_option("folder", options.folder, "the folder the images go into")
      ->required()
      ->check(CLI::ExistingDirectory);
  app.add_flag("--renderer-only", options.rendererOnly,
               "write only renderer.txt, leaving the images as they are");
  if (const std::optional<int> stop = ParseCommandLine(app, argc, argv, kProgram)) return *stop;
  try {
    return Run(options);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", kProgram, error.what());
    return 1;
  }
}

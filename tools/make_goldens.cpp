// make-goldens: renders the first frame of every preset of the plug-in at
// 1920 x 1080 and writes it as a 16-bit RGBA PNG, tests/golden/preset-<N>.png.
// Each preset is chosen by setting "Preset" to its element value on a fresh
// instance; the element list comes from the plug-in itself.
//
//   make-goldens <plug-in file> <output folder>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "hostkit/GLContext.h"
#include "hostkit/HostInstance.h"
#include "hostkit/PluginLibrary.h"
#include "imaging/PngFile.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;
constexpr FFUInt32 kPresetParameter = 0;

int Run(const std::string& pluginPath, const std::string& folder) {
  hostkit::GLContext context(hostkit::OptionsFromEnvironment());
  hostkit::PluginLibrary plugin(pluginPath);
  const FFUInt32 count = plugin.GetElementCount(nullptr, kPresetParameter);
  if (count == 0) {
    std::fprintf(stderr, "make-goldens: %s lists no presets\n", pluginPath.c_str());
    return 1;
  }
  for (FFUInt32 i = 0; i < count; ++i) {
    const char* name = plugin.GetElementName(nullptr, kPresetParameter, i);
    const float value =
        hostkit::FloatFromBits(plugin.GetElementValue(nullptr, kPresetParameter, i).UIntValue);
    hostkit::HostInstance host(plugin, kWidth, kHeight);
    if (host.Set(kPresetParameter, value) != FF_SUCCESS || host.RunFrames(1) != FF_SUCCESS) {
      std::fprintf(stderr, "make-goldens: preset %u was refused\n", i);
      return 1;
    }
    const std::vector<std::uint16_t> pixels = ToRgba16(host.Target().ReadOutput());
    const std::string path = folder + "/preset-" + std::to_string(i) + ".png";
    WritePng16(path, kWidth, kHeight, pixels.data());
    std::printf("%s  (%s)\n", path.c_str(), name ? name : "");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make-goldens <plug-in file> <output folder>\n");
    return 2;
  }
  try {
    return Run(argv[1], argv[2]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make-goldens: %s\n", error.what());
    return 1;
  }
}

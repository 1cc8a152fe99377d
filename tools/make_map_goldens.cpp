// make-map-goldens: renders the golden MAP pictures (tests/map/MapGoldenCases.h)
// through the plug-in file and writes each as a 16-bit RGBA PNG into the
// output folder: a fresh instance per picture, its file and screen set as a
// host sets them, the first frame, on Mesa's llvmpipe like the tests.
//
//   make-map-goldens <plug-in file> <layouts folder> <output folder>
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "MapGoldenCases.h"
#include "hostkit/GLContext.h"
#include "hostkit/HostInstance.h"
#include "hostkit/PluginLibrary.h"
#include "hostkit/SoftwareRasteriser.h"
#include "imaging/PngFile.h"

namespace {

constexpr const char* kProgram = "make-map-goldens";

// The index of the parameter named `name`, or the parameter count.
FFUInt32 ParameterNamed(const hostkit::PluginLibrary& plugin, const std::string& name) {
  const FFUInt32 count = plugin.GetNumParameters();
  for (FFUInt32 i = 0; i < count; ++i) {
    const char* reported = plugin.GetParameterName(i);
    if (reported && name == reported) return i;
  }
  throw std::runtime_error("the plug-in has no parameter \"" + name + "\"");
}

int Run(const std::string& pluginPath, const std::string& layouts, const std::string& folder) {
  hostkit::SelectSoftwareRasteriser();
  hostkit::GLContext context(hostkit::OptionsFromEnvironment());
  hostkit::PluginLibrary plugin(pluginPath);
  const FFUInt32 file = ParameterNamed(plugin, "Map File");
  const FFUInt32 screen = ParameterNamed(plugin, "Screen");
  for (const MapGoldenCase& c : kMapGoldenCases) {
    hostkit::HostInstance host(plugin, c.width, c.height);
    const std::string layout = layouts + "/" + c.layout;
    if (plugin.SetTextParameter(host.Id(), file, layout.c_str()) != FF_SUCCESS ||
        host.Set(screen, static_cast<float>(c.screen)) != FF_SUCCESS ||
        host.RunFrames(1) != FF_SUCCESS) {
      std::fprintf(stderr, "%s: %s was refused\n", kProgram, c.layout);
      return 1;
    }
    const std::vector<std::uint16_t> pixels = ToRgba16(host.Target().ReadOutput());
    const std::string path = folder + "/" + c.image;
    WritePng16(path, c.width, c.height, pixels.data());
    std::printf("%s  (%s, screen %d)\n", path.c_str(), c.layout, c.screen);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string plugin, layouts, folder;
  CLI::App app{"Renders the golden pictures of the MAP plug-in.", kProgram};
  app.add_option("plugin", plugin, "the plug-in file")->required();
  app.add_option("layouts", layouts, "the folder of the test layouts")
      ->required()
      ->check(CLI::ExistingDirectory);
  app.add_option("folder", folder, "the folder the images go into")
      ->required()
      ->check(CLI::ExistingDirectory);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::ParseError& error) {
    std::fprintf(stderr, "%s: error: %s\n", kProgram, error.what());
    return 2;
  }
  try {
    return Run(plugin, layouts, folder);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", kProgram, error.what());
    return 1;
  }
}

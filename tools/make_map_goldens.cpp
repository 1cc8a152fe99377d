// make-map-goldens: renders the golden MAP pictures (goldens/MapGoldenCases.h)
// through the plug-in file and writes each as a 16-bit RGBA PNG into the
// output folder: a fresh instance per picture, its file and screen set as a
// host sets them, the first frame, on Mesa's llvmpipe like the tests.
//
//   make-map-goldens <plug-in file> <layouts folder> <output folder>
//   make-map-goldens <plug-in file> --picture <layout> --size WxH <png>
//
// The second form renders one layout's first frame as an 8-bit PNG: the
// README's picture (docs/map.png, from examples/wall.csv).
#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <thread>
#include <vector>

#include "goldens/MapGoldenCases.h"
#include "hostkit/GLContext.h"
#include "hostkit/HostInstance.h"
#include "hostkit/PluginLibrary.h"
#include "hostkit/SoftwareRasteriser.h"
#include "imaging/PngFile.h"
#include "tools/CommandLine.h"

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

// Runs frames until the plug-in's file display no longer says it is
// reading the file or drawing a new picture part by part (one frame for a
// picture drawn whole); FF_FAIL when a frame fails or that takes 10 s.
FFUInt32 RunSettled(const hostkit::PluginLibrary& plugin, hostkit::HostInstance& host) {
  const FFUInt32 file = ParameterNamed(plugin, "Map File");
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < limit) {
    if (host.RunFrames(1) != FF_SUCCESS) return FF_FAIL;
    const char* shown =
        static_cast<const char*>(plugin.GetParameterDisplay(host.Id(), file).PointerValue);
    if (!shown || (std::strcmp(shown, "LOADING") != 0 && std::strcmp(shown, "UPDATING") != 0))
      return FF_SUCCESS;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return FF_FAIL;
}

// One frame of `layout` at width x height, as straight 8-bit RGBA.
int RenderPicture(const hostkit::PluginLibrary& plugin, const std::string& layout, int width,
                  int height, const std::string& png) {
  hostkit::HostInstance host(plugin, width, height, hostkit::PixelFormat::RGBA8);
  if (plugin.SetTextParameter(host.Id(), ParameterNamed(plugin, "Map File"), layout.c_str()) !=
          FF_SUCCESS ||
      RunSettled(plugin, host) != FF_SUCCESS) {
    std::fprintf(stderr, "%s: %s was refused\n", kProgram, layout.c_str());
    return 1;
  }
  const std::vector<float> rgba = host.Target().ReadOutput();
  std::vector<std::uint8_t> bytes(rgba.size());
  for (std::size_t i = 0; i < rgba.size(); ++i)
    bytes[i] = static_cast<std::uint8_t>(std::lround(std::clamp(rgba[i], 0.0f, 1.0f) * 255.0f));
  WritePng(png, width, height, bytes.data());
  std::printf("%s  (%s, %dx%d)\n", png.c_str(), layout.c_str(), width, height);
  return 0;
}

int Run(const std::string& pluginPath, const std::string& layouts, const std::string& folder) {
  hostkit::SelectSoftwareRasteriser();
  hostkit::GLContext context(hostkit::OptionsFromEnvironment());
  hostkit::PluginLibrary plugin(pluginPath);
  const FFUInt32 file = ParameterNamed(plugin, "Map File");
  const FFUInt32 screen = ParameterNamed(plugin, "Screen");
  for (const MapGoldenCase& c : kMapGoldenCases) {
    hostkit::HostInstance host(plugin, c.width, c.height, hostkit::PixelFormat::RGBA8);
    const std::string layout = layouts + "/" + c.layout;
    if (plugin.SetTextParameter(host.Id(), file, layout.c_str()) != FF_SUCCESS ||
        host.Set(screen, static_cast<float>(c.screen)) != FF_SUCCESS ||
        RunSettled(plugin, host) != FF_SUCCESS) {
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
  std::string plugin, layouts, folder, picture, size;
  CLI::App app{"Renders the golden pictures of the MAP plug-in.", kProgram};
  app.add_option("plugin", plugin, "the plug-in file")->required();
  app.add_option("layouts", layouts, "the folder of the test layouts, or with --picture the PNG");
  app.add_option("folder", folder, "the folder the images go into")->check(CLI::ExistingDirectory);
  app.add_option("--picture", picture, "render this layout file alone")->check(CLI::ExistingFile);
  app.add_option("--size", size, "the picture's output size, WxH");
  if (const std::optional<int> stop = ParseCommandLine(app, argc, argv, kProgram)) return *stop;
  try {
    if (!picture.empty()) {
      int width = 0, height = 0;
      if (std::sscanf(size.c_str(), "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0 ||
          width > 16384 || height > 16384 || layouts.empty()) {
        std::fprintf(stderr, "%s: --picture needs --size WxH and the PNG to write\n", kProgram);
        return 2;
      }
      hostkit::SelectSoftwareRasteriser();
      hostkit::GLContext context(hostkit::OptionsFromEnvironment());
      hostkit::PluginLibrary library(plugin);
      return RenderPicture(library, picture, width, height, layouts);
    }
    if (layouts.empty() || folder.empty()) {
      std::fprintf(stderr, "%s: the layouts folder and the output folder are needed\n", kProgram);
      return 2;
    }
    return Run(plugin, layouts, folder);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", kProgram, error.what());
    return 1;
  }
}

// make-sync-goldens: renders the golden SYNC picture (goldens/SyncGoldenCase.h)
// through the plug-in file and writes it as an 8-bit RGBA PNG into the output
// folder: a fresh instance with its clock on Host Time from the case's start,
// frame 0 at host time 0, on Mesa's llvmpipe like the tests.
//
//   make-sync-goldens <SYNC plug-in file> <output folder>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "hostkit/GLContext.h"
#include "hostkit/HostInstance.h"
#include "hostkit/PluginLibrary.h"
#include "hostkit/SoftwareRasteriser.h"
#include "imaging/PngFile.h"
#include "sync/Parameters.h"
#include "goldens/SyncGoldenCase.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make-sync-goldens <SYNC plug-in file> <output folder>\n");
    return 2;
  }
  try {
    hostkit::SelectSoftwareRasteriser();
    hostkit::GLContext context(hostkit::OptionsFromEnvironment());
    const hostkit::PluginLibrary plugin(argv[1]);
    const SyncGoldenCase& c = kSyncGoldenCase;
    hostkit::HostInstance host(plugin, c.width, c.height, hostkit::PixelFormat::RGBA8);
    if (host.Set(kSyncClockSource, static_cast<float>(kClockHostTime)) != FF_SUCCESS ||
        host.Set(kSyncOutputNumber, static_cast<float>(c.output)) != FF_SUCCESS ||
        plugin.SetTextParameter(host.Id(), kSyncStartTime, c.startTime) != FF_SUCCESS ||
        plugin.SetTime(host.Id(), 0.0) != FF_SUCCESS || host.RunFrames(1) != FF_SUCCESS)
      throw std::runtime_error("the plug-in refused the golden case's settings or its frame");
    const std::string path = std::string(argv[2]) + "/" + c.image;
    const std::vector<std::uint8_t> pixels = host.Target().ReadOutputRGBA8();
    WritePng(path, c.width, c.height, pixels.data());
    std::printf("%s  (Host Time from %s, output %u)\n", path.c_str(), c.startTime, c.output);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make-sync-goldens: %s\n", error.what());
    return 1;
  }
  return 0;
}

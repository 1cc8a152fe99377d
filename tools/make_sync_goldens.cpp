// make-sync-goldens: renders the golden SYNC pictures (goldens/SyncGoldenCase.h)
// through the plug-in file and writes each as an 8-bit RGBA PNG into the output
// folder: for each, a fresh instance with its clock on Host Time from the case's start,
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
    for (const SyncGoldenCase& c : kSyncGoldenCases) {
      hostkit::HostInstance host(plugin, c.width, c.height, hostkit::PixelFormat::RGBA8);
      if (host.Set(kSyncClockSource, static_cast<float>(kClockHostTime)) != FF_SUCCESS ||
          host.Set(kSyncOutputNumber, static_cast<float>(c.output)) != FF_SUCCESS ||
          plugin.SetTextParameter(host.Id(), kSyncStartTime, c.startTime) != FF_SUCCESS ||
          plugin.SetTime(host.Id(), 0.0) != FF_SUCCESS || host.RunFrames(1) != FF_SUCCESS)
        throw std::runtime_error(std::string("the plug-in refused the settings or the frame of ") + c.image);
      const std::string path = std::string(argv[2]) + "/" + c.image;
      const std::vector<std::uint8_t> pixels = host.Target().ReadOutputRGBA8();
      WritePng(path, c.width, c.height, pixels.data());
      std::printf("%s  (%dx%d, Host Time from %s, output %u)\n", path.c_str(), c.width, c.height,
                  c.startTime, c.output);
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make-sync-goldens: %s\n", error.what());
    return 1;
  }
  return 0;
}

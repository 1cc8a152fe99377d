// make-sync-picture: renders the README's picture of the SYNC plug-in, one
// frame at 1920 x 1080 with every element on, as an 8-bit RGBA PNG. The clock
// follows code 20 from a fixed start time, so the picture is the same on
// every run: frame 37 of a 60 fps clip started at 14:32:07.250.
//
//   make-sync-picture <SYNC plug-in file> <output.png>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <vector>
#include <string>

#include "hostkit/GLContext.h"
#include "hostkit/HostInstance.h"
#include "hostkit/ParameterTable.h"
#include "hostkit/PluginLibrary.h"
#include "host/HostTimeConvention.h"
#include "imaging/PngFile.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080, kFrames = 38, kFps = 60;

// The parameter ID of `name`, from the plug-in's own table.
FFUInt32 ParameterId(const std::vector<hostkit::ParameterInfo>& table, const std::string& name) {
  for (const auto& p : table)
    if (p.name == name) return p.id;
  throw std::runtime_error("the plug-in has no parameter \"" + name + "\"");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make-sync-picture <SYNC plug-in file> <output.png>\n");
    return 2;
  }
  try {
    hostkit::GLContext context(hostkit::OptionsFromEnvironment());
    const hostkit::PluginLibrary plugin(argv[1]);
    const auto table = hostkit::ReadParameterTable(plugin, hostkit::TableReading::Trusting);
    hostkit::HostInstance host(plugin, kWidth, kHeight, hostkit::PixelFormat::RGBA8);
    host.Set(ParameterId(table, kClockSourceParameterName), 1.0f);
    plugin.SetTextParameter(host.Id(), ParameterId(table, "Start Time"), "14:32:07.250");
    for (int n = 0; n < kFrames; ++n) {
      plugin.SetTime(host.Id(), static_cast<double>(n) / kFps);
      if (host.RunFrames(1) != FF_SUCCESS) throw std::runtime_error("code 17 answered failure");
    }
    const auto pixels = host.Target().ReadOutputRGBA8();
    WritePng(argv[2], kWidth, kHeight, pixels.data());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make-sync-picture: %s\n", error.what());
    return 1;
  }
  return 0;
}

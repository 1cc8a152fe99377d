#include "Frames.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "Check.h"

namespace validate {
namespace {

std::string Pixel(std::size_t index, int width) {
  const std::size_t pixel = index / 4;
  return "pixel (" + std::to_string(pixel % static_cast<std::size_t>(width)) + ", " +
         std::to_string(pixel / static_cast<std::size_t>(width)) + ") channel " + "RGBA"[index % 4];
}

}  // namespace

std::unique_ptr<hostkit::HostInstance> MakeInstance(const hostkit::PluginLibrary& plugin, int width,
                                                    int height) {
  return MakeInstance(plugin, width, height, hostkit::Viewport{0, 0, width, height});
}

std::unique_ptr<hostkit::HostInstance> MakeInstance(const hostkit::PluginLibrary& plugin, int targetWidth,
                                                    int targetHeight, hostkit::Viewport viewport) {
  try {
    return std::make_unique<hostkit::HostInstance>(plugin, targetWidth, targetHeight, viewport);
  } catch (const hostkit::InstantiationError& error) {
    throw CheckFailed(std::string("instantiation (code 18) answered failure: ") + error.what());
  }
}

std::vector<float> RenderFrame(hostkit::HostInstance& host, const std::string& what) {
  const FFUInt32 answer = host.RunFrames(1);
  Require(answer == FF_SUCCESS, "code 17 answered " + std::to_string(answer) + " for " + what);
  std::vector<float> pixels = host.Target().ReadOutput();
  const std::string bad = FirstNonFinite(pixels, host.Target().GetViewport().width);
  Require(bad.empty(), "non-finite output after " + what + ": " + bad);
  return pixels;
}

std::string FirstNonFinite(const std::vector<float>& pixels, int width) {
  for (std::size_t i = 0; i < pixels.size(); ++i)
    if (!std::isfinite(pixels[i])) {
      char value[32];
      std::snprintf(value, sizeof value, "%g", static_cast<double>(pixels[i]));
      return Pixel(i, width) + " is " + value;
    }
  return {};
}

std::string FirstDifference(const std::vector<float>& a, const std::vector<float>& b, int width) {
  if (a.size() != b.size()) return "sizes differ";
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0) {
      char values[64];
      std::snprintf(values, sizeof values, "%.9g vs %.9g", static_cast<double>(a[i]),
                    static_cast<double>(b[i]));
      return Pixel(i, width) + ": " + values;
    }
  return {};
}

std::uint64_t HashPixels(const std::vector<float>& pixels) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  const auto* bytes = reinterpret_cast<const unsigned char*>(pixels.data());
  for (std::size_t i = 0; i < pixels.size() * sizeof(float); ++i) hash = (hash ^ bytes[i]) * 0x100000001b3ull;
  return hash;
}

std::size_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::size_t size = 0, resident = 0;
  statm >> size >> resident;
  return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

}  // namespace validate

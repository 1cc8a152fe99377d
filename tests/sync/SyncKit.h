// Reading a SYNC frame back the way a camera or a capture would: the code
// strip decoded from the centres of its cells, the QR code decoded by
// zxing-cpp's reader, and pixels of any output rectangle. Also a GL-context
// suite that drives the SYNC code linked into the test program through its
// own plugMain.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framestamp/StampCode.h"
#include "host/EntryPoint.h"
#include "hostkit/HostInstance.h"
#include "hostkit/PluginLibrary.h"
#include "hostkit/RenderTarget.h"
#include "shapes/ShapeList.h"
#include "sync/OVNVeltrimaSync.h"
#include "tests/GLContextSuite.h"

namespace synckit {

// The output pixels of `r` as RGBA8, rows top-down, origin at the top-left
// of the target's viewport (which must be the whole target).
std::vector<std::uint8_t> ReadRegion(const hostkit::RenderTarget& target, const shapes::Rect& r);

// The RGBA8 value of one output pixel.
std::array<std::uint8_t, 4> PixelAt(const hostkit::RenderTarget& target, int x, int y);
struct Point {
  int x, y;
};
inline Point Centre(const shapes::Rect& r) { return {(r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2}; }
inline std::array<std::uint8_t, 4> PixelAt(const hostkit::RenderTarget& target, Point p) {
  return PixelAt(target, p.x, p.y);
}

// The strip as a reader sees it: each cell's centre pixel taken as white
// (1) above mid-grey; empty unless the four guard cells read white, black,
// black, white and the word's CRC matches.
std::optional<FrameStamp> DecodeStrip(const hostkit::RenderTarget& target, int cellSize);

// The text of the QR code found in `region`; empty when none is read.
std::optional<std::string> DecodeQr(const hostkit::RenderTarget& target, const shapes::Rect& region);

// Whether every pixel of `region` is opaque black.
bool AllBlack(const hostkit::RenderTarget& target, const shapes::Rect& region);

// Frame `n` of a clip at `fps`, in seconds, as the render tool sends it.
inline double ClipTime(int n, int fps) { return static_cast<double>(n) / fps; }

}  // namespace synckit

class SyncSuite : public GLContextSuite {
 protected:
  static void SetUpTestSuite() {
    GLContextSuite::SetUpTestSuite();
    // The plug-in's first instance runs its GL loader, which sets GLEW's
    // function pointers again: done before any test counts calls.
    hostkit::HostInstance warmUp(Plugin(), 4, 4);
  }

  static const hostkit::PluginLibrary& Plugin() {
    static hostkit::PluginLibrary plugin(&plugMain, &SetLogCallback, "linked SYNC plug-in");
    return plugin;
  }
  static OVNVeltrimaSync& Instance(const hostkit::HostInstance& host) {
    return *static_cast<OVNVeltrimaSync*>(static_cast<CFFGLPlugin*>(host.Id()));
  }
  // The built module, loaded as a host loads it.
  static const hostkit::PluginLibrary& Module() {
    static hostkit::PluginLibrary module(VELTRIMA_SYNC_PLUGIN_PATH);
    return module;
  }
  // An instance at width x height of `plugin` (the linked code unless
  // named) whose clock follows code 20 from `start`.
  static std::unique_ptr<hostkit::HostInstance> HostTimeInstance(int width, int height,
                                                                 const char* start) {
    return HostTimeInstance(Plugin(), width, height, start);
  }
  static std::unique_ptr<hostkit::HostInstance> HostTimeInstance(const hostkit::PluginLibrary& plugin,
                                                                 int width, int height,
                                                                 const char* start);
};

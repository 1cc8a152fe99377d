// Shared set-up for the MAP tests: the real module loaded as a host loads
// it, a GL context, the test layouts, parameters found by the names the
// plug-in reports, the messages it logs, and one-frame renders.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "PixelProbe.h"
#include "hostkit/GLContext.h"
#include "hostkit/HostInstance.h"
#include "hostkit/PluginLibrary.h"
#include "shapes/ShapeList.h"

hostkit::PluginLibrary& MapPlugin();
// Current on the calling thread once asked for.
hostkit::GLContext& MapContext();

// A file of tests/map/layouts/.
std::string LayoutPath(const std::string& name);

// The index of the parameter the plug-in names `name` (codes 4 and 5); the
// test fails when there is none.
FFUInt32 MapParam(const std::string& name);

// Everything the plug-in logged through the host's log callback since the
// last Clear (the callback is installed on first use).
std::vector<std::string>& MapLog();

// A palette colour as the read-back shows it.
inline Rgba ToRgba(const shapes::Colour& c) { return {c.r, c.g, c.b, c.a}; }

// Parameter values by name, applied after the file.
using Settings = std::vector<std::pair<std::string, float>>;
// Every switch off but those named: the picture holds only what a test looks at.
Settings OnlySwitches(const std::vector<std::string>& on);

// One MAP instance drawing into its own target.
class MapInstance {
 public:
  MapInstance(int width = 960, int height = 540);
  // Sets "Map File" (code 8 with a text); answers the result code.
  FFUInt32 SetFile(const std::string& path);
  void Apply(const Settings& settings);
  // Draws frames until the plug-in's file display no longer says it is
  // loading or updating (one frame for a settled picture), and reads the
  // last one back.
  Pixels Frame();
  bool Updating() const;
  hostkit::HostInstance& Host() { return *host_; }

 private:
  std::unique_ptr<hostkit::HostInstance> host_;
};

// A fresh instance's first frame of `file` with `settings`.
Pixels RenderMap(const std::string& file, const Settings& settings = {}, int width = 960,
                 int height = 540);

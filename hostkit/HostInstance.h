// HostInstance: one plug-in instance driven the way a host drives it, drawing
// into a render target of its own. Made with a GL context current; every call
// needs that context current.
#pragma once

#include <array>
#include <stdexcept>

#include "hostkit/PluginLibrary.h"
#include "hostkit/RenderTarget.h"

namespace hostkit {

class InstantiationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class HostInstance {
 public:
  // An instance whose output fills a target of width x height.
  HostInstance(const PluginLibrary& plugin, int width, int height,
               PixelFormat format = PixelFormat::RGBA32F);
  // An instance whose output is `viewport` inside a larger target.
  HostInstance(const PluginLibrary& plugin, int targetWidth, int targetHeight, Viewport viewport,
               PixelFormat format = PixelFormat::RGBA32F);
  // De-instantiates (code 19).
  ~HostInstance();

  HostInstance(const HostInstance&) = delete;
  HostInstance& operator=(const HostInstance&) = delete;

  FFInstanceID Id() const { return instance_; }
  const PluginLibrary& Plugin() const { return plugin_; }
  RenderTarget& Target() { return target_; }
  const RenderTarget& Target() const { return target_; }

  // Code 8; answers the plug-in's result code.
  FFUInt32 Set(FFUInt32 id, float value) const;
  float Get(FFUInt32 id) const;
  // Binds the target and its viewport, as a host does before each frame, and
  // calls code 17 `count` times; answers the last frame's result code.
  FFUInt32 RunFrames(int count = 1);
  // Moves the output to a new viewport of the target and tells the plug-in
  // (code 23).
  FFUInt32 Resize(Viewport viewport);

  // One output pixel (origin top-left of the viewport).
  std::array<float, 4> Pixel(int x, int y) const { return target_.OutputPixel(x, y); }

 private:
  const PluginLibrary& plugin_;
  RenderTarget target_;
  FFInstanceID instance_ = nullptr;
};

}  // namespace hostkit

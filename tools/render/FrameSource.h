// One plug-in instance rendering the frames of a sequence at exact moments:
// frame n shows the state n / fps seconds after the first. Steps longer
// than the plug-in's clock cap (FrameClock::kMaxStepSeconds) are split into hidden frames, drawn at
// 1x1 so that they cost nothing, so time still advances exactly.
#pragma once

#include <cstdint>
#include <vector>

#include "hostkit/HostInstance.h"
#include "tools/render/ParameterTable.h"
#include "clock/SteppedClock.h"

class FrameSource {
 public:
  // Instantiates at width x height and sends `values` in order.
  FrameSource(const hostkit::PluginLibrary& plugin, int width, int height,
              const std::vector<ParameterValue>& values);

  // Draws frame `index` of a sequence at `fps` frames per second. Frames
  // must be asked for in increasing order, starting at 0.
  void Render(long index, double fps);

  // The last frame as 8-bit RGBA with straight alpha, rows top-down, read
  // back as floats and converted on the CPU (for the contact sheet).
  std::vector<std::uint8_t> StraightRgba8() const;
  // The surface the frames are drawn into, for StraightRgba8Reader.
  const hostkit::RenderTarget& Target() const { return host_.Target(); }

  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  void DrawAt(std::int64_t nanoseconds);

  int width_, height_;
  SteppedClock clock_;
  hostkit::HostInstance host_;
  std::int64_t shownAt_ = -1;  // nanoseconds of the last frame drawn, -1 before any
};

// Exact nanoseconds of frame `index` at `fps`.
std::int64_t FrameTime(long index, double fps);

// Premultiplied RGBA floats (as the plug-in draws them) to straight-alpha
// 8-bit RGBA, the form image files and encoders expect
// (hostkit::StraightRgba8FromPremultiplied).
std::vector<std::uint8_t> ToStraightRgba8(const std::vector<float>& premultiplied);

// One plug-in instance rendering the frames of a sequence at exact moments:
// frame n shows the state n / fps seconds after the first.
//
// Two ways to drive its time. The plug-in linked into the tool (FREE) reads
// a stepped clock: steps longer than its clock cap (clock/ClockStep.h)
// are split into hidden frames, drawn at 1x1 so that they cost nothing. A
// plug-in loaded from a file is driven as a host drives it: its host time
// (code 20) is set to n / fps before the one ProcessOpenGL of frame n, and
// no other frame is drawn.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "hostkit/HostInstance.h"
#include "framestamp/FrameRate.h"
#include "tools/render/ParameterTable.h"
#include "clock/SteppedClock.h"

enum class Clocking { SteppedLinked, HostTime };

// Where a frame is drawn: the float target (exact, any alpha) or an 8-bit
// target whose bytes are what a host's 8-bit framebuffer shows.
enum class Surface { Float, Bytes };

class FrameSource {
 public:
  // Instantiates at width x height and sends `values` in order; with
  // `bytes`, also makes the 8-bit target.
  FrameSource(const hostkit::PluginLibrary& plugin, Clocking clocking, int width, int height,
              const std::vector<ParameterValue>& values, bool bytes = false);

  // Draws frame `index` of a sequence at `rate` into `surface`. Frames must
  // be asked for in increasing order, starting at 0.
  void Render(long index, const FrameRate& rate, Surface surface = Surface::Float);

  // The last frame drawn to the float target as 8-bit RGBA with straight
  // alpha, rows top-down, converted on the CPU (for the contact sheet).
  std::vector<std::uint8_t> StraightRgba8() const;
  // The last frame drawn to the float target as the 8-bit target would hold
  // it: each value converted to a byte by the GPU, as a draw into the 8-bit
  // target converts it, rows top-down. Only when made with `bytes`; for an
  // opaque frame, whose straight and premultiplied colours agree.
  std::vector<std::uint8_t> FloatFrameAsBytes() const;
  const hostkit::RenderTarget& Target() const { return host_.Target(); }
  // The current value of a parameter, as the plug-in answers it (code 9).
  float Value(FFUInt32 id) const { return host_.Get(id); }
  // The 8-bit target; only when made with `bytes`.
  const hostkit::RenderTarget& Bytes() const { return *bytes_; }

 private:
  void DrawAt(std::int64_t nanoseconds);
  void DrawOnce(Surface surface);

  int width_, height_;
  Clocking clocking_;
  std::optional<SteppedClock> clock_;
  hostkit::HostInstance host_;
  std::optional<hostkit::RenderTarget> bytes_;
  std::int64_t shownAt_ = -1;  // nanoseconds of the last frame drawn, -1 before any
};

// Sends one value the way its parameter takes it: a number (code 8 with a
// float) or a text (code 8 with a char pointer) for text and file parameters.
void SendValue(const hostkit::PluginLibrary& plugin, FFInstanceID instance,
               const ParameterValue& value);

// Premultiplied RGBA floats (as the plug-in draws them) to straight-alpha
// 8-bit RGBA, the form image files and encoders expect
// (hostkit::StraightRgba8FromPremultiplied).
std::vector<std::uint8_t> ToStraightRgba8(const std::vector<float>& premultiplied);

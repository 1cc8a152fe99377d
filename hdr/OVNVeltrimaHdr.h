// OVNVeltrimaHdr: a source that draws the video signal itself, to the code
// value: BT.2111 bars, PLUGE, nit steps, signal steps, a 10-bit ramp and a
// measurement patch, in PQ, HLG or SDR, narrow or full range. Every pixel is
// a 10-bit code c written as c / 1023; a framebuffer of under 10 bits is
// said on screen and, once, in the log. The frame's rectangles are composed
// again only when a parameter, the output size or the framebuffer's depth
// changed, drawn in one instanced call into a picture of the output's size,
// and that picture copied each frame.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "calibration/CalibrationClient.h"
#include "gl/OutputCache.h"
#include "hdr/Parameters.h"
#include "hdr/Settings.h"
#include "host/Plugin.h"
#include "shapes/ShapeList.h"
#include "shapes/ShapeRenderer.h"

class OVNVeltrimaHdr : public CFFGLPlugin {
 public:
  OVNVeltrimaHdr();
  ~OVNVeltrimaHdr() override;

  // Stores the value unchanged; failure for an index that names no
  // parameter.
  FFUInt32 SetFloatParameter(FFUInt32 index, float value) override;
  float GetFloatParameter(FFUInt32 index) override;
  // "Server" is the one text parameter: copied, at most kMaxServerTextBytes.
  FFUInt32 SetTextParameter(FFUInt32 index, const char* value) override;
  char* GetTextParameter(FFUInt32 index) override;

  FFUInt32 InitGL(const FFGLViewportStruct* viewport) override;
  FFUInt32 DeInitGL() override;
  // Draws the frame, with GL_FRAMEBUFFER_SRGB off while it draws (an sRGB
  // framebuffer gets the codes, not their encoding). Leaves program 0,
  // vertex array 0 and array buffer 0 bound and no other state changed.
  FFUInt32 ProcessOpenGL(ProcessOpenGLStruct* frame) override;

  // --- For programs that link the plug-in's code (tests, benchmarks).
  const shapes::ShapeList& LastShapes() const { return shapes_; }
  // Test seam: with `on` false, every frame draws the rectangles instead of
  // copying the picture kept from the first (the two must be identical).
  void UseFrameCache(bool on) { useCache_ = on; }

 private:
  void DefineParameters();
  // Whether the framebuffer drawn into rounds codes; says so in the log the
  // first time it does.
  bool FramebufferRounds();
  // Draws shapes_, from the picture kept of it where it can; `changed`: the
  // shapes were composed for this frame.
  void DrawComposed(int width, int height, bool changed);

  static constexpr std::size_t kMaxServerTextBytes = 256;

  std::array<float, kHdrParamCount> values_{};
  std::string server_;
  // The "Patch" pattern's network source: serviced once per frame, never
  // waited on.
  calibration::CalibrationClient client_;
  shapes::ShapeRenderer renderer_;
  shapes::ShapeList shapes_;
  // What shapes_ was composed from.
  struct Composed {
    HdrSettings settings;
    int width = 0, height = 0;
    bool rounded = false;
    bool network = false;
    uint64_t patchCount = 0;
    std::string status;
  };
  std::optional<Composed> composed_;
  bool roundingLogged_ = false;
  // The composed picture, drawn once and copied each frame (outputs up to
  // ffglex::OutputCache::kMaxPixels); larger ones are drawn every frame.
  // Exact: a deeper host gets every code as c / 1023, unrounded.
  ffglex::OutputCache cache_{ffglex::OutputCache::Precision::Exact};
  bool cacheCurrent_ = false;
  bool useCache_ = true;
  // Chain Check's strip carries the instance's frame counter (frames drawn,
  // wrapping at 65536): drawn over the kept picture each frame.
  std::uint16_t frameCounter_ = 0;
  shapes::ShapeList stripShapes_;
};

// OVNVeltrimaSync: a source whose every frame says which frame it is, when it
// was drawn and which output it went to — large digits and a label for
// people, a QR code for phones, a code strip for machines, and markers, a
// flash, a millisecond ruler and motion tracks for cameras; or, with "Region
// Codes" on, the output cut into a grid whose every region carries a region
// code, so that one photo of a wall says which part of it is late. It stores what
// the host sends exactly as sent and builds each frame as flat shapes
// (shapes/), drawn in one instanced call.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/Plugin.h"
#include "shapes/RegionCodeRenderer.h"
#include "shapes/ShapeList.h"
#include "shapes/ShapeRenderer.h"
#include "sync/Parameters.h"
#include "sync/QrSymbol.h"
#include "sync/RegionGrid.h"
#include "sync/SyncFrame.h"

class OVNVeltrimaSync : public CFFGLPlugin {
 public:
  OVNVeltrimaSync();
  ~OVNVeltrimaSync() override;

  // Stores the value unchanged; failure for an index that names no numeric
  // parameter.
  FFUInt32 SetFloatParameter(FFUInt32 index, float value) override;
  // The stored value, or 0.0 for an index that names no numeric parameter.
  float GetFloatParameter(FFUInt32 index) override;
  // Copies the text (null is stored as empty; at most kMaxSyncTextBytes, cut
  // on a UTF-8 boundary); failure for an index that names no text parameter.
  FFUInt32 SetTextParameter(FFUInt32 index, const char* value) override;
  // The stored text, owned by the instance and valid until the next set;
  // null for an index that names no text parameter.
  char* GetTextParameter(FFUInt32 index) override;

  // Builds the shape and code renderers; failure releases them again.
  FFUInt32 InitGL(const FFGLViewportStruct* viewport) override;
  FFUInt32 DeInitGL() override;
  // Reads the time of day, draws the frame and counts it. Leaves program 0,
  // vertex array 0 and array buffer 0 bound and no other state changed.
  FFUInt32 ProcessOpenGL(ProcessOpenGLStruct* frame) override;

  // --- For programs that link the plug-in's code (tests, benchmarks).
  // The number the next frame shows (the frames drawn so far).
  std::uint64_t FramesDrawn() const { return framesDrawn_; }
  // Test seam: the next frame shows `frame` and counts on from it.
  void StartCountingAt(std::uint64_t frame) { framesDrawn_ = frame; }
  // What the last frame showed, and its shapes.
  const FrameFacts& LastFrame() const { return lastFacts_; }
  const shapes::ShapeList& LastShapes() const { return shapes_; }

 private:
  void DefineParameters();
  bool IsText(FFUInt32 index) const;
  // The time of day this frame shows, from the chosen clock.
  std::int64_t ShownMillisecond(const SyncSettings& settings);
  // Logs the elements the layout leaves out, and why, once for each change.
  void ReportLeftOut(const std::vector<std::string>& leftOut, int width, int height);
  // The usual picture's shapes, and the region codes' in its place.
  void ComposePicture(const SyncSettings& settings, const FrameFacts& facts, int width, int height);
  void ComposeRegions(const SyncSettings& settings, const FrameFacts& facts, int width, int height);

  std::array<float, kSyncParamCount> values_{};
  std::array<std::string, kSyncParamCount> texts_;
  shapes::ShapeRenderer renderer_;
  shapes::ShapeList shapes_;
  // With "Region Codes" on, codes of small cells (sync/RegionFrame.h), drawn
  // over the shapes.
  shapes::RegionCodeRenderer codeRenderer_;
  std::vector<shapes::PlacedRegionCode> codes_;
  std::uint64_t framesDrawn_ = 0;
  std::optional<std::int64_t> previousMillisecond_;
  FrameFacts lastFacts_;
  // The last frame's QR symbol and its text. The text holds the frame
  // number, so no two frames share a symbol: every frame encodes its own.
  std::string qrText_;
  std::optional<QrSymbol> qr_;
  // A malformed start time is reported once per text, not once per frame.
  std::optional<std::string> reportedStartTime_;
  std::vector<std::string> reportedLeftOut_;
  // The last layout and the output size, cell size and module it was made for.
  std::optional<SyncLayout> layout_;
  std::array<int, 4> layoutKey_{};
  // The last region grid and the output size, grid and cell size it was made for.
  std::optional<RegionGrid> grid_;
  std::array<int, 5> gridKey_{};
};

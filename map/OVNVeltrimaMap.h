// OVNVeltrimaMap: a source that draws an LED wall as it is really built,
// from a layout file: each cabinet with its border in its port's colour, its
// label, port and chain position, size, corner coordinates, orientation mark
// and the arrow to the next cabinet of its chain; gaps and overlaps hatched.
// The file is read when the "Map File" parameter is set, never per frame;
// the frame's figures are composed again only when the layout, a parameter
// or the output size changed, drawn with one draw call per kind of figure
// into a picture of the output's size, and that picture copied each frame.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "gl/OutputCache.h"
#include "host/Plugin.h"
#include "map/MapFrame.h"
#include "map/MapSource.h"
#include "map/Parameters.h"
#include "map/ScreenPlan.h"
#include "map/Settings.h"
#include "shapes/FigureList.h"
#include "shapes/FigureRenderer.h"

class OVNVeltrimaMap : public CFFGLPlugin {
 public:
  OVNVeltrimaMap();
  ~OVNVeltrimaMap() override;

  // Stores the value unchanged; failure for an index that names no numeric
  // parameter.
  FFUInt32 SetFloatParameter(FFUInt32 index, float value) override;
  float GetFloatParameter(FFUInt32 index) override;
  // "Map File": stores the path (null as empty; at most kMaxMapPathBytes, cut
  // on a UTF-8 boundary) and reads the file now, even when the path is the
  // one already set; a failed read is logged once. Failure for an index that
  // names no text parameter.
  FFUInt32 SetTextParameter(FFUInt32 index, const char* value) override;
  // The stored path, owned by the instance and valid until the next set;
  // null for an index that names no text parameter.
  char* GetTextParameter(FFUInt32 index) override;

  FFUInt32 InitGL(const FFGLViewportStruct* viewport) override;
  FFUInt32 DeInitGL() override;
  // Draws the frame, composing it first when something it shows changed.
  // Leaves program 0, vertex array 0 and array buffer 0 bound.
  FFUInt32 ProcessOpenGL(ProcessOpenGLStruct* frame) override;

  // --- For programs that link the plug-in's code (tests, benchmarks).
  const MapSource& Source() const { return source_; }
  const shapes::FigureList& LastFigures() const { return figures_; }
  // Frames that composed their figures anew (the others drew the last ones).
  std::size_t Compositions() const { return compositions_; }
  // Test seam: with `on` false, every frame draws the figures instead of
  // copying the picture kept from the first (the two must be identical).
  void UseFrameCache(bool on) { useCache_ = on; }

 private:
  void DefineParameters();

  std::array<float, kMapParamCount> values_{};
  std::string path_;
  MapSource source_;
  shapes::FigureRenderer renderer_;
  shapes::FigureList figures_;
  // The screen plan of source_'s good layout for the chosen screen.
  std::optional<ScreenPlan> plan_;
  // What the uploaded figures were composed from.
  struct Composed {
    std::uint64_t revision = 0;
    MapSettings settings;
    int width = 0, height = 0;
  };
  std::optional<Composed> composed_;
  bool uploadFailed_ = false;
  // The composed picture, drawn once and copied each frame (outputs up to
  // ffglex::OutputCache::kMaxPixels); larger ones are drawn every frame.
  ffglex::OutputCache cache_;
  bool cacheCurrent_ = false;
  bool useCache_ = true;
  std::size_t compositions_ = 0;
};

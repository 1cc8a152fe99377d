// OVNVeltrimaMap: a source that draws an LED wall as it is really built,
// from a layout file: each cabinet with its border in its port's colour, its
// label, port and chain position, size, corner coordinates, orientation mark
// and the arrow to the next cabinet of its chain; gaps and overlaps hatched.
// The file is read on a thread of its own when the "Map File" parameter is
// set ("LOADING <FILE>" shows over the last picture until it is read); the
// figures are composed when a parameter that shapes them is set, or, after a
// read that ended between frames, on a thread of their own: a frame that has
// a picture to show never composes. A new picture is drawn into a second kept picture a band of rows
// per frame (each band's work about one copy's) while the last one keeps
// showing, and takes its place when whole; each
// frame copies the shown picture, with the brightness applied in the copy,
// so that a fade draws nothing again. With "Frame Codes" on, the codes'
// static part is in the picture and each frame draws their dynamic cells
// (counter, CRC, stripe: a few rectangles a cabinet) over the copy.
#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "gl/OutputCache.h"
#include "host/Plugin.h"
#include "map/MapComposition.h"
#include "map/MapSource.h"
#include "map/OffFrameJob.h"
#include "map/Parameters.h"
#include "map/Settings.h"
#include "shapes/FigureBands.h"
#include "shapes/FigureList.h"
#include "shapes/FigureRenderer.h"
#include "shapes/ShapeList.h"
#include "shapes/ShapeRenderer.h"

class OVNVeltrimaMap : public CFFGLPlugin {
 public:
  OVNVeltrimaMap();
  // Waits for a composition still under way on its thread (CPU work on its
  // own copies, bounded by the layout's limits).
  ~OVNVeltrimaMap() override;

  // Stores the value unchanged and composes the figures again when it
  // changes what they show (a large map's on a thread of its own, while the
  // last picture keeps showing); failure for an index that names no numeric
  // parameter.
  FFUInt32 SetFloatParameter(FFUInt32 index, float value) override;
  float GetFloatParameter(FFUInt32 index) override;
  // "Map File": stores the path (null as empty; at most kMaxMapPathBytes, cut
  // on a UTF-8 boundary) and starts reading the file, even when the path is
  // the one already set. A path that is not a regular file fails at once;
  // the read waits at most kReadSettleMs for the file here, then goes on
  // off the host's thread. A failed read is logged once. Failure for an
  // index that names no text parameter.
  FFUInt32 SetTextParameter(FFUInt32 index, const char* value) override;
  // The stored path, owned by the instance and valid until the next set;
  // null for an index that names no text parameter.
  char* GetTextParameter(FFUInt32 index) override;
  // "Map File" shows "LOADING" while its file is read, and "UPDATING" while
  // a new picture is composed on its thread or drawn part by part; the path
  // otherwise.
  const char* GetParameterDisplay(FFUInt32 index) override;

  FFUInt32 InitGL(const FFGLViewportStruct* viewport) override;
  FFUInt32 DeInitGL() override;
  // Copies the shown picture (drawing a band of the next one first when one
  // is under way). Composes only when there is no picture of this size to
  // show (the first frame, a new size); a read that ended since the last
  // call is composed on a thread of its own, taken by the first frame after
  // it is done. Leaves program 0, vertex array 0 and array buffer 0 bound.
  FFUInt32 ProcessOpenGL(ProcessOpenGLStruct* frame) override;

  // --- For programs that link the plug-in's code (tests, benchmarks).
  const MapSource& Source() const { return source_; }
  const shapes::FigureList& LastFigures() const { return figures_; }
  // Frames that composed their figures anew (the others drew the last ones).
  std::size_t Compositions() const { return compositions_; }
  // True while a read, a composition on its thread or a picture drawn part
  // by part is under way.
  bool Updating() const;
  // Bytes a pixel of the shown kept picture takes (0 when none is kept).
  int KeptBytesPerPixel() const { return shown_->BytesPerPixel(); }
  // Test seam: with `on` false, every frame draws the figures instead of
  // copying the picture kept from the first (the two must be identical).
  // Composes again at the next frame, since only kept pictures are cut into
  // bands.
  void UseFrameCache(bool on) {
    useCache_ = on;
    composed_.reset();
  }

  // How long setting "Map File" waits for the read before it goes on off
  // the host's thread: a local file is read within it, so that the next
  // frame shows it; a stalled share costs the host no more.
  static constexpr int kReadSettleMs = 20;

  // Test seam: every composition made on a thread of its own waits `delay`
  // first, as a very large map on a loaded machine would take. Zero by
  // default.
  static void SetThreadedComposeDelayForTests(std::chrono::milliseconds delay);

 private:
  void DefineParameters();
  // Takes the outcome of a read that ended, logging a failure.
  void PollSource();
  // What the figures of an output of width x height are to be made from now.
  MapCompositionKey Wanted(int width, int height) const;
  // Composes the figures when what they show changed: here, or with
  // `offTheFrame`, on a thread of its own (ComposeLater).
  void Compose(int width, int height, bool offTheFrame = false);
  // Composes after a set call: here for a small picture, on a thread of
  // its own for one drawn band by band.
  void ComposeForSetCall();
  // Takes a composition made on its thread once it is done, when it was
  // started after the figures the frames draw were (and is of this size).
  void TakeComposed(int width, int height);
  // Makes `made`, the composition started `started`-th, the figures the
  // frames draw, logging its note once a read.
  void Adopt(MapComposition made, std::uint64_t started);
  // True when a kept picture of this size is shown (a new one can wait).
  bool PictureShown(int width, int height) const;
  // The map drawn into the kept pictures: a band of the next one, or all
  // of it when none is shown yet; true when a picture is there to copy.
  bool DrawKept(int width, int height);
  // Draws bands [from, to) of banded_ into `picture`, sending those not
  // sent yet.
  void DrawBands(ffglex::OutputCache& picture, std::size_t from, std::size_t to, int width,
                 int height);
  void DrawLoadingLine(int width, int height);
  // The dynamic cells of the frame codes of the picture on the output.
  void DrawFrameCodes(bool kept, int width, int height);

  std::array<float, kMapParamCount> values_{};
  std::string path_;
  MapSource source_;
  shapes::FigureRenderer renderer_;
  shapes::FigureList figures_;
  // The screen plan the figures were composed from, with its layout.
  SharedScreenPlan plan_;
  // What the uploaded figures were composed from.
  std::optional<MapCompositionKey> composed_;
  // A composition under way on its thread.
  OffFrameJob<MapCompositionKey, MapComposition> pending_;
  // Compositions started so far, and the places in that count of the one
  // under way and of the one the frames draw.
  std::uint64_t compositionsStarted_ = 0, pendingStarted_ = 0, adoptedStarted_ = 0;
  std::string note_;  // why the last composition left something out, as logged
  // figures_ cut into bands of the output when composed (for kept
  // pictures only).
  shapes::BandedFigures banded_;
  // What renderer_ holds of the last composition: nothing yet, figures_
  // whole (drawn directly), or banded_ (reserved; bands [0, sentBands_) sent).
  enum class Held { Nothing, Whole, Banded };
  Held held_ = Held::Nothing;
  std::size_t sentBands_ = 0;
  bool uploadFailed_ = false;
  // The pictures, drawn once and copied each frame (outputs up to
  // ffglex::OutputCache::kMaxPixels); larger ones are drawn every frame. The
  // next one is drawn a band per frame (bands [0, drawnBands_) so far) and
  // then swapped with the shown one.
  ffglex::OutputCache pictures_[2];
  ffglex::OutputCache* shown_ = &pictures_[0];
  ffglex::OutputCache* next_ = &pictures_[1];
  bool shownCurrent_ = false;  // shown_ holds the uploaded figures
  std::size_t drawnBands_ = 0;
  int waitingFrames_ = 0;  // frames since the shown picture stopped being current
  bool useCache_ = true;
  // "LOADING <FILE>" over the picture while a file is read, placed on a
  // thread of its own over a map (finding room among the cabinets' words);
  // keyed by the file, the size and the composition under it.
  struct LoadingLine {
    std::string key;
    shapes::FigureList figures;
    std::string note;
  };
  shapes::FigureRenderer loadingRenderer_;
  std::string loadingFor_;
  OffFrameJob<std::string, LoadingLine> loadingLine_;
  std::vector<shapes::Rect> placed_;  // the plates the last composition placed on the map
  std::string display_;
  std::size_t compositions_ = 0;
  // The frame codes of the adopted composition and of the picture shown
  // (they differ while a new picture is drawn band by band), with their
  // output numbers; the frames drawn so far are the codes' counter.
  struct FrameCodes {
    std::vector<CabinetCode> codes;
    std::uint32_t output = 0;
    std::uint64_t composition = 0;  // which composition they came from
  };
  FrameCodes codes_, shownCodes_;
  shapes::ShapeRenderer codeRenderer_;
  shapes::ShapeList codeCells_;
  std::uint64_t framesDrawn_ = 0;
};

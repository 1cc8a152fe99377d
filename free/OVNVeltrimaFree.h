// OVNVeltrimaFree: the LED-wall test-pattern source. It registers the sixteen
// parameters, stores what the host sends exactly as sent, applies presets,
// and every frame draws the pattern shader's output: each part of the output
// exactly once, with a program specialised to what that part shows. The part
// that holds still from frame to frame is drawn once into a kept picture and
// copied; only what moves is drawn again each frame. On an output larger
// than 1920x1080 a changed setting's picture is drawn a band per frame into
// a second kept picture while the last one keeps showing.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gl/OutputCache.h"
#include "gl/ProgramCache.h"
#include "gl/RectBatch.h"
#include "gl/ShaderProgram.h"
#include "host/Plugin.h"
#include "free/FrameClock.h"
#include "free/FrameRegions.h"
#include "free/GlyphFont.h"
#include "free/ParameterConversion.h"
#include "free/Parameters.h"
#include "free/PictureBands.h"
#include "free/StillKey.h"

struct ProgramVariant;

class OVNVeltrimaFree : public CFFGLPlugin {
 public:
  OVNVeltrimaFree();
  ~OVNVeltrimaFree() override;

  // Stores the value unchanged; "Preset" first applies a newly chosen preset.
  // Failure for an index above 15.
  FFUInt32 SetFloatParameter(FFUInt32 index, float value) override;
  // The stored value, or 0.0 for an index above 15.
  float GetFloatParameter(FFUInt32 index) override;

  // Builds the general program and the rectangle batch; failure releases
  // them again. Specialised programs are built on first use.
  FFUInt32 InitGL(const FFGLViewportStruct* viewport) override;
  // Releases every program, the batch and the kept picture; safe when
  // nothing was made.
  FFUInt32 DeInitGL() override;
  // Advances the clock and draws the frame into the host's framebuffer: the
  // output cut into rectangles, each pixel drawn once, every program used
  // given every uniform. With the settings and size of the frame before,
  // the still part comes from the kept picture instead (byte for byte what
  // drawing it gives) and only the changing rectangles are drawn. After a
  // change of setting on a large output, the frames show the last settings'
  // picture, and what moves as those settings draw it, until the new
  // picture's last band is drawn. Touches no other GL state and leaves
  // program 0 and vertex array 0 bound.
  FFUInt32 ProcessOpenGL(ProcessOpenGLStruct* frame) override;

  // The animation clock, for programs that link the plug-in and must resume
  // a given moment (a soak run that crosses the accumulators' wrap).
  FrameClock& AnimationClock() { return clock_; }

  // With `on`, frames are drawn as one rectangle over the whole output with
  // the general program, the way every frame was drawn before
  // specialisation: the reference the specialised programs are compared
  // against.
  void UseGeneralProgram(bool on) { generalOnly_ = on; }
  // With `on` (the default), frames with the settings of the frame before
  // copy the kept picture; off, every pixel is drawn every frame, the way
  // every frame was drawn before there was a kept picture (the reference
  // for tests and benchmarks).
  void UseKeptPicture(bool on) { keep_ = on; }
  // Bytes of GL memory the kept pictures and the buffer under the ball take
  // now (0 when nothing is kept).
  long long KeptBytes() const;
  // Bytes of the same memory without the buffer under the ball.
  long long KeptPictureBytes() const;
  // True while the frames show an earlier setting's picture because the
  // current one is still being drawn band by band.
  bool DrawingNewPicture() const { return Next().key.has_value(); }
  // Test seam: the pixels of a band (kBandPixels unless set), so that a test
  // can watch a small output drawn in bands.
  void SetBandPixels(long long pixels) { bandPixels_ = pixels; }
  // Test seam: `edit` may rewrite the fragment text of each specialised
  // program built from now on (programs already built keep theirs), so that
  // a test can make chosen builds fail and watch the frame fall back to the
  // general program. It runs only when a program is built, never on a frame
  // that finds its programs built; null, the default, leaves the text as is.
  using SourceEdit = std::function<void(const ProgramVariant&, std::string& fragment)>;
  void EditSpecialisedSources(SourceEdit edit) { editSources_ = std::move(edit); }
  // Specialised programs currently built (none before the first frame).
  std::size_t SpecialisedProgramCount() const { return programs_.Size(); }

  // The value store, as the frame reads it.
  const std::array<float, kParamCount>& Values() const { return values_; }

 private:
  // What one frame draws: the output size, the converted settings, the
  // moment and the texts.
  struct Frame {
    int width = 1, height = 1;
    FrameParameters p;
    AnimationValues motion;
    int solidIndex = 0;
    EncodedTexts texts;
  };

  // The program that draws every feature, chosen by its own uniforms.
  static constexpr unsigned kGeneralProgram = ~0u;

  static RegionInputs RegionsOf(const Frame& f);
  // The program (features, or kGeneralProgram) that draws a piece with
  // `pieceFeatures` over it in a frame with `frameFeatures`.
  static unsigned ProgramFor(unsigned pieceFeatures, unsigned frameFeatures);
  void DefineParameters();
  // Every uniform of the shader, in one order for every program; the
  // background's (texture unit 0, its texel 0, 0 at q = background) are read
  // by the ball-over-background build alone.
  void SetUniforms(ffglex::ShaderProgram& program, const Frame& f, GLint originX, GLint originY,
                   std::pair<GLint, GLint> background = {0, 0});
  // The program drawing `features` (a ProgramVariant's, or the general
  // program for kGeneralProgram) for this frame's settings; null when it
  // could not be built.
  ffglex::ShaderProgram* Program(const FrameParameters& p, unsigned features);
  ffglex::ShaderProgram* Program(const ProgramVariant& variant);
  // Fetches every program the frame's setting may use, so that a setting
  // builds them all on its first frame; false when one could not be built.
  bool FetchPrograms(const Frame& f);
  // Draws `pieces` of the output with the programs their features call for,
  // into whatever framebuffer and viewport are bound, with the shader's
  // origin at (originX, originY); false, having drawn nothing, when one of
  // the programs could not be built.
  bool DrawPieces(const Frame& f, const std::vector<PixelRect>& pieces, GLint originX,
                  GLint originY);
  // Draws the whole frame with specialised programs; false, having drawn
  // nothing, when one of them could not be built.
  bool DrawSpecialised(const Frame& f);
  // A kept picture: the still part of the frames of one key, drawn at once
  // or a band at a time (complete once its last band is drawn), with the
  // rectangles of its still features and the output cut by them.
  struct KeptPicture {
    ffglex::OutputCache picture{ffglex::OutputCache::Precision::HostExactly};
    std::optional<StillKey> key;
    std::vector<PixelRect> stillRects;
    std::vector<PixelRect> pieces;
    int bands = 0, bandsDrawn = 0;
    bool Complete() const { return key && bandsDrawn >= bands; }
    void Forget();
  };

  // Copies a kept picture and draws the changing rectangles over it,
  // drawing the picture first where it is stale (a setting, the size or the
  // framebuffer changed since the frame before), or a band of the next one;
  // false, when the frame is to be drawn whole instead (host state a copy
  // would bypass, no picture could be kept or a program failed).
  bool DrawFromKept(const Frame& f);
  bool ShowFromKept(const Frame& f, const StillKey& key);
  // `f` as the settings, texts and colour of `key` draw it at the same moment.
  static Frame FrameOf(const StillKey& key, const Frame& f);
  // Sets `kept` to hold `key`'s picture (of frame f), drawn in `bands` bands.
  static void BeginPicture(KeptPicture& kept, const StillKey& key, const Frame& f, int bands);
  // Draws the next band of `kept`'s picture (frame f: its key's frame); false,
  // having counted nothing, when a program could not be built.
  bool DrawNextBand(KeptPicture& kept, const Frame& f);
  // Draws, over no pixel, every program that the moving element of frame
  // f may first need on a later frame: into the host's framebuffer the
  // general program and the bar's program among other features, into the
  // buffer under the ball the programs of the texts it may pass over. A
  // software renderer compiles a program's pixel code at its first draw,
  // not when it is linked: drawn first when the ball reached the info box,
  // the general program made that frame take about a second.
  void WarmMovingPrograms(const Frame& f);
  // Copies `kept`'s complete picture to the host and draws over it what
  // moves in frame f (its key's frame), each pixel with the program a whole
  // frame gives it.
  bool ShowKept(KeptPicture& kept, const Frame& f);
  // Draws `pieces` of the ball (no info box or credit in them) in two
  // passes: what lies under them into a float buffer the size of their
  // bounding box, with the programs of their still features writing colour
  // and coverage before the gain; then the moving element over it, with a
  // program holding the moving element alone. Bit for bit what the general
  // program draws there, at a fraction of its cost per pixel. False, having
  // drawn nothing, when a program or the buffer could not be made or the
  // pieces spread over more than a quarter of the output.
  bool DrawBallOverBackground(const Frame& f, const std::vector<PixelRect>& pieces);
  // Every program DrawBallOverBackground may use for this frame's setting.
  bool FetchBallPrograms(const Frame& f);
  // Rewrites parameters 1 to 14 when `value` selects a preset other than the
  // last one received, raising a value-changed event on each.
  void ApplyPresetStep(float value);

  // A frame uses at most a handful of programs; switching back and forth
  // between a few settings stays within this without rebuilding.
  static constexpr std::size_t kProgramCacheCapacity = 48;

  std::array<float, kParamCount> values_{};
  std::array<std::int32_t, kFontWords> font_{};
  ffglex::ShaderProgram program_;
  ffglex::ProgramCache programs_{kProgramCacheCapacity};
  ffglex::RectBatch rects_;
  bool generalOnly_ = false;
  bool keep_ = true;
  // The kept pictures, in the host's own format where a draw into them
  // lands on what a draw into the host's does: the one shown, and the next
  // one while it is drawn band by band (released while the output is small
  // enough to draw a picture at once).
  KeptPicture kept_[2];
  int shown_ = 0;
  KeptPicture& Shown() { return kept_[shown_]; }
  KeptPicture& Next() { return kept_[1 - shown_]; }
  const KeptPicture& Next() const { return kept_[1 - shown_]; }
  long long bandPixels_ = kBandPixels;
  // What lies under the ball this frame (colour and coverage, exactly), the
  // size of the ball's reach: a few hundred pixels square.
  ffglex::OutputCache ballBackground_{ffglex::OutputCache::Precision::Exact};
  SourceEdit editSources_;
  FrameClock clock_;
  // -1 until the first "Preset" value arrives: that one is only recorded.
  int lastPreset_ = -1;
};

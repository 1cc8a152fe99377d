#include "free/OVNVeltrimaFree.h"

#include <algorithm>
#include <limits>
#include <map>
#include <vector>

#include "gl/RestoringScopes.h"
#include "gl/ScopedBindings.h"
#include "host/OutputDimension.h"
#include "free/shaders/ShaderConstants.h"
#include "free/shaders/ShaderSources.h"
#include "gl/CopyAsDrawn.h"
#include "free/FrameRegions.h"
#include "free/ParameterConversion.h"
#include "free/Presets.h"
#include "free/ProgramVariant.h"

namespace {

// The output size in pixels, with 0 drawn as 1: FREE's shader divides by it.
int DrawnDimension(FFUInt32 size) { return std::max(1, OutputDimension(size)); }

GLint AsGLint(FFUInt32 value) {
  return static_cast<GLint>(std::min<FFUInt32>(value, std::numeric_limits<GLint>::max()));
}

// Appends r in clip space (left, top, right, bottom) for an output of
// width x height. Equal pixel edges give equal floats, so neighbours meet
// exactly; the output's own edges land on -1 and 1.
void AppendClipRect(const PixelRect& r, int width, int height, std::vector<GLfloat>& out) {
  const double w = width, h = height;
  out.push_back(static_cast<GLfloat>(2.0 * r.x0 / w - 1.0));
  out.push_back(static_cast<GLfloat>(1.0 - 2.0 * r.y0 / h));
  out.push_back(static_cast<GLfloat>(2.0 * r.x1 / w - 1.0));
  out.push_back(static_cast<GLfloat>(1.0 - 2.0 * r.y1 / h));
}

}  // namespace

OVNVeltrimaFree::OVNVeltrimaFree() : CFFGLPlugin(false) {
  SetMinInputs(0);
  SetMaxInputs(0);
  DefineParameters();
  font_ = PackFont();
}

// GL objects are released by DeInitGL, which the host calls first; the
// destructor may run with no context current.
OVNVeltrimaFree::~OVNVeltrimaFree() = default;

void OVNVeltrimaFree::DefineParameters() {
  const auto& definitions = ParameterDefinitions();
  for (FFUInt32 index = 0; index < kParamCount; ++index) {
    const ParamDefinition& d = definitions[index];
    DefineParameter(index, d);
    values_[index] = d.defaultValue;
  }
}

void OVNVeltrimaFree::ApplyPresetStep(float value) {
  const int preset = PresetNumber(value);
  if (lastPreset_ != -1 && preset != lastPreset_) {
    const PresetRow& row = PresetTable()[static_cast<std::size_t>(preset)];
    for (std::size_t k = 0; k < kPresetParamCount; ++k) {
      const auto index = static_cast<FFUInt32>(kPresetFirstParam + k);
      values_[index] = row[k];
      RaiseParamEvent(index, FF_EVENT_FLAG_VALUE);
    }
  }
  lastPreset_ = preset;
}

FFUInt32 OVNVeltrimaFree::SetFloatParameter(FFUInt32 index, float value) {
  if (index >= kParamCount) return FF_FAIL;
  if (index == kParamPreset) ApplyPresetStep(value);
  values_[index] = value;
  return FF_SUCCESS;
}

float OVNVeltrimaFree::GetFloatParameter(FFUInt32 index) {
  return index < kParamCount ? values_[index] : 0.0f;
}

// The general program is built here: it proves the shader sound before the
// host is told the instance works, and it draws any frame whose specialised
// programs cannot be built. Specialised programs are built on the first
// frame of a setting, not here: on llvmpipe one costs from about 0.3 s (a
// pattern without text) to over a second (the grid's label program; two
// shared cores under load, docs/performance.md), and the settings allow
// hundreds of them, of which a setting needs two to seven.
FFUInt32 OVNVeltrimaFree::InitGL(const FFGLViewportStruct* viewport) {
  if (viewport && program_.Compile(kRegionVertexShaderSource, kFragmentShaderSource) &&
      rects_.Create()) {
    StoreViewport(*viewport);
    return FF_SUCCESS;
  }
  DeInitGL();
  return FF_FAIL;
}

FFUInt32 OVNVeltrimaFree::DeInitGL() {
  programs_.ReleaseAll();
  program_.Release();
  rects_.Release();
  for (KeptPicture& kept : kept_) {
    kept.picture.Release();
    kept.Forget();
  }
  ballBackground_.Release();
  return FF_SUCCESS;
}

void OVNVeltrimaFree::KeptPicture::Forget() {
  key.reset();
  stillRects.clear();
  pieces.clear();
  bands = bandsDrawn = 0;
}

long long OVNVeltrimaFree::KeptPictureBytes() const {
  return kept_[0].picture.Bytes() + kept_[1].picture.Bytes();
}

long long OVNVeltrimaFree::KeptBytes() const {
  return KeptPictureBytes() + ballBackground_.Bytes();
}

FFUInt32 OVNVeltrimaFree::ProcessOpenGL(ProcessOpenGLStruct*) {
  Frame f;
  f.width = DrawnDimension(Viewport().width);
  f.height = DrawnDimension(Viewport().height);
  f.p = ConvertParameters(values_);
  clock_.Advance(f.p.speed);
  f.motion = clock_.Values(f.width, f.height);
  f.solidIndex = f.p.solidIndex >= 0 ? f.p.solidIndex : f.motion.cycleSolidIndex;
  f.texts = EncodeFrameTexts(f.p, f.solidIndex, f.width, f.height);

  if (!generalOnly_) {
    programs_.BeginFrame();
    if (keep_ && DrawFromKept(f)) return FF_SUCCESS;
    if (DrawSpecialised(f)) return FF_SUCCESS;
  }
  // The general program over the whole output as one rectangle.
  ffglex::ScopedProgramUse programScope(program_.ProgramId());
  SetUniforms(program_, f, AsGLint(Viewport().x), AsGLint(Viewport().y));
  std::vector<GLfloat> whole;
  AppendClipRect(PixelRect{0, 0, f.width, f.height, 0}, f.width, f.height, whole);
  rects_.Draw(program_, "Rects", glsl::RECTS_PER_DRAW, whole);
  programScope.End();
  return FF_SUCCESS;
}

// The program a piece with `pieceFeatures` over it is drawn with. A piece
// with one feature gets the program with that feature alone, a piece where
// several overlap the program with all the frame's features. Pieces the
// moving element may cover are drawn with the general program itself (the
// one built in InitGL): how the compiler rounds the ball's blend depends on
// the code around it, and with the checker alone around it one edge pixel in
// a few hundred came out one bit apart. So a setting needs a fixed set of
// programs, all built on its first frame: none appear later as the ball
// moves on. The bar away from the ball is drawn with the program of the
// moving element alone, or with every feature where others reach into it;
// another changing piece as its features alone call for.
unsigned OVNVeltrimaFree::ProgramFor(unsigned pieceFeatures, unsigned frameFeatures) {
  const unsigned features = pieceFeatures & kRegionAll;
  if ((features & kRegionMoving) != 0) return kGeneralProgram;
  const unsigned overlap = frameFeatures & ~kRegionMoving;
  // The bar alone, or the bar with every feature of the frame.
  if ((pieceFeatures & kRegionBar) != 0)
    return features == 0 ? kRegionMoving : overlap | kRegionMoving;
  return (features & (features - 1)) == 0 ? features : overlap;
}

ffglex::ShaderProgram* OVNVeltrimaFree::Program(const FrameParameters& p, unsigned features) {
  if (features == kGeneralProgram) return program_.ProgramId() != 0 ? &program_ : nullptr;
  return Program(ProgramVariant::For(p, features));
}

ffglex::ShaderProgram* OVNVeltrimaFree::Program(const ProgramVariant& variant) {
  return programs_.Get(variant.Key(), [this, &variant] {
    ffglex::ProgramCache::Sources sources{kRegionVertexShaderSource,
                                          WithDefines(kFragmentShaderSource, variant.Defines())};
    if (editSources_) editSources_(variant, sources.fragment);
    return sources;
  });
}

bool OVNVeltrimaFree::FetchPrograms(const Frame& f) {
  const unsigned frameFeatures = FrameFeatures(RegionsOf(f));
  const unsigned overlap = frameFeatures & ~kRegionMoving;
  for (unsigned bit = 1; bit <= overlap; bit <<= 1)
    if ((overlap & bit) != 0 && !Program(f.p, bit)) return false;
  if (!Program(f.p, overlap)) return false;
  if ((frameFeatures & kRegionMoving) == 0) return true;
  return Program(f.p, kGeneralProgram) && Program(f.p, kRegionMoving) &&
         Program(f.p, overlap | kRegionMoving);
}

bool OVNVeltrimaFree::DrawPieces(const Frame& f, const std::vector<PixelRect>& pieces,
                                 GLint originX, GLint originY) {
  const unsigned frameFeatures = FrameFeatures(RegionsOf(f));
  std::map<unsigned, std::vector<GLfloat>> groups;
  for (const PixelRect& piece : pieces)
    AppendClipRect(piece, f.width, f.height, groups[ProgramFor(piece.features, frameFeatures)]);
  // Every program is fetched before anything is drawn.
  std::vector<std::pair<ffglex::ShaderProgram*, const std::vector<GLfloat>*>> draws;
  for (const auto& [features, rects] : groups) {
    ffglex::ShaderProgram* program = Program(f.p, features);
    if (!program) return false;
    draws.emplace_back(program, &rects);
  }
  for (const auto& [program, rects] : draws) {
    ffglex::ScopedProgramUse programScope(program->ProgramId());
    SetUniforms(*program, f, originX, originY);
    rects_.Draw(*program, "Rects", glsl::RECTS_PER_DRAW, *rects);
    programScope.End();
  }
  return true;
}

bool OVNVeltrimaFree::DrawSpecialised(const Frame& f) {
  // A failed build leaves the frame to the general program whole.
  if (!FetchPrograms(f)) return false;
  const RegionInputs in = RegionsOf(f);
  return DrawPieces(f, PartitionOutput(f.width, f.height, FeatureRects(in)),
                    AsGLint(Viewport().x), AsGLint(Viewport().y));
}

bool OVNVeltrimaFree::DrawFromKept(const Frame& f) {
  const StillKey key = MakeStillKey(f.p, f.solidIndex, f.texts, f.width, f.height);
  if (CopyLandsAsDrawn() && ShowFromKept(f, key)) return true;
  // The frame is drawn whole with its own settings: a picture of earlier
  // ones must not show again on the next frame.
  if (Shown().key && !SameStill(*Shown().key, key)) Shown().Forget();
  Next().Forget();
  return false;
}

bool OVNVeltrimaFree::ShowFromKept(const Frame& f, const StillKey& key) {
  // A new size or host format makes the buffer again, empty.
  if (!Shown().picture.Prepare(f.width, f.height)) return false;
  if (Shown().picture.Fresh()) Shown().Forget();
  if (Shown().Complete() && SameStill(*Shown().key, key)) {
    Next().Forget();  // a change taken back before its picture was done
    return ShowKept(Shown(), f);
  }
  const int bands = PictureBandCount(f.width, f.height, bandPixels_);
  if (bands > 1 && Shown().Complete() && !SameSettings(*Shown().key, key)) {
    // A setting changed on a large output: the new picture is drawn a band
    // per frame while the last one shows, with what moves drawn as the last
    // settings draw it. A picture under way is finished with the settings
    // it began with, so that a setting moved every frame still shows a new
    // picture every few frames.
    KeptPicture& next = Next();
    if (!next.picture.Prepare(f.width, f.height)) return false;
    if (next.picture.Fresh()) next.Forget();
    const bool begun = !next.key;
    if (begun) BeginPicture(next, key, f, bands);
    const Frame nextFrame = FrameOf(*next.key, f);
    if (!FetchPrograms(nextFrame) || !DrawNextBand(next, nextFrame)) return false;
    if (begun) WarmMovingPrograms(nextFrame);
    if (next.Complete()) {
      shown_ = 1 - shown_;
      Next().Forget();  // the last picture's buffer waits for the next change
    }
    return ShowKept(Shown(), FrameOf(*Shown().key, f));
  }
  // The frame whose still part just changed draws it into the picture and
  // copies it: one costly frame, where drawing it whole and keeping it on
  // the next frame made two. A setting moved every frame pays a copy more
  // than a whole draw, and less where the ball is on (its pieces cost a
  // fraction of the general program's).
  // Where a later change would be drawn in bands, the second picture is
  // made now: made on that change's first frame, its memory (133 MB at
  // 3840x2160 on a float host) cost that frame as much as a band.
  Next().Forget();
  if (bands == 1)
    Next().picture.Release();
  else
    Next().picture.Prepare(f.width, f.height);
  BeginPicture(Shown(), key, f, 1);
  if (!FetchPrograms(f) || !DrawNextBand(Shown(), f)) return false;
  WarmMovingPrograms(f);
  return ShowKept(Shown(), f);
}

OVNVeltrimaFree::Frame OVNVeltrimaFree::FrameOf(const StillKey& key, const Frame& f) {
  Frame drawn = f;
  drawn.p = key.p;
  drawn.p.speed = f.p.speed;
  drawn.solidIndex = key.solidIndex >= 0      ? key.solidIndex
                     : drawn.p.solidIndex >= 0 ? drawn.p.solidIndex
                                               : f.motion.cycleSolidIndex;
  drawn.texts = key.texts;
  return drawn;
}

void OVNVeltrimaFree::WarmMovingPrograms(const Frame& f) {
  const unsigned features = FrameFeatures(RegionsOf(f));
  if ((features & kRegionMoving) == 0) return;
  const std::vector<GLfloat> noPixel = {0.0f, 0.0f, 0.0f, 0.0f};
  auto drawNothing = [&](ffglex::ShaderProgram* program) {
    if (!program) return;
    ffglex::ScopedProgramUse programScope(program->ProgramId());
    SetUniforms(*program, f, 0, 0);  // every program drawn gets every uniform
    rects_.Draw(*program, "Rects", glsl::RECTS_PER_DRAW, noPixel);
    programScope.End();
  };
  // Into the host's framebuffer: the pieces where the ball meets the info
  // box or the credit, and the bar where it crosses another feature.
  // FetchPrograms has built these for the frame's setting.
  const unsigned overlap = features & ~kRegionMoving;
  drawNothing(Program(f.p, kGeneralProgram));
  drawNothing(Program(f.p, overlap | kRegionMoving));
  // Into the buffer under the ball: the still texts it may pass over (where
  // the ball's programs build; where they do not, the general program draws
  // the ball), and where the ball's reach can be that small (on a tiny
  // output it never is, and they are never built).
  const double reach = 2.0 * static_cast<double>(f.motion.ballRadius) + 2.0;
  if (!(4.0 * reach * reach <= static_cast<double>(f.width) * f.height)) return;
  if (!FetchBallPrograms(f)) return;
  if (!ballBackground_.Ready() && !ballBackground_.Prepare(64, 64)) return;
  const unsigned texts = features & (kRegionLabel | kRegionCoords);
  ballBackground_.Render(
      [&] {
        for (unsigned under = 0; under <= texts; ++under)
          if ((under & ~texts) == 0) drawNothing(Program(ProgramVariant::Background(f.p, under)));
      },
      false);
}

void OVNVeltrimaFree::BeginPicture(KeptPicture& kept, const StillKey& key, const Frame& f,
                                   int bands) {
  kept.key = key;
  kept.stillRects = StillFeatureRects(RegionsOf(f));
  kept.pieces = PartitionOutput(f.width, f.height, kept.stillRects);
  kept.bands = bands;
  kept.bandsDrawn = 0;
}

bool OVNVeltrimaFree::DrawNextBand(KeptPicture& kept, const Frame& f) {
  // The still part: the frame without its moving element and with the
  // sweep's lines beyond the output, every pixel drawn by the program the
  // whole frame draws it with. The picture's own pixels start at 0, 0.
  Frame still = f;
  still.motion.sweepX = f.width;
  still.motion.sweepY = f.height;
  bool drawn = false;
  if (kept.bands == 1) {
    kept.picture.Render([&] { drawn = DrawPieces(still, kept.pieces, 0, 0); });
  } else {
    // The pieces cover every pixel of the band: nothing to clear first.
    const RowSpan rows = PictureBand(f.height, kept.bands, kept.bandsDrawn);
    const std::vector<PixelRect> pieces = PiecesInRows(kept.pieces, rows);
    kept.picture.RenderRows(
        rows.top, rows.bottom, [&] { drawn = DrawPieces(still, pieces, 0, 0); }, false);
  }
  if (!drawn) return false;
  ++kept.bandsDrawn;
  return true;
}

bool OVNVeltrimaFree::ShowKept(KeptPicture& kept, const Frame& f) {
  if (!FetchPrograms(f)) return false;
  const RegionInputs in = RegionsOf(f);
  const std::vector<PixelRect>& stillRects = kept.stillRects;

  // The changing rectangles, cut by the still features that reach into
  // them so that each of their pixels gets the program the whole frame
  // gives it; the pieces outside them are the kept picture's.
  const std::vector<PixelRect> changing = ChangingRects(in);
  std::vector<PixelRect> around = changing;
  for (const PixelRect& r : stillRects)
    if (std::any_of(changing.begin(), changing.end(), [&r](const PixelRect& c) {
          return r.x0 < c.x1 && c.x0 < r.x1 && r.y0 < c.y1 && c.y0 < r.y1;
        }))
      around.push_back(r);
  std::vector<PixelRect> pieces = PartitionOutput(f.width, f.height, around);
  pieces.erase(std::remove_if(pieces.begin(), pieces.end(),
                              [](const PixelRect& piece) {
                                return (piece.features &
                                        (kRegionMoving | kRegionBar | kRegionChanging)) == 0;
                              }),
               pieces.end());

  // The ball's pieces go over a background of their own where no text is
  // painted above the ball; the rest, with the general program where the
  // ball is among them, as a whole frame draws them.
  const auto partition =
      std::stable_partition(pieces.begin(), pieces.end(), [](const PixelRect& piece) {
        return (piece.features & kRegionMoving) == 0 ||
               (piece.features & (kRegionInfo | kRegionCredit)) != 0;
      });
  std::vector<PixelRect> ball(partition, pieces.end());
  pieces.erase(partition, pieces.end());
  if (!ball.empty() && !FetchBallPrograms(f)) {
    pieces.insert(pieces.end(), ball.begin(), ball.end());
    ball.clear();
  }

  // The host's viewport places the output in its framebuffer.
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  kept.picture.CopyTo(viewport[0], viewport[1]);
  if (!ball.empty() && !DrawBallOverBackground(f, ball))
    pieces.insert(pieces.end(), ball.begin(), ball.end());
  return DrawPieces(f, pieces, AsGLint(Viewport().x), AsGLint(Viewport().y));
}

bool OVNVeltrimaFree::FetchBallPrograms(const Frame& f) {
  if (!Program(ProgramVariant::BallOver(f.p))) return false;
  const unsigned texts = FrameFeatures(RegionsOf(f)) & (kRegionLabel | kRegionCoords);
  for (unsigned features = 0; features <= texts; ++features)
    if ((features & ~texts) == 0 && !Program(ProgramVariant::Background(f.p, features)))
      return false;
  return true;
}

bool OVNVeltrimaFree::DrawBallOverBackground(const Frame& f, const std::vector<PixelRect>& pieces) {
  PixelRect box = pieces.front();
  for (const PixelRect& piece : pieces) {
    box.x0 = std::min(box.x0, piece.x0);
    box.y0 = std::min(box.y0, piece.y0);
    box.x1 = std::max(box.x1, piece.x1);
    box.y1 = std::max(box.y1, piece.y1);
  }
  const int boxWidth = box.x1 - box.x0, boxHeight = box.y1 - box.y0;
  // A reach that is not a size on the output covers all of it: a float
  // buffer of the output's size would cost more than the general program.
  if (4LL * boxWidth * boxHeight > static_cast<long long>(f.width) * f.height) return false;
  // The box's size moves by a pixel or two as the ball meets the edges; the
  // buffer grows in steps so that it is not made again on such frames. The
  // box lies in its top-left corner.
  constexpr int kBufferStep = 64;
  const int bufferWidth = (boxWidth + kBufferStep - 1) / kBufferStep * kBufferStep;
  const int bufferHeight = (boxHeight + kBufferStep - 1) / kBufferStep * kBufferStep;

  std::map<unsigned, std::vector<GLfloat>> under;
  std::vector<GLfloat> over;
  for (const PixelRect& piece : pieces) {
    const PixelRect inBox{piece.x0 - box.x0, piece.y0 - box.y0, piece.x1 - box.x0,
                          piece.y1 - box.y0, 0};
    AppendClipRect(inBox, bufferWidth, bufferHeight,
                   under[piece.features & (kRegionLabel | kRegionCoords)]);
    AppendClipRect(piece, f.width, f.height, over);
  }
  std::vector<std::pair<ffglex::ShaderProgram*, const std::vector<GLfloat>*>> draws;
  for (const auto& [features, rects] : under) {
    ffglex::ShaderProgram* program = Program(ProgramVariant::Background(f.p, features));
    if (!program) return false;
    draws.emplace_back(program, &rects);
  }
  ffglex::ShaderProgram* ballProgram = Program(ProgramVariant::BallOver(f.p));
  if (!ballProgram || !ballBackground_.Prepare(bufferWidth, bufferHeight)) return false;

  // The shader's origin in the buffer: each buffer pixel computes the output
  // pixel it stands for (GL counts the buffer's rows, and q's, from the
  // bottom).
  const GLint underX = -box.x0, underY = -(f.height - box.y0 - bufferHeight);
  ballBackground_.Render(
      [&] {
        for (const auto& [program, rects] : draws) {
          ffglex::ScopedProgramUse programScope(program->ProgramId());
          SetUniforms(*program, f, underX, underY);
          rects_.Draw(*program, "Rects", glsl::RECTS_PER_DRAW, *rects);
          programScope.End();
        }
      },
      false);

  ffglex::restoring::ScopedActiveTexture unit(GL_TEXTURE0);
  ffglex::restoring::ScopedTexture2DBinding texture(ballBackground_.Texture());
  ffglex::ScopedProgramUse programScope(ballProgram->ProgramId());
  SetUniforms(*ballProgram, f, AsGLint(Viewport().x), AsGLint(Viewport().y), {-underX, -underY});
  rects_.Draw(*ballProgram, "Rects", glsl::RECTS_PER_DRAW, over);
  programScope.End();
  return true;
}

RegionInputs OVNVeltrimaFree::RegionsOf(const Frame& f) {
  RegionInputs in;
  in.width = f.width;
  in.height = f.height;
  in.p = f.p;
  in.motion = f.motion;
  in.line1Count = f.texts.line1Count;
  in.line2Count = f.texts.line2Count;
  return in;
}

void OVNVeltrimaFree::SetUniforms(ffglex::ShaderProgram& program, const Frame& f,
                                  GLint originX, GLint originY,
                                  std::pair<GLint, GLint> background) {
  const FrameParameters& p = f.p;
  const AnimationValues& motion = f.motion;
  const EncodedTexts& texts = f.texts;
  // Specialised programs lack some of these (location -1): GL ignores those.
  auto location = [&program](const char* name) { return program.UniformLocation(name); };

  glUniform1iv(location("Font"), kFontWords, font_.data());
  glUniform2i(location("Res"), f.width, f.height);
  glUniform2i(location("Org"), originX, originY);
  glUniform1i(location("Pattern"), p.pattern);
  glUniform1i(location("PW"), p.panelWidth);
  glUniform1i(location("PH"), p.panelHeight);
  glUniform1i(location("OX"), p.offsetX);
  glUniform1i(location("OY"), p.offsetY);
  glUniform1i(location("LabelMode"), p.labelMode);
  glUniform1i(location("ShowRes"), p.showResolution ? 1 : 0);
  glUniform1i(location("LW"), p.lineWidth);
  glUniform1i(location("Moving"), p.moving ? 1 : 0);
  glUniform1i(location("SolidIdx"), f.solidIndex);
  glUniform1i(location("Transparent"), p.transparent ? 1 : 0);
  program.SetFloat("NumSize", p.numberSize);
  program.SetFloat("Bright", p.brightness);
  glUniform2i(location("Sweep"), motion.sweepX, motion.sweepY);
  glUniform2i(location("SweepPass"), motion.sweepPassX, motion.sweepPassY);
  glUniform2f(location("Ball"), motion.ballX, motion.ballY);
  program.SetFloat("BallR", motion.ballRadius);
  glUniform1i(location("BarX"), motion.barX);
  glUniform1i(location("BarW"), motion.barWidth);
  glUniform1iv(location("L1"), kMaxTextGlyphs, texts.line1.data());
  glUniform1iv(location("L2"), kMaxTextGlyphs, texts.line2.data());
  glUniform1i(location("L1n"), texts.line1Count);
  glUniform1i(location("L2n"), texts.line2Count);
  glUniform1iv(location("CR"), kCreditGlyphs, texts.credit.data());
  glUniform1i(location("Credit"), p.credit ? 1 : 0);
  glUniform1i(location("Background"), 0);
  glUniform2i(location("BgOrg"), background.first, background.second);
}

#include "free/OVNVeltrimaFree.h"

#include <algorithm>
#include <limits>
#include <map>
#include <vector>

#include "gl/ScopedBindings.h"
#include "host/OutputDimension.h"
#include "free/shaders/ShaderConstants.h"
#include "free/shaders/ShaderSources.h"
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
  return FF_SUCCESS;
}

FFUInt32 OVNVeltrimaFree::ProcessOpenGL(ProcessOpenGLStruct*) {
  const int width = DrawnDimension(Viewport().width);
  const int height = DrawnDimension(Viewport().height);
  const FrameParameters p = ConvertParameters(values_);
  clock_.Advance(p.speed);
  const AnimationValues motion = clock_.Values(width, height);
  const int solidIndex = p.solidIndex >= 0 ? p.solidIndex : motion.cycleSolidIndex;

  const EncodedTexts texts = EncodeFrameTexts(p, solidIndex, width, height);

  if (!generalOnly_ && DrawSpecialised(width, height, p, motion, solidIndex, texts))
    return FF_SUCCESS;
  // The general program over the whole output as one rectangle.
  ffglex::ScopedProgramUse programScope(program_.ProgramId());
  SetUniforms(program_, width, height, p, motion, solidIndex, texts);
  std::vector<GLfloat> whole;
  AppendClipRect(PixelRect{0, 0, width, height, 0}, width, height, whole);
  rects_.Draw(program_, "Rects", glsl::RECTS_PER_DRAW, whole);
  programScope.End();
  return FF_SUCCESS;
}

bool OVNVeltrimaFree::DrawSpecialised(int width, int height, const FrameParameters& p,
                                      const AnimationValues& motion, int solidIndex,
                                      const EncodedTexts& texts) {
  RegionInputs in;
  in.width = width;
  in.height = height;
  in.p = p;
  in.motion = motion;
  in.line1Count = texts.line1Count;
  in.line2Count = texts.line2Count;
  const std::vector<PixelRect> pieces = PartitionOutput(width, height, FeatureRects(in));

  // A piece with one feature gets the program with that feature alone, a
  // piece where several overlap the program with all the frame's features.
  // Pieces the moving element may cover are drawn with the general program
  // itself (the one built in InitGL): how the compiler rounds the ball's blend depends on the code
  // around it, and with the checker alone around it one edge pixel in a few
  // hundred came out one bit apart. So a setting needs a fixed set of
  // programs, all built on its first frame: none appear later as the ball
  // moves on.
  const unsigned frameFeatures = FrameFeatures(in);
  const unsigned overlapFeatures = frameFeatures & ~kRegionMoving;
  constexpr unsigned kGeneral = ~0u;
  auto programFeatures = [overlapFeatures](unsigned features) {
    if ((features & kRegionMoving) != 0) return kGeneral;
    return (features & (features - 1)) == 0 ? features : overlapFeatures;
  };
  std::map<unsigned, std::vector<GLfloat>> groups;
  for (const PixelRect& piece : pieces)
    AppendClipRect(piece, width, height, groups[programFeatures(piece.features)]);

  // Every program of the setting is fetched before anything is drawn, so a
  // failed build leaves the frame to the general program whole.
  programs_.BeginFrame();
  auto fetch = [&](unsigned features) {
    if (features == kGeneral) return program_.ProgramId() != 0 ? &program_ : nullptr;
    const ProgramVariant variant = ProgramVariant::For(p, features);
    return programs_.Get(variant.Key(), [this, &variant] {
      ffglex::ProgramCache::Sources sources{
          kRegionVertexShaderSource, WithDefines(kFragmentShaderSource, variant.Defines())};
      if (editSources_) editSources_(variant, sources.fragment);
      return sources;
    });
  };
  for (unsigned bit = 1; bit <= overlapFeatures; bit <<= 1)
    if ((overlapFeatures & bit) != 0 && !fetch(bit)) return false;
  if (!fetch(overlapFeatures)) return false;
  if ((frameFeatures & kRegionMoving) != 0 && !fetch(kGeneral)) return false;
  std::vector<std::pair<ffglex::ShaderProgram*, const std::vector<GLfloat>*>> draws;
  for (const auto& [features, rects] : groups) {
    ffglex::ShaderProgram* program = fetch(features);
    if (!program) return false;
    draws.emplace_back(program, &rects);
  }

  for (const auto& [program, rects] : draws) {
    ffglex::ScopedProgramUse programScope(program->ProgramId());
    SetUniforms(*program, width, height, p, motion, solidIndex, texts);
    rects_.Draw(*program, "Rects", glsl::RECTS_PER_DRAW, *rects);
    programScope.End();
  }
  return true;
}

void OVNVeltrimaFree::SetUniforms(ffglex::ShaderProgram& program, int width, int height,
                                  const FrameParameters& p, const AnimationValues& motion,
                                  int solidIndex, const EncodedTexts& texts) {
  // Specialised programs lack some of these (location -1): GL ignores those.
  auto location = [&program](const char* name) { return program.UniformLocation(name); };

  glUniform1iv(location("Font"), kFontWords, font_.data());
  glUniform2i(location("Res"), width, height);
  glUniform2i(location("Org"), AsGLint(Viewport().x), AsGLint(Viewport().y));
  glUniform1i(location("Pattern"), p.pattern);
  glUniform1i(location("PW"), p.panelWidth);
  glUniform1i(location("PH"), p.panelHeight);
  glUniform1i(location("OX"), p.offsetX);
  glUniform1i(location("OY"), p.offsetY);
  glUniform1i(location("LabelMode"), p.labelMode);
  glUniform1i(location("ShowRes"), p.showResolution ? 1 : 0);
  glUniform1i(location("LW"), p.lineWidth);
  glUniform1i(location("Moving"), p.moving ? 1 : 0);
  glUniform1i(location("SolidIdx"), solidIndex);
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
}

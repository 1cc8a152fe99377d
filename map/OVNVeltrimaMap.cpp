#include "map/OVNVeltrimaMap.h"

#include <algorithm>
#include <string>
#include <utility>
#include <cstring>
#include <limits>
#include <string_view>

#include "glyphs/Utf8Glyphs.h"
#include "host/HostLog.h"
#include "host/OutputDimension.h"

namespace {

// Figures a frame draws of a picture drawn part by part: about one copy of
// the output's worth of work on a software renderer, where each figure costs
// its set-up (about two microseconds) whatever its size.
std::size_t FiguresPerFrame(int width, int height) {
  constexpr long long kPixelsPerFigure = 2000;
  constexpr long long kFewest = 256;
  return static_cast<std::size_t>(
      std::max(kFewest, static_cast<long long>(width) * height / kPixelsPerFigure));
}

// Frames a new picture may wait, drawn part by part, before it is drawn
// whole: a second at 60 frames a second.
constexpr int kMostPartFrames = 60;

// Whether an output of this size is drawn through kept pictures.
bool KeptSize(int width, int height) {
  return width > 0 && height > 0 &&
         static_cast<long long>(width) * height <= ffglex::OutputCache::kMaxPixels;
}

}  // namespace

OVNVeltrimaMap::OVNVeltrimaMap() : CFFGLPlugin(false) {
  SetMinInputs(0);
  SetMaxInputs(0);
  DefineParameters();
}

// GL objects are released by DeInitGL, which the host calls first; the
// destructor may run with no context current.
OVNVeltrimaMap::~OVNVeltrimaMap() = default;

void OVNVeltrimaMap::DefineParameters() {
  const auto& definitions = MapParameterDefinitions();
  for (FFUInt32 index = 0; index < kMapParamCount; ++index) {
    const MapParamDefinition& d = definitions[index];
    if (d.type == FF_TYPE_FILE)
      SetFileParamInfo(index, d.name,
                       std::vector<std::string>(kMapFileExtensions.begin(), kMapFileExtensions.end()),
                       d.defaultText);
    else
      DefineParameter(index, d);
    values_[index] = d.defaultValue;
  }
}

FFUInt32 OVNVeltrimaMap::SetFloatParameter(FFUInt32 index, float value) {
  if (index >= kMapParamCount || index == kMapFile) return FF_FAIL;
  values_[index] = value;
  // The figures are composed here, not in the frame; before InitGL the size
  // is not known and the first frame composes them.
  if (renderer_.Ready())
    Compose(OutputDimension(Viewport().width), OutputDimension(Viewport().height));
  return FF_SUCCESS;
}

float OVNVeltrimaMap::GetFloatParameter(FFUInt32 index) {
  return index < kMapParamCount && index != kMapFile ? values_[index] : 0.0f;
}

FFUInt32 OVNVeltrimaMap::SetTextParameter(FFUInt32 index, const char* value) {
  if (index != kMapFile) return FF_FAIL;
  // Read no further than a UTF-8 sequence past the limit, so that an
  // unterminated text is never overrun, a path past the limit is still told
  // apart, and a character that straddles the limit is seen whole (and left
  // out whole).
  constexpr std::size_t kLongestUtf8Sequence = 4;
  std::string_view text;
  if (value) text = std::string_view(value, strnlen(value, kMaxMapPathBytes + kLongestUtf8Sequence));
  path_.assign(text.substr(0, Utf8PrefixLength(text, kMaxMapPathBytes)));
  const std::string failure = source_.Load(text);
  plan_.reset();
  if (!failure.empty()) LogToHost(("OVNVeltrima MAP: " + failure).c_str());
  source_.WaitForRead(std::chrono::milliseconds(kReadSettleMs));
  PollSource();
  if (renderer_.Ready())
    Compose(OutputDimension(Viewport().width), OutputDimension(Viewport().height));
  return FF_SUCCESS;
}

char* OVNVeltrimaMap::GetTextParameter(FFUInt32 index) {
  return index == kMapFile ? path_.data() : nullptr;
}

const char* OVNVeltrimaMap::GetParameterDisplay(FFUInt32 index) {
  if (index != kMapFile) return CFFGLPlugin::GetParameterDisplay(index);
  if (source_.Loading()) return "LOADING";
  if (Updating()) return "UPDATING";
  return path_.c_str();
}

bool OVNVeltrimaMap::Updating() const {
  return source_.Loading() || (composed_ && !uploadFailed_ && useCache_ &&
                               KeptSize(composed_->width, composed_->height) &&
                               (!uploaded_ || !shownCurrent_));
}

void OVNVeltrimaMap::PollSource() {
  std::string failure;
  if (!source_.Poll(failure)) return;
  plan_.reset();
  if (!failure.empty()) LogToHost(("OVNVeltrima MAP: " + failure).c_str());
}

void OVNVeltrimaMap::Compose(int width, int height) {
  MapSettings settings = ConvertMapSettings(values_);
  // Kept pictures take the brightness in their copy: a fade composes nothing.
  if (useCache_ && KeptSize(width, height)) settings.brightness = 1.0f;
  const layout::Layout* good = source_.GoodLayout();
  if (good && (!plan_ || plan_->screen != settings.screen)) plan_ = PlanScreen(*good, settings.screen);
  if (!good) plan_.reset();
  const bool current = composed_ && composed_->revision == source_.Revision() &&
                       composed_->settings == settings && composed_->width == width &&
                       composed_->height == height;
  if (current) return;
  figures_.Clear();
  std::string note;
  ComposeMapFrame(source_, plan_ ? &*plan_ : nullptr, settings, width, height, figures_, &note,
                  &placed_);
  // Said once for each read of the file, not at every composition.
  if (!composed_ || composed_->revision != source_.Revision()) note_.clear();
  if (!note.empty() && note != note_) {
    LogToHost(("OVNVeltrima MAP: " + note).c_str());
    note_ = note;
  }
  ++compositions_;
  composed_ = Composed{source_.Revision(), settings, width, height};
  uploaded_ = false;
}

FFUInt32 OVNVeltrimaMap::InitGL(const FFGLViewportStruct* viewport) {
  if (viewport && renderer_.Create() && loadingRenderer_.Create()) {
    StoreViewport(*viewport);
    composed_.reset();
    return FF_SUCCESS;
  }
  DeInitGL();
  return FF_FAIL;
}

FFUInt32 OVNVeltrimaMap::DeInitGL() {
  renderer_.Release();
  loadingRenderer_.Release();
  loadingFor_.clear();
  for (ffglex::OutputCache& picture : pictures_) picture.Release();
  shownCurrent_ = false;
  composed_.reset();
  uploaded_ = false;
  return FF_SUCCESS;
}

bool OVNVeltrimaMap::DrawKept(int width, int height) {
  if (!shown_->Prepare(width, height)) return false;
  const std::size_t count = renderer_.Count();
  // Nothing shown yet (the first frame, or a new size): drawn whole now,
  // since there is no last picture to keep showing.
  if (shown_->Fresh()) {
    shown_->Render([&] { renderer_.Draw(width, height); });
    shownCurrent_ = true;
    drawnFigures_ = count;
    waitingFrames_ = 0;
    return true;
  }
  if (shownCurrent_) return true;
  if (!next_->Prepare(width, height)) {
    shown_->Render([&] { renderer_.Draw(width, height); });
    shownCurrent_ = true;
    waitingFrames_ = 0;
    return true;
  }
  // A parameter that changes every frame (an automated one) would start the
  // next picture again each frame and never show it: past kMostPartFrames
  // frames of waiting, the rest is drawn at once.
  const std::size_t part = ++waitingFrames_ > kMostPartFrames ? count : FiguresPerFrame(width, height);
  next_->Render([&] { renderer_.Draw(width, height, drawnFigures_, part); }, drawnFigures_ == 0);
  drawnFigures_ += part;
  if (drawnFigures_ >= count) {
    std::swap(shown_, next_);
    shownCurrent_ = true;
    waitingFrames_ = 0;
  }
  return true;
}

void OVNVeltrimaMap::DrawLoadingLine(int width, int height) {
  if (!source_.Loading()) return;
  // Placed anew for each composition under it: the line keeps clear of its
  // cabinets' words.
  const std::string key = source_.LoadingFileName() + "\n" + std::to_string(width) + "x" +
                          std::to_string(height) + "\n" + std::to_string(compositions_);
  if (key != loadingFor_) {
    shapes::FigureList line;
    std::string note;
    const bool onMap = plan_ && composed_ && plan_->screen >= 1 &&
                       plan_->screen <= plan_->screenCount;
    ComposeLoadingLine(source_.LoadingFileName(), onMap ? &*plan_ : nullptr,
                       composed_ ? composed_->settings : ConvertMapSettings(values_), placed_,
                       width, height, line, &note);
    if (!note.empty() && note != note_) {
      LogToHost(("OVNVeltrima MAP: " + note).c_str());
      note_ = note;
    }
    if (!loadingRenderer_.Upload(line)) return;
    loadingFor_ = key;
  }
  loadingRenderer_.Draw(width, height);
}

FFUInt32 OVNVeltrimaMap::ProcessOpenGL(ProcessOpenGLStruct*) {
  const int width = OutputDimension(Viewport().width);
  const int height = OutputDimension(Viewport().height);
  PollSource();
  Compose(width, height);
  if (!uploaded_) {
    // A program that cannot be built fails the frame (its diagnostic is
    // logged once) and every frame until what it shows changes.
    uploadFailed_ = !renderer_.Upload(figures_);
    uploaded_ = true;
    drawnFigures_ = 0;
    shownCurrent_ = false;
  }
  if (uploadFailed_) return FF_FAIL;
  if (!useCache_ || !KeptSize(width, height) || !DrawKept(width, height)) {
    renderer_.Draw(width, height);
  } else {
    // The host's viewport places the output in its framebuffer.
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    shown_->CopyTo(viewport[0], viewport[1], ConvertMapSettings(values_).brightness);
  }
  DrawLoadingLine(width, height);
  return FF_SUCCESS;
}

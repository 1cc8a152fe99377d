#include "map/OVNVeltrimaMap.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

#include "gl/CopyAsDrawn.h"
#include "glyphs/Utf8Glyphs.h"
#include "host/HostLog.h"
#include "host/OutputDimension.h"
#include "map/MapFrame.h"

namespace {

// Frames a new picture may wait, drawn band by band, before the rest is
// drawn at once: a second at 60 frames a second, or twice its bands.
int MostBandFrames(std::size_t bands) {
  constexpr int kMostFrames = 60;
  return std::max(kMostFrames, static_cast<int>(std::min<std::size_t>(bands, 100000)) * 2);
}

// Whether an output of this size is drawn through kept pictures.
bool KeptSize(int width, int height) {
  return width > 0 && height > 0 &&
         static_cast<long long>(width) * height <= ffglex::OutputCache::kMaxPixels;
}

// A layout this small is composed in the set call (under a millisecond),
// so that the next frame shows the change.
constexpr std::size_t kComposedInTheCallMostCabinets = 100;

std::atomic<long long> threadedComposeDelayMs{0};

}  // namespace

void OVNVeltrimaMap::SetThreadedComposeDelayForTests(std::chrono::milliseconds delay) {
  threadedComposeDelayMs = static_cast<long long>(delay.count());
}

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
  ComposeForSetCall();
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
  if (!failure.empty()) LogToHost(("OVNVeltrima MAP: " + failure).c_str());
  source_.WaitForRead(std::chrono::milliseconds(kReadSettleMs));
  PollSource();
  ComposeForSetCall();
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
  return source_.Loading() || pending_.Busy() || (composed_ && !uploadFailed_ && useCache_ &&
                               KeptSize(composed_->width, composed_->height) && !shownCurrent_);
}

void OVNVeltrimaMap::PollSource() {
  std::string failure;
  if (!source_.Poll(failure)) return;
  if (!failure.empty()) LogToHost(("OVNVeltrima MAP: " + failure).c_str());
}

MapCompositionKey OVNVeltrimaMap::Wanted(int width, int height) const {
  MapSettings settings = ConvertMapSettings(values_);
  // Kept pictures take the brightness in their copy: a fade composes nothing.
  if (useCache_ && KeptSize(width, height)) settings.brightness = 1.0f;
  return {source_.Revision(), settings, width, height};
}

bool OVNVeltrimaMap::PictureShown(int width, int height) const {
  return useCache_ && KeptSize(width, height) && !uploadFailed_ && composed_ &&
         composed_->width == width && composed_->height == height && shown_->Ready() &&
         !shown_->Fresh();
}

void OVNVeltrimaMap::Compose(int width, int height, bool offTheFrame) {
  const MapCompositionKey wanted = Wanted(width, height);
  if (composed_ && *composed_ == wanted) return;
  if (pending_.Busy()) {
    if (pending_.BusyWith() == wanted) return;  // on its way
    // A job under way is not replaced: the frames keep the last picture
    // until the stale composition ends (TakeComposed).
    if (offTheFrame) return;
  }
  if (offTheFrame &&
      pending_.Start(wanted, [facts = source_.Facts(), plan = plan_, wanted] {
        if (const long long delay = threadedComposeDelayMs.load())
          std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        // Only kept pictures of a size already shown are composed here.
        return ComposeMap(facts, plan, wanted.settings, wanted.width, wanted.height, true);
      })) {
    pendingStarted_ = ++compositionsStarted_;
    return;
  }
  // No thread to be had, or no picture to keep showing: composed here.
  const std::uint64_t started = ++compositionsStarted_;
  Adopt(ComposeMap(source_.Facts(), plan_, wanted.settings, width, height,
                   useCache_ && KeptSize(width, height)),
        started);
}

void OVNVeltrimaMap::ComposeForSetCall() {
  // Before InitGL the size is not known: the first frame composes.
  if (!renderer_.Ready()) return;
  const int width = OutputDimension(Viewport().width);
  const int height = OutputDimension(Viewport().height);
  // A picture drawn a band per frame over many frames anyway, or one of a
  // large layout, waits the few ms of its composition on a thread of its
  // own rather than in this call (a host sets values on its render thread,
  // before a frame).
  const layout::Layout* good = source_.GoodLayout();
  const bool large = banded_.bands.size() > 1 ||
                     (good && good->cabinets.size() > kComposedInTheCallMostCabinets);
  Compose(width, height, PictureShown(width, height) && large);
}

void OVNVeltrimaMap::TakeComposed(int width, int height) {
  std::optional<MapComposition> made = pending_.Take();
  // Taken when started after the figures now drawn, even where a value has
  // moved on since: a value automated every frame would otherwise make every
  // result stale and the picture would never follow it. The frame then
  // composes again for what it wants now.
  if (made && pendingStarted_ > adoptedStarted_ && made->key.width == width &&
      made->key.height == height)
    Adopt(std::move(*made), pendingStarted_);
}

void OVNVeltrimaMap::Adopt(MapComposition made, std::uint64_t started) {
  adoptedStarted_ = started;
  // Said once for each read of the file, not at every composition.
  if (!composed_ || composed_->revision != made.key.revision) note_.clear();
  if (!made.note.empty() && made.note != note_) {
    LogToHost(("OVNVeltrima MAP: " + made.note).c_str());
    note_ = made.note;
  }
  composed_ = made.key;
  plan_ = std::move(made.plan);
  figures_ = std::move(made.figures);
  banded_ = std::move(made.banded);
  placed_ = std::move(made.placed);
  codes_ = {std::move(made.codes), made.key.settings.output, started};
  ++compositions_;
  held_ = Held::Nothing;
  shownCurrent_ = false;
}

FFUInt32 OVNVeltrimaMap::InitGL(const FFGLViewportStruct* viewport) {
  if (viewport && renderer_.Create() && loadingRenderer_.Create() && codeRenderer_.Create()) {
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
  codeRenderer_.Release();
  loadingFor_.clear();
  for (ffglex::OutputCache& picture : pictures_) picture.Release();
  shownCurrent_ = false;
  composed_.reset();
  held_ = Held::Nothing;
  return FF_SUCCESS;
}

void OVNVeltrimaMap::DrawBands(ffglex::OutputCache& picture, std::size_t from, std::size_t to,
                               int width, int height) {
  const std::vector<shapes::FigureBand>& bands = banded_.bands;
  to = std::min(to, bands.size());
  // Each band's vertices are sent in the frame that first draws it.
  if (to > sentBands_) {
    const std::size_t first = bands[sentBands_].first;
    renderer_.UploadPart(banded_.figures, first, bands[to - 1].first + bands[to - 1].count - first);
    sentBands_ = to;
  }
  for (std::size_t b = from; b < to; ++b) {
    const shapes::FigureBand& band = bands[b];
    picture.RenderRows(band.top, band.bottom,
                       [&] { renderer_.Draw(width, height, band.first, band.count); });
  }
}

bool OVNVeltrimaMap::DrawKept(int width, int height) {
  if (!shown_->Prepare(width, height)) return false;
  const std::size_t bands = banded_.bands.size();
  // Nothing shown yet (the first frame, or a new size): drawn whole now,
  // since there is no last picture to keep showing. The second picture and
  // the copy's program are made now too, not in a frame after a change.
  if (shown_->Fresh()) {
    DrawBands(*shown_, 0, bands, width, height);
    shown_->MakeGainProgram();
    next_->Prepare(width, height);
    shownCurrent_ = true;
    drawnBands_ = bands;
    waitingFrames_ = 0;
    return true;
  }
  if (shownCurrent_) return true;
  if (!next_->Prepare(width, height)) {
    DrawBands(*shown_, 0, bands, width, height);
    shownCurrent_ = true;
    waitingFrames_ = 0;
    return true;
  }
  // A parameter that changes every frame (an automated one) would start the
  // next picture again each frame and never show it: past MostBandFrames
  // frames of waiting, the rest is drawn at once.
  const std::size_t to =
      ++waitingFrames_ > MostBandFrames(bands) ? bands : drawnBands_ + 1;
  DrawBands(*next_, drawnBands_, to, width, height);
  drawnBands_ = to;
  if (drawnBands_ >= bands) {
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
  if (std::optional<LoadingLine> placed = loadingLine_.Take()) {
    if (!placed->note.empty() && placed->note != note_) {
      LogToHost(("OVNVeltrima MAP: " + placed->note).c_str());
      note_ = placed->note;
    }
    if (placed->key == key && loadingRenderer_.Upload(placed->figures)) loadingFor_ = key;
  }
  if (key != loadingFor_ && !loadingLine_.Busy()) {
    const ScreenPlan* plan = plan_.plan.get();
    const bool onMap = plan && composed_ && plan->screen >= 1 && plan->screen <= plan->screenCount;
    auto place = [key, name = source_.LoadingFileName(), plan = onMap ? plan_ : SharedScreenPlan{},
                  settings = composed_ ? composed_->settings : ConvertMapSettings(values_),
                  taken = placed_, width, height] {
      LoadingLine line{key, {}, {}};
      ComposeLoadingLine(name, plan.plan.get(), settings, taken, width, height, line.figures,
                         &line.note);
      return line;
    };
    // Over a map its place is sought among every cabinet's words, on a
    // thread of its own; across the top of no map it is a band, placed here.
    if (!onMap || !loadingLine_.Start(key, place)) {
      const LoadingLine line = place();
      if (loadingRenderer_.Upload(line.figures)) loadingFor_ = key;
    }
  }
  if (key == loadingFor_) loadingRenderer_.Draw(width, height);
}

void OVNVeltrimaMap::DrawFrameCodes(bool kept, int width, int height) {
  // A kept picture still drawn band by band shows the last composition's
  // codes; one drawn whole, the adopted one's.
  if (!kept || shownCurrent_) {
    if (shownCodes_.composition != codes_.composition) shownCodes_ = codes_;
  }
  const FrameCodes& shown = kept && !shownCurrent_ ? shownCodes_ : codes_;
  if (shown.codes.empty()) return;
  const float brightness = ConvertMapSettings(values_).brightness;
  codeCells_.Clear();
  for (const CabinetCode& code : shown.codes)
    AddCabinetCodeDynamic(codeCells_, code, shown.output, framesDrawn_, brightness);
  codeRenderer_.Draw(codeCells_, width, height);
}

FFUInt32 OVNVeltrimaMap::ProcessOpenGL(ProcessOpenGLStruct*) {
  const int width = OutputDimension(Viewport().width);
  const int height = OutputDimension(Viewport().height);
  PollSource();
  TakeComposed(width, height);
  // With a picture of this size to show, a new one is composed off the frame.
  Compose(width, height, PictureShown(width, height));
  // A copy skips the blending, masks and tests a draw goes through: under
  // any of them the figures are drawn, as on the frame that first shows them.
  const bool kept = useCache_ && KeptSize(width, height) && CopyLandsAsDrawn();
  const Held wanted = kept ? Held::Banded : Held::Whole;
  if (held_ != wanted) {
    // A program that cannot be built fails the frame (its diagnostic is
    // logged once) and every frame until what it shows changes. The banded
    // list is only reserved here; its bands are sent as they are drawn.
    uploadFailed_ = !(kept ? renderer_.Reserve(banded_.figures) : renderer_.Upload(figures_));
    held_ = wanted;
    sentBands_ = 0;
    drawnBands_ = 0;
    shownCurrent_ = false;
  }
  if (uploadFailed_) return FF_FAIL;
  if (!kept) {
    renderer_.Draw(width, height);
  } else if (!DrawKept(width, height)) {
    // No picture could be kept: the figures drawn whole, this frame only.
    uploadFailed_ = !renderer_.Upload(figures_);
    held_ = Held::Whole;
    if (uploadFailed_) return FF_FAIL;
    renderer_.Draw(width, height);
  } else {
    // The host's viewport places the output in its framebuffer.
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    shown_->CopyTo(viewport[0], viewport[1], ConvertMapSettings(values_).brightness);
  }
  DrawFrameCodes(kept, width, height);
  ++framesDrawn_;
  DrawLoadingLine(width, height);
  return FF_SUCCESS;
}

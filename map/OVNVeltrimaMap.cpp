#include "map/OVNVeltrimaMap.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>

#include "glyphs/Utf8Glyphs.h"
#include "host/HostLog.h"
#include "host/OutputDimension.h"

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
  return FF_SUCCESS;
}

char* OVNVeltrimaMap::GetTextParameter(FFUInt32 index) {
  return index == kMapFile ? path_.data() : nullptr;
}

FFUInt32 OVNVeltrimaMap::InitGL(const FFGLViewportStruct* viewport) {
  if (viewport && renderer_.Create()) {
    StoreViewport(*viewport);
    composed_.reset();
    return FF_SUCCESS;
  }
  DeInitGL();
  return FF_FAIL;
}

FFUInt32 OVNVeltrimaMap::DeInitGL() {
  renderer_.Release();
  cache_.Release();
  cacheCurrent_ = false;
  composed_.reset();
  return FF_SUCCESS;
}

FFUInt32 OVNVeltrimaMap::ProcessOpenGL(ProcessOpenGLStruct*) {
  const int width = OutputDimension(Viewport().width);
  const int height = OutputDimension(Viewport().height);
  const MapSettings settings = ConvertMapSettings(values_);
  const layout::Layout* good = source_.GoodLayout();
  if (good && (!plan_ || plan_->screen != settings.screen)) plan_ = PlanScreen(*good, settings.screen);
  if (!good) plan_.reset();

  const bool current = composed_ && composed_->revision == source_.Revision() &&
                       composed_->settings == settings && composed_->width == width &&
                       composed_->height == height;
  if (!current) {
    figures_.Clear();
    ComposeMapFrame(source_, plan_ ? &*plan_ : nullptr, settings, width, height, figures_);
    ++compositions_;
    // A program that cannot be built fails the frame (its diagnostic is
    // logged once) and every frame until what it shows changes.
    uploadFailed_ = !renderer_.Upload(figures_);
    composed_ = Composed{source_.Revision(), settings, width, height};
    cacheCurrent_ = false;
  }
  if (uploadFailed_) return FF_FAIL;
  if (!useCache_ || !cache_.Prepare(width, height)) {
    renderer_.Draw(width, height);
    return FF_SUCCESS;
  }
  if (!cacheCurrent_ || cache_.Fresh()) {
    cache_.Render([&] { renderer_.Draw(width, height); });
    cacheCurrent_ = true;
  }
  // The host's viewport places the output in its framebuffer.
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  cache_.CopyTo(viewport[0], viewport[1]);
  return FF_SUCCESS;
}

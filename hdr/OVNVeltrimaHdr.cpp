#include "hdr/OVNVeltrimaHdr.h"

#include <cstring>
#include <string>

#include "gl/CopyAsDrawn.h"
#include "gl/RestoringScopes.h"
#include "glyphs/Utf8Glyphs.h"
#include "hdr/FramebufferDepth.h"
#include "hdr/Patterns.h"
#include "host/HostLog.h"
#include "host/OutputDimension.h"

OVNVeltrimaHdr::OVNVeltrimaHdr()
    : CFFGLPlugin(false), client_([](const std::string& line) {
        LogToHost(("OVNVeltrima HDR: " + line).c_str());
      }) {
  SetMinInputs(0);
  SetMaxInputs(0);
  DefineParameters();
}

// GL objects are released by DeInitGL, which the host calls first; the
// destructor may run with no context current.
OVNVeltrimaHdr::~OVNVeltrimaHdr() = default;

void OVNVeltrimaHdr::DefineParameters() {
  const auto& definitions = HdrParameterDefinitions();
  for (FFUInt32 index = 0; index < kHdrParamCount; ++index) {
    DefineParameter(index, definitions[index]);
    values_[index] = definitions[index].defaultValue;
  }
}

FFUInt32 OVNVeltrimaHdr::SetFloatParameter(FFUInt32 index, float value) {
  if (index >= kHdrParamCount || index == kHdrServer) return FF_FAIL;
  values_[index] = value;
  return FF_SUCCESS;
}

float OVNVeltrimaHdr::GetFloatParameter(FFUInt32 index) {
  return index < kHdrParamCount && index != kHdrServer ? values_[index] : 0.0f;
}

FFUInt32 OVNVeltrimaHdr::SetTextParameter(FFUInt32 index, const char* value) {
  if (index != kHdrServer) return FF_FAIL;
  // Read no further than the limit (and the rest of a UTF-8 sequence that
  // straddles it), so an unterminated text is safe, and a character across
  // the limit is left out whole rather than cut. A server text that long is
  // no address anyway and is refused as such.
  std::string_view text;
  if (value) text = std::string_view(value, strnlen(value, kMaxServerTextBytes + 4));
  server_.assign(text.substr(0, Utf8PrefixLength(text, kMaxServerTextBytes)));
  return FF_SUCCESS;
}

char* OVNVeltrimaHdr::GetTextParameter(FFUInt32 index) {
  return index == kHdrServer ? server_.data() : nullptr;
}

FFUInt32 OVNVeltrimaHdr::InitGL(const FFGLViewportStruct* viewport) {
  if (viewport && renderer_.Create()) {
    StoreViewport(*viewport);
    composed_.reset();
    return FF_SUCCESS;
  }
  DeInitGL();
  return FF_FAIL;
}

FFUInt32 OVNVeltrimaHdr::DeInitGL() {
  renderer_.Release();
  cache_.Release();
  cacheCurrent_ = false;
  composed_.reset();
  return FF_SUCCESS;
}

bool OVNVeltrimaHdr::FramebufferRounds() {
  const std::optional<int> bits = hdr::DrawFramebufferRedBits();
  // A size of 0 says nothing about the buffer (it is not a colour one).
  const bool rounds = bits && *bits > 0 && *bits < hdr::kCodeBits;
  if (rounds && !roundingLogged_) {
    roundingLogged_ = true;
    LogToHost(("OVNVeltrima HDR: the framebuffer holds " + std::to_string(*bits) +
               " bits per channel; 10-bit codes are rounded")
                  .c_str());
  }
  return rounds;
}

FFUInt32 OVNVeltrimaHdr::ProcessOpenGL(ProcessOpenGLStruct*) {
  const int width = OutputDimension(Viewport().width);
  const int height = OutputDimension(Viewport().height);
  const HdrSettings settings = ConvertHdrSettings(values_);
  const bool rounded = FramebufferRounds();

  // The network is serviced here, once per frame, without waiting; any
  // other pattern or source closes the connection.
  const bool network = settings.pattern == HdrPattern::Patch &&
                       settings.patchSource != calibration::PatchSource::Parameters;
  client_.Configure(network ? settings.patchSource : calibration::PatchSource::Parameters, server_,
                    settings.settleFrames);
  client_.Service(calibration::CalibrationClient::Clock::now());

  bool changed = false;
  if (!composed_ || composed_->settings != settings || composed_->width != width ||
      composed_->height != height || composed_->rounded != rounded ||
      composed_->network != network ||
      (network && (composed_->patchCount != client_.PatchCount() ||
                   composed_->status != client_.StatusLine()))) {
    shapes_.Clear();
    if (network) {
      const hdr::NetworkPatchView view{client_.Scene(), client_.HasPatch(), client_.StatusLine()};
      hdr::ComposeHdrFrame(settings, width, height, rounded, shapes_, &view);
    } else {
      hdr::ComposeHdrFrame(settings, width, height, rounded, shapes_);
    }
    composed_ = Composed{settings, width, height, rounded, network, client_.PatchCount(),
                         client_.StatusLine()};
    cacheCurrent_ = false;
    changed = true;
  }
  {
    // An sRGB-encoded framebuffer with GL_FRAMEBUFFER_SRGB on would re-encode
    // every code drawn or copied into it; the codes go in as they are, and
    // the host's switch is put back.
    ffglex::restoring::ScopedCapability codesAsTheyAre(GL_FRAMEBUFFER_SRGB, false);
    DrawComposed(width, height, changed);
    if (settings.pattern == HdrPattern::ChainCheck) {
      stripShapes_.Clear();
      hdr::AddChainCheckStrip(settings, width, height, frameCounter_, stripShapes_);
      renderer_.Draw(stripShapes_, width, height);
    }
  }
  ++frameCounter_;
  // The frame that shows the patch has been drawn: it counts toward the
  // settle frames before the next ArgyllCMS poll.
  client_.FrameDrawn();
  return FF_SUCCESS;
}

void OVNVeltrimaHdr::DrawComposed(int width, int height, bool changed) {
  // A ramp is a thousand thin rectangles, which a software renderer draws
  // at several times the cost of a fill: the picture is drawn once into a
  // float buffer (codes kept exactly) and copied each frame. A frame whose
  // picture just changed draws it directly, and the next one keeps it, so
  // that a parameter moved every frame costs one draw, not a draw and a copy.
  // A copy skips the blending, masks and tests a draw goes through: under
  // any of them every frame is drawn, as the changed one is.
  if (changed || !useCache_ || !CopyLandsAsDrawn() || !cache_.Prepare(width, height)) {
    renderer_.Draw(shapes_, width, height);
    return;
  }
  if (!cacheCurrent_ || cache_.Fresh()) {
    cache_.Render([&] { renderer_.Draw(shapes_, width, height); });
    cacheCurrent_ = true;
  }
  // The host's viewport places the output in its framebuffer.
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  cache_.CopyTo(viewport[0], viewport[1]);
}

#include "sync/OVNVeltrimaSync.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "clock/WallClock.h"
#include "framestamp/SyncFlash.h"
#include "framestamp/TimeOfDay.h"
#include "gl/ShaderProgram.h"
#include "host/HostLog.h"
#include "host/OutputDimension.h"
#include "shapes/Colour.h"
#include "glyphs/Utf8Glyphs.h"
#include "sync/Layout.h"
#include "sync/RegionFrame.h"
#include "sync/Settings.h"

OVNVeltrimaSync::OVNVeltrimaSync() : CFFGLPlugin(false) {
  SetMinInputs(0);
  SetMaxInputs(0);
  DefineParameters();
}

// GL objects are released by DeInitGL, which the host calls first; the
// destructor may run with no context current.
OVNVeltrimaSync::~OVNVeltrimaSync() = default;

void OVNVeltrimaSync::DefineParameters() {
  const auto& definitions = SyncParameterDefinitions();
  for (FFUInt32 index = 0; index < kSyncParamCount; ++index) {
    const SyncParamDefinition& d = definitions[index];
    DefineParameter(index, d);
    if (d.type == FF_TYPE_TEXT) texts_[index] = d.defaultText;
    values_[index] = d.defaultValue;
  }
}

bool OVNVeltrimaSync::IsText(FFUInt32 index) const {
  return index < kSyncParamCount && SyncParameterDefinitions()[index].type == FF_TYPE_TEXT;
}

FFUInt32 OVNVeltrimaSync::SetFloatParameter(FFUInt32 index, float value) {
  if (index >= kSyncParamCount || IsText(index)) return FF_FAIL;
  values_[index] = value;
  return FF_SUCCESS;
}

float OVNVeltrimaSync::GetFloatParameter(FFUInt32 index) {
  return index < kSyncParamCount && !IsText(index) ? values_[index] : 0.0f;
}

FFUInt32 OVNVeltrimaSync::SetTextParameter(FFUInt32 index, const char* value) {
  if (!IsText(index)) return FF_FAIL;
  // Only the first kMaxSyncTextBytes and the rest of a UTF-8 sequence that
  // straddles them are read, so an unterminated text is read no further than
  // that, and a character across the limit is left out whole rather than cut.
  std::string_view text;
  if (value) text = std::string_view(value, strnlen(value, kMaxSyncTextBytes + 4));
  texts_[index].assign(text.substr(0, Utf8PrefixLength(text, kMaxSyncTextBytes)));
  return FF_SUCCESS;
}

char* OVNVeltrimaSync::GetTextParameter(FFUInt32 index) {
  if (!IsText(index)) return nullptr;
  return texts_[index].data();
}

FFUInt32 OVNVeltrimaSync::InitGL(const FFGLViewportStruct* viewport) {
  if (viewport && renderer_.Create() && codeRenderer_.Create()) {
    StoreViewport(*viewport);
    return FF_SUCCESS;
  }
  DeInitGL();
  return FF_FAIL;
}

FFUInt32 OVNVeltrimaSync::DeInitGL() {
  renderer_.Release();
  codeRenderer_.Release();
  return FF_SUCCESS;
}

std::int64_t OVNVeltrimaSync::ShownMillisecond(const SyncSettings& s) {
  if (s.clock == kClockHostTime) {
    if (!s.startTimeValid && reportedStartTime_ != texts_[kSyncStartTime]) {
      reportedStartTime_ = texts_[kSyncStartTime];
      ffglex::LogDiagnostic(("OVNVeltrima SYNC: Start Time \"" + reportedStartTime_->substr(0, 64) +
                             "\" is not HH:MM:SS.mmm; 00:00:00.000 is used")
                                .c_str());
    }
    return TimeOfDayAfter(s.startMillisecond, HostTime());
  }
  return MillisecondOfDay(ReadWallClock(), s.zone);
}

void OVNVeltrimaSync::ReportLeftOut(const std::vector<std::string>& leftOut, int width, int height) {
  if (leftOut == reportedLeftOut_) return;
  reportedLeftOut_ = leftOut;
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  for (const std::string& line : leftOut)
    LogToHost(("OVNVeltrima SYNC at " + size + ": " + line).c_str());
}

FFUInt32 OVNVeltrimaSync::ProcessOpenGL(ProcessOpenGLStruct*) {
  const int width = OutputDimension(Viewport().width);
  const int height = OutputDimension(Viewport().height);
  const SyncSettings settings =
      ConvertSyncSettings(values_, texts_[kSyncLabel], texts_[kSyncStartTime]);

  FrameFacts facts;
  facts.frame = framesDrawn_;
  facts.millisecondOfDay = ShownMillisecond(settings);
  facts.flash = FlashDue(previousMillisecond_, facts.millisecondOfDay,
                         static_cast<std::int64_t>(settings.flashEverySeconds) * 1000);
  previousMillisecond_ = facts.millisecondOfDay;

  shapes_.Clear();
  codes_.clear();
  if (settings.regions.on)
    ComposeRegions(settings, facts, width, height);
  else
    ComposePicture(settings, facts, width, height);
  renderer_.Draw(shapes_, width, height);
  codeRenderer_.Draw(codes_, shapes::kWhite, width, height);

  lastFacts_ = facts;
  ++framesDrawn_;
  return FF_SUCCESS;
}

void OVNVeltrimaSync::ComposePicture(const SyncSettings& settings, const FrameFacts& facts, int width,
                                     int height) {
  // The layout is worked out again only when the output or the sizes asked
  // for change: weighing its rules takes longer than the frame's list.
  const std::array<int, 4> layoutKey = {width, height, settings.cellSize, settings.qrModule};
  if (!layout_ || layoutKey != layoutKey_) {
    layout_ = ComputeSyncLayout(width, height, settings.cellSize, settings.qrModule);
    layoutKey_ = layoutKey;
    ReportLeftOut(layout_->leftOut, width, height);
  }
  const SyncLayout& layout = *layout_;
  if (settings.shown.qr && layout.qrModule > 0) {
    std::string text = QrTextFor(settings, facts);
    if (!qr_ || text != qrText_) {
      qr_ = EncodeQr(text);
      qrText_ = std::move(text);
    }
  }
  ComposeSyncFrame(settings, layout, facts, settings.shown.qr ? qr_ : std::nullopt, shapes_);
}

void OVNVeltrimaSync::ComposeRegions(const SyncSettings& settings, const FrameFacts& facts, int width,
                                     int height) {
  const RegionCodeSettings& r = settings.regions;
  const std::array<int, 5> key = {width, height, r.columns, r.rows, r.cellSize};
  if (!grid_ || key != gridKey_) {
    grid_ = ComputeRegionGrid(width, height, r.columns, r.rows, r.cellSize);
    gridKey_ = key;
    ReportLeftOut(grid_->leftOut, width, height);
  }
  ComposeRegionFrame(*grid_, settings.output, facts.frame, settings.brightness, shapes_, codes_);
}

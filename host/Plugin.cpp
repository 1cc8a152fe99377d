#include "host/Plugin.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// The host copies a display text before its next call, so one buffer serves
// every instance: 16 characters and a terminating zero.
char displayBuffer[17];

}  // namespace

CFFGLPlugin::CFFGLPlugin(bool topLeftOrientationSupported)
    : CFFGLPluginManager(topLeftOrientationSupported) {}

CFFGLPlugin::~CFFGLPlugin() = default;

FFUInt32 CFFGLPlugin::InitGL(const FFGLViewportStruct* viewport) {
  if (viewport) viewport_ = *viewport;
  return FF_SUCCESS;
}

FFUInt32 CFFGLPlugin::DeInitGL() { return FF_SUCCESS; }

const char* CFFGLPlugin::GetParameterDisplay(FFUInt32 id) {
  CFFGLPlugin* owner = self_ ? self_ : this;
  const ParamInfo* info = owner->FindParam(id);
  if (!info || info->type == FF_FAIL) return nullptr;
  if (IsTextType(info->type)) return owner->GetTextParameter(id);

  // "%f" of the largest float needs 47 characters; anything longer than the
  // display field is cut to its first 16.
  char formatted[64];
  std::snprintf(formatted, sizeof formatted, "%f",
                static_cast<double>(owner->GetFloatParameter(id)));
  std::memset(displayBuffer, 0, sizeof displayBuffer);
  std::memcpy(displayBuffer, formatted, std::min(std::strlen(formatted), sizeof displayBuffer - 1));
  return displayBuffer;
}

FFUInt32 CFFGLPlugin::SetFloatParameter(FFUInt32, float) { return FF_FAIL; }

FFUInt32 CFFGLPlugin::SetTextParameter(FFUInt32, const char*) { return FF_FAIL; }

float CFFGLPlugin::GetFloatParameter(FFUInt32) { return 0.0f; }

char* CFFGLPlugin::GetTextParameter(FFUInt32) {
  // The base answers the failure value in the pointer slot.
  return reinterpret_cast<char*>(static_cast<std::uintptr_t>(FF_FAIL));
}

FFUInt32 CFFGLPlugin::ProcessOpenGL(ProcessOpenGLStruct*) { return FF_FAIL; }

FFUInt32 CFFGLPlugin::SetTime(double seconds) {
  hostTime_ = seconds;
  return FF_SUCCESS;
}

void CFFGLPlugin::SetBeatInfo(float bpm, float barPhase) {
  tempo_ = bpm;
  barPhase_ = barPhase;
}

void CFFGLPlugin::SetHostInfo(const char* name, const char* version) {
  hostName_ = name ? name : "";
  hostVersion_ = version ? version : "";
}

void CFFGLPlugin::SetSampleRate(FFUInt32 rate) { sampleRate_ = rate; }

FFUInt32 CFFGLPlugin::GetInputStatus(FFUInt32 inputIndex) {
  // Compared unsigned; a source plug-in's maximum of 0 admits no input.
  return inputIndex < static_cast<FFUInt32>(GetMaxInputs()) ? FF_TRUE : FF_FAIL;
}

std::uintptr_t CFFGLPlugin::QueryPluginValue() { return 0; }

FFUInt32 CFFGLPlugin::Connect() { return FF_SUCCESS; }

FFUInt32 CFFGLPlugin::Disconnect() { return FF_SUCCESS; }

FFUInt32 CFFGLPlugin::Resize(const FFGLViewportStruct* viewport) {
  if (viewport) viewport_ = *viewport;
  return FF_SUCCESS;
}

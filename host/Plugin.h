// CFFGLPlugin: the instance base through which the entry point drives one
// plug-in instance. It keeps the viewport the instance draws into, what the
// host has told it (time, tempo, host texts, sample rate) and its connection
// state, and gives every virtual operation a safe base behaviour.
//
// All operations are called by the entry point only, one at a time, on the
// host's rendering thread; InitGL, DeInitGL and ProcessOpenGL need the host's
// GL context to be current.
#pragma once

#include <cstdint>
#include <string>

#include "host/FFGL.h"
#include "host/PluginManager.h"

class CFFGLPlugin : public CFFGLPluginManager {
 public:
  explicit CFFGLPlugin(bool topLeftOrientationSupported);
  ~CFFGLPlugin() override;

  // Copies the viewport; success. Overridden by plug-ins that make GL objects.
  virtual FFUInt32 InitGL(const FFGLViewportStruct* viewport);
  virtual FFUInt32 DeInitGL();
  // A text owned by the process-wide display buffer, valid until the next
  // display call of any instance; null for an unknown ID.
  virtual const char* GetParameterDisplay(FFUInt32 id);
  virtual FFUInt32 SetFloatParameter(FFUInt32 id, float value);
  virtual FFUInt32 SetTextParameter(FFUInt32 id, const char* value);
  virtual float GetFloatParameter(FFUInt32 id);
  virtual char* GetTextParameter(FFUInt32 id);
  virtual FFUInt32 ProcessOpenGL(ProcessOpenGLStruct* frame);
  virtual FFUInt32 SetTime(double seconds);
  virtual void SetBeatInfo(float bpm, float barPhase);
  // Copies both texts; a null text is stored as empty.
  virtual void SetHostInfo(const char* name, const char* version);
  virtual void SetSampleRate(FFUInt32 rate);
  virtual FFUInt32 GetInputStatus(FFUInt32 inputIndex);
  virtual std::uintptr_t QueryPluginValue();
  virtual FFUInt32 Connect();
  virtual FFUInt32 Disconnect();
  virtual FFUInt32 Resize(const FFGLViewportStruct* viewport);

  // --- State the entry point keeps on the instance.
  bool IsConnected() const { return connected_; }
  void SetConnected(bool connected) { connected_ = connected; }
  void SetSelf(CFFGLPlugin* self) { self_ = self; }
  CFFGLPlugin* Self() const { return self_; }

  const FFGLViewportStruct& Viewport() const { return viewport_; }
  double HostTime() const { return hostTime_; }
  float Tempo() const { return tempo_; }
  float BarPhase() const { return barPhase_; }
  const std::string& HostName() const { return hostName_; }
  const std::string& HostVersion() const { return hostVersion_; }
  FFUInt32 SampleRate() const { return sampleRate_; }

 protected:
  void StoreViewport(const FFGLViewportStruct& viewport) { viewport_ = viewport; }

 private:
  bool connected_ = false;
  CFFGLPlugin* self_ = nullptr;
  FFGLViewportStruct viewport_{0, 0, 0, 0};
  float tempo_ = 120.0f;
  float barPhase_ = 0.0f;
  std::string hostName_;
  std::string hostVersion_;
  double hostTime_ = 0.0;
  FFUInt32 sampleRate_ = 0;
};

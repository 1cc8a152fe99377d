// PluginLibrary: loads an FFGL plug-in file (dlopen on Linux, LoadLibrary on
// Windows) and calls it the way a host does, with one typed call per function
// code and the records laid out exactly as hosts lay them out. Works on any FFGL 2.1 plug-in file.
//
// Calls that need a GL context (ProcessOpenGL, Instantiate, Deinstantiate)
// must be made with one current (see GLContext). Pointers that the plug-in
// answers are owned by it and valid until the next call.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "host/EntryPoint.h"
#include "host/FFGL.h"

namespace hostkit {

class PluginLoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

float FloatFromBits(FFUInt32 bits);
FFUInt32 BitsOfFloat(float value);

class PluginLibrary {
 public:
  // dlopen with RTLD_NOW | RTLD_LOCAL, plus RTLD_NODELETE when `keepLoaded`
  // (keeps the plug-in's frames symbolised in sanitizer reports); on Windows
  // LoadLibrary, pinned when `keepLoaded`. Throws
  // PluginLoadError naming the file and the loader's reason.
  explicit PluginLibrary(const std::string& path, bool keepLoaded = true);
  // Wraps entry points linked into this program instead of loading a file:
  // tools that must reach inside the plug-in (to step its clock) call it the
  // same way a host does. `name` is what Path() reports.
  PluginLibrary(PlugMainFunction plugMain, SetLogCallbackFunction setLogCallback,
                std::string name);
  ~PluginLibrary();

  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  const std::string& Path() const { return path_; }
  // The raw entry point, for codes and inputs the typed calls do not cover.
  FFMixed Call(FFUInt32 code, FFMixed input, FFInstanceID instance = nullptr) const;
  FFMixed Call(FFUInt32 code, FFUInt32 number, FFInstanceID instance = nullptr) const;
  FFMixed CallWith(FFUInt32 code, const void* record, FFInstanceID instance = nullptr) const;
  void SetLogCallback(FFLogCallback callback) const;

  // --- Registration and prototype queries.
  const PluginInfoStruct* GetInfo() const;                   // 0
  FFUInt32 Deinitialise() const;                             // 2
  FFUInt32 GetNumParameters() const;                         // 4
  const char* GetParameterName(FFUInt32 id) const;           // 5
  FFMixed GetParameterDefault(FFUInt32 id) const;            // 6: float bits or text
  FFUInt32 GetCapability(FFUInt32 capability) const;         // 10
  const PluginExtendedInfoStruct* GetExtendedInfo() const;   // 13
  FFUInt32 GetParameterType(FFUInt32 id) const;              // 15
  FFUInt32 GetParameterUsage(FFUInt32 id) const;             // 32
  FFMixed QueryPluginValue() const;                          // 33
  FFUInt32 Initialise() const;                               // 34
  // 41: writes the range; answers the result code.
  FFUInt32 GetRange(FFUInt32 id, float& minimum, float& maximum) const;
  FFUInt32 GetThumbnail(GetThumbnailStruct& thumbnail) const;          // 42
  FFUInt32 GetFileExtensionCount(FFUInt32 id) const;                   // 43
  const char* GetFileExtension(FFUInt32 id, FFUInt32 index) const;     // 44
  FFUInt32 GetElementMarkCount(FFUInt32 id) const;                     // 47
  FFUInt32 GetElementMark(FFUInt32 id, FFUInt32 index) const;          // 48
  FFUInt32 GetParameterGroup(GetStringStruct& buffer) const;           // 50

  // --- Queries that read an instance's records, or the prototype's when
  // the instance is null.
  FFUInt32 GetElementCount(FFInstanceID instance, FFUInt32 id) const;  // 31
  const char* GetElementName(FFInstanceID instance, FFUInt32 id, FFUInt32 index) const;  // 35
  FFMixed GetElementValue(FFInstanceID instance, FFUInt32 id, FFUInt32 index) const;     // 36
  FFUInt32 GetVisibility(FFInstanceID instance, FFUInt32 id) const;   // 45

  // --- Instance life and operations.
  // 18: the new instance, or null when the plug-in answered failure.
  FFInstanceID Instantiate(const FFGLViewportStruct& viewport) const;
  FFUInt32 Deinstantiate(FFInstanceID instance) const;                          // 19
  FFMixed GetParameterDisplay(FFInstanceID instance, FFUInt32 id) const;        // 7
  FFUInt32 SetParameter(FFInstanceID instance, FFUInt32 id, float value) const; // 8
  FFUInt32 SetTextParameter(FFInstanceID instance, FFUInt32 id, const char* text) const;  // 8
  FFMixed GetParameter(FFInstanceID instance, FFUInt32 id) const;               // 9
  float GetFloatParameter(FFInstanceID instance, FFUInt32 id) const;            // 9
  FFUInt32 GetInputStatus(FFInstanceID instance, FFUInt32 index) const;         // 16
  FFUInt32 ProcessOpenGL(FFInstanceID instance, ProcessOpenGLStruct& frame) const;  // 17
  FFUInt32 SetTime(FFInstanceID instance, double seconds) const;                // 20
  FFUInt32 Connect(FFInstanceID instance) const;                                // 21
  FFUInt32 Disconnect(FFInstanceID instance) const;                             // 22
  FFUInt32 Resize(FFInstanceID instance, const FFGLViewportStruct& viewport) const;  // 23
  FFUInt32 SetElementValue(FFInstanceID instance, FFUInt32 id, FFUInt32 index,
                           float value) const;                                  // 37
  FFUInt32 SetBeatInfo(FFInstanceID instance, float bpm, float barPhase) const; // 38
  FFUInt32 SetHostInfo(FFInstanceID instance, const char* name,
                       const char* version) const;                              // 39
  FFUInt32 SetSampleRate(FFInstanceID instance, FFUInt32 rate) const;           // 40
  FFUInt32 GetParameterEvents(FFInstanceID instance, GetParamEventsStruct& list) const;  // 46
  FFUInt32 EnableCapability(FFInstanceID instance, FFUInt32 capability) const;  // 49
  FFUInt32 GetParameterDisplayName(FFInstanceID instance, GetStringStruct& buffer) const;  // 51

 private:
  std::string path_;
  void* handle_ = nullptr;
  PlugMainFunction plugMain_ = nullptr;
  SetLogCallbackFunction setLogCallback_ = nullptr;
};

}  // namespace hostkit

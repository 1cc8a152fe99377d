// PluginRegistration: the static description of the plug-in that the entry
// point answers information queries from, and the factory that makes plug-in
// objects (the prototype and every instance). One registration object is
// built during static initialisation of the library and publishes itself as
// the process-wide registration; it lives until the library is unloaded.
#pragma once

#include <string>

#include "host/FFGL.h"

class CFFGLPlugin;

// Makes one plug-in object and stores it through the given pointer.
using FFPluginFactory = FFUInt32 (*)(CFFGLPlugin** object);
using FFInitialiseHook = FFUInt32 (*)();
using FFDeinitialiseHook = void (*)();

struct PluginRegistrationValues {
  FFPluginFactory factory = nullptr;
  const char* uniqueID = "";
  const char* name = "";
  // The FFGL version every product of the suite speaks (2.1): set here
  // once, never in a product's registration.
  FFUInt32 apiMajor = 2;
  FFUInt32 apiMinor = 1;
  FFUInt32 pluginMajor = 1;
  FFUInt32 pluginMinor = 0;
  FFUInt32 pluginType = FF_SOURCE;
  const char* description = "";
  const char* about = "";
  FFInitialiseHook initialise = nullptr;
  FFDeinitialiseHook deinitialise = nullptr;
};

class PluginRegistration {
 public:
  // Fills the records from the values and publishes this object as the
  // process-wide registration.
  explicit PluginRegistration(const PluginRegistrationValues& values);
  ~PluginRegistration() = default;

  PluginRegistration(const PluginRegistration&) = delete;
  PluginRegistration& operator=(const PluginRegistration&) = delete;

  const PluginInfoStruct* Info() const { return &info_; }
  const PluginExtendedInfoStruct* ExtendedInfo() const { return &extendedInfo_; }
  FFPluginFactory Factory() const { return factory_; }
  FFInitialiseHook InitialiseHook() const { return initialise_; }
  FFDeinitialiseHook DeinitialiseHook() const { return deinitialise_; }

 private:
  PluginInfoStruct info_{};
  PluginExtendedInfoStruct extendedInfo_{};
  std::string about_;
  std::string description_;
  FFPluginFactory factory_;
  FFInitialiseHook initialise_;
  FFDeinitialiseHook deinitialise_;
};

// The registration published while the library loaded, or null.
const PluginRegistration* RegisteredPlugin();

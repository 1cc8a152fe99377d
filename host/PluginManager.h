// CFFGLPluginManager: the parameter registry and plug-in-wide settings that
// every plug-in object carries. The plug-in fills it in its constructor, so
// the prototype and every instance hold identical definitions; the entry
// point answers the host's parameter and capability queries from it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/FFGL.h"
#include "host/ParameterDefinition.h"

struct ParamElement {
  std::string name;
  float value = 0.0f;
};

struct ParamInfo {
  FFUInt32 ID = 0;
  std::string name;
  std::string displayName;
  FFUInt32 type = 0;
  std::vector<ParamElement> elements;
  std::vector<FFUInt32> elementMarks;
  FFUInt32 usage = 0;
  bool visible = true;
  float rangeMin = 0.0f;
  float rangeMax = 1.0f;
  float defaultValue = 0.0f;
  std::string defaultText;
  std::vector<std::string> fileExtensions;
  std::uint64_t pendingEvents = 0;
  std::string group;
};

// True for the parameter types whose value is a text rather than a float.
inline bool IsTextType(FFUInt32 type) { return type == FF_TYPE_TEXT || type == FF_TYPE_FILE; }

class CFFGLPluginManager {
 public:
  explicit CFFGLPluginManager(bool topLeftOrientationSupported);
  virtual ~CFFGLPluginManager();

  CFFGLPluginManager(const CFFGLPluginManager&) = delete;
  CFFGLPluginManager& operator=(const CFFGLPluginManager&) = delete;

  // --- Definitions: each appends a record; duplicates are appended too, and
  // every lookup finds the first record with a matching ID.
  void SetParamInfo(FFUInt32 id, const char* name, FFUInt32 type, float defaultValue);
  void SetParamInfo(FFUInt32 id, const char* name, FFUInt32 type, bool defaultValue);
  void SetParamInfo(FFUInt32 id, const char* name, FFUInt32 type, const char* defaultText);
  void SetOptionParamInfo(FFUInt32 id, const char* name, unsigned elementCount, float defaultValue);
  void SetBufferParamInfo(FFUInt32 id, const char* name, unsigned elementCount, FFUInt32 usage);
  void SetFileParamInfo(FFUInt32 id, const char* name, std::vector<std::string> extensions,
                        const char* defaultText);

  // Appends the record `definition` describes under `id`: an option's
  // elements valued 0, 1, 2 ..., an integer's range, a text's default text.
  void DefineParameter(FFUInt32 id, const ParameterDefinition& definition);

  // --- Changes to an existing record; an unknown ID or element index is ignored.
  void SetParamElementInfo(FFUInt32 id, FFUInt32 elementIndex, const char* name, float value);
  void SetParamRange(FFUInt32 id, float minimum, float maximum);
  void SetParamVisibility(FFUInt32 id, bool visible, bool raiseEvent);
  void SetParamDisplayName(FFUInt32 id, std::string displayName, bool raiseEvent);
  void SetParamGroup(FFUInt32 id, std::string group);
  void SetParamElements(FFUInt32 id, const std::vector<std::string>& names,
                        const std::vector<float>& values, bool raiseEvent);
  void AddParamElementMark(FFUInt32 id, FFUInt32 elementIndex);
  void RaiseParamEvent(FFUInt32 id, std::uint64_t eventBits);

  ParamInfo* FindParam(FFUInt32 id);
  const ParamInfo* FindParam(FFUInt32 id) const;

  // All records in definition order (the host's event walk and counts use it).
  std::vector<ParamInfo>& Params() { return params_; }
  const std::vector<ParamInfo>& Params() const { return params_; }
  FFUInt32 GetNumParams() const { return static_cast<FFUInt32>(params_.size()); }

  // --- Plug-in-wide settings behind the capability answers.
  void SetMinInputs(int count) { minInputs_ = count; }
  void SetMaxInputs(int count) { maxInputs_ = count; }
  void SetTimeSupported(bool supported) { timeSupported_ = supported; }
  int GetMinInputs() const { return minInputs_; }
  int GetMaxInputs() const { return maxInputs_; }
  bool GetTimeSupported() const { return timeSupported_; }
  bool GetTopLeftOrientationSupported() const { return topLeftSupported_; }
  int GetTopLeftOrientationEnabled() const { return topLeftEnabled_; }
  void SetTopLeftOrientationEnabled(int enabled) { topLeftEnabled_ = enabled; }

 private:
  ParamInfo& Append(FFUInt32 id, const char* name, FFUInt32 type);

  std::vector<ParamInfo> params_;
  int minInputs_ = 0;
  int maxInputs_ = 0;
  bool timeSupported_ = true;
  bool topLeftSupported_;
  int topLeftEnabled_ = 0;
};

#include "host/PluginManager.h"

#include <algorithm>
#include <utility>

namespace {

std::string TextOrEmpty(const char* text) { return text ? std::string(text) : std::string(); }

}  // namespace

CFFGLPluginManager::CFFGLPluginManager(bool topLeftOrientationSupported)
    : topLeftSupported_(topLeftOrientationSupported) {}

CFFGLPluginManager::~CFFGLPluginManager() = default;

ParamInfo& CFFGLPluginManager::Append(FFUInt32 id, const char* name, FFUInt32 type) {
  ParamInfo info;
  info.ID = id;
  info.name = TextOrEmpty(name);
  info.type = type;
  params_.push_back(std::move(info));
  return params_.back();
}

void CFFGLPluginManager::SetParamInfo(FFUInt32 id, const char* name, FFUInt32 type,
                                      float defaultValue) {
  ParamInfo& info = Append(id, name, type);
  info.elements.resize(1);
  info.defaultValue =
      type == FF_TYPE_STANDARD ? std::clamp(defaultValue, 0.0f, 1.0f) : defaultValue;
}

void CFFGLPluginManager::SetParamInfo(FFUInt32 id, const char* name, FFUInt32 type,
                                      bool defaultValue) {
  ParamInfo& info = Append(id, name, type);
  info.defaultValue = defaultValue ? 1.0f : 0.0f;
}

void CFFGLPluginManager::SetParamInfo(FFUInt32 id, const char* name, FFUInt32 type,
                                      const char* defaultText) {
  ParamInfo& info = Append(id, name, type);
  info.elements.resize(1);
  info.defaultText = TextOrEmpty(defaultText);
}

void CFFGLPluginManager::SetOptionParamInfo(FFUInt32 id, const char* name, unsigned elementCount,
                                            float defaultValue) {
  ParamInfo& info = Append(id, name, FF_TYPE_OPTION);
  info.elements.resize(elementCount);
  info.defaultValue = defaultValue;
}

void CFFGLPluginManager::SetBufferParamInfo(FFUInt32 id, const char* name, unsigned elementCount,
                                            FFUInt32 usage) {
  ParamInfo& info = Append(id, name, FF_TYPE_BUFFER);
  info.elements.resize(elementCount);
  info.usage = usage;
}

void CFFGLPluginManager::SetFileParamInfo(FFUInt32 id, const char* name,
                                          std::vector<std::string> extensions,
                                          const char* defaultText) {
  ParamInfo& info = Append(id, name, FF_TYPE_FILE);
  info.fileExtensions = std::move(extensions);
  info.defaultText = TextOrEmpty(defaultText);
}

void CFFGLPluginManager::SetParamElementInfo(FFUInt32 id, FFUInt32 elementIndex, const char* name,
                                             float value) {
  ParamInfo* info = FindParam(id);
  if (!info || elementIndex >= info->elements.size()) return;
  info->elements[elementIndex].name = TextOrEmpty(name);
  info->elements[elementIndex].value = value;
}

void CFFGLPluginManager::SetParamRange(FFUInt32 id, float minimum, float maximum) {
  if (ParamInfo* info = FindParam(id)) {
    info->rangeMin = minimum;
    info->rangeMax = maximum;
  }
}

void CFFGLPluginManager::SetParamVisibility(FFUInt32 id, bool visible, bool raiseEvent) {
  ParamInfo* info = FindParam(id);
  if (!info) return;
  const bool changed = info->visible != visible;
  info->visible = visible;
  if (raiseEvent && changed) info->pendingEvents |= FF_EVENT_FLAG_VISIBILITY;
}

void CFFGLPluginManager::SetParamDisplayName(FFUInt32 id, std::string displayName,
                                             bool raiseEvent) {
  ParamInfo* info = FindParam(id);
  if (!info) return;
  const bool changed = info->displayName != displayName;
  info->displayName = std::move(displayName);
  if (raiseEvent && changed) info->pendingEvents |= FF_EVENT_FLAG_DISPLAY_NAME;
}

void CFFGLPluginManager::SetParamGroup(FFUInt32 id, std::string group) {
  if (ParamInfo* info = FindParam(id)) info->group = std::move(group);
}

void CFFGLPluginManager::SetParamElements(FFUInt32 id, const std::vector<std::string>& names,
                                          const std::vector<float>& values, bool raiseEvent) {
  ParamInfo* info = FindParam(id);
  if (!info || info->type != FF_TYPE_OPTION || names.size() != values.size()) return;
  info->elements.resize(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) info->elements[i] = {names[i], values[i]};
  if (raiseEvent) info->pendingEvents |= FF_EVENT_FLAG_ELEMENTS;
}

void CFFGLPluginManager::AddParamElementMark(FFUInt32 id, FFUInt32 elementIndex) {
  if (ParamInfo* info = FindParam(id)) info->elementMarks.push_back(elementIndex);
}

void CFFGLPluginManager::RaiseParamEvent(FFUInt32 id, std::uint64_t eventBits) {
  if (ParamInfo* info = FindParam(id)) info->pendingEvents |= eventBits;
}

ParamInfo* CFFGLPluginManager::FindParam(FFUInt32 id) {
  auto it = std::find_if(params_.begin(), params_.end(),
                         [id](const ParamInfo& info) { return info.ID == id; });
  return it == params_.end() ? nullptr : &*it;
}

const ParamInfo* CFFGLPluginManager::FindParam(FFUInt32 id) const {
  return const_cast<CFFGLPluginManager*>(this)->FindParam(id);
}

void CFFGLPluginManager::DefineParameter(FFUInt32 id, const ParameterDefinition& d) {
  switch (d.type) {
    case FF_TYPE_TEXT:
      SetParamInfo(id, d.name, FF_TYPE_TEXT, d.defaultText ? d.defaultText : "");
      break;
    case FF_TYPE_OPTION:
      SetOptionParamInfo(id, d.name, d.elementCount, d.defaultValue);
      for (FFUInt32 e = 0; e < d.elementCount; ++e)
        SetParamElementInfo(id, e, d.elements[e], static_cast<float>(e));
      break;
    case FF_TYPE_INTEGER:
      SetParamInfo(id, d.name, FF_TYPE_INTEGER, d.defaultValue);
      SetParamRange(id, d.minimum, d.maximum);
      break;
    case FF_TYPE_BOOLEAN:
      SetParamInfo(id, d.name, FF_TYPE_BOOLEAN, d.defaultValue > 0.5f);
      break;
    default:
      SetParamInfo(id, d.name, d.type, d.defaultValue);
      break;
  }
}

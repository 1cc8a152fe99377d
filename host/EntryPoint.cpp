// plugMain: the function-code table. Each entry is a short trampoline onto a
// named operation and says whether its code needs a live instance; every
// host-supplied pointer and instance identifier is checked here, once, with a
// defined answer for bad ones.
#include "host/EntryPoint.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <unordered_set>

#include "gl/ShaderProgram.h"
#include "host/GLLoader.h"
#include "host/HostLog.h"
#include "host/Plugin.h"
#include "host/PluginRegistration.h"

namespace {

// Process-wide state. The host never overlaps calls, so none of it is locked.
CFFGLPlugin* prototype = nullptr;
std::unordered_set<const CFFGLPlugin*> liveInstances;
FFLogCallback logCallback = nullptr;

FFMixed Fail() { return FFNumber(FF_FAIL); }
FFMixed Null() { return FFPointer(nullptr); }

FFMixed FloatBits(float value) {
  FFUInt32 bits;
  std::memcpy(&bits, &value, sizeof bits);
  return FFNumber(bits);
}

float FloatFromBits(FFUInt32 bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

template <typename Record>
Record* RecordIn(FFMixed input) {
  return static_cast<Record*>(input.PointerValue);
}

// Makes the prototype on first need; null when that is impossible.
CFFGLPlugin* EnsurePrototype() {
  if (prototype) return prototype;
  const PluginRegistration* registration = RegisteredPlugin();
  if (!registration) return nullptr;
  if (FFInitialiseHook initialise = registration->InitialiseHook()) {
    const FFUInt32 answer = initialise();
    if (answer == FF_FAIL) return nullptr;
    if (answer != 0) return prototype;
    if (prototype) return prototype;
  }
  CFFGLPlugin* made = nullptr;
  if (!registration->Factory() || registration->Factory()(&made) == FF_FAIL || !made)
    return nullptr;
  prototype = made;
  return prototype;
}

// The live instance named by the identifier, or null. Identifiers that name
// no live instance (never made, or already destroyed) are refused rather
// than dereferenced.
CFFGLPlugin* LiveInstance(FFInstanceID id) {
  auto* instance = static_cast<CFFGLPlugin*>(id);
  return liveInstances.count(instance) ? instance : nullptr;
}

// Codes that read the instance's records when one is given and the
// prototype's otherwise.
CFFGLPlugin* InstanceOrPrototype(FFInstanceID id) {
  return id ? LiveInstance(id) : EnsurePrototype();
}

FFUInt32 TypeInPrototype(FFUInt32 id) {
  CFFGLPlugin* proto = EnsurePrototype();
  const ParamInfo* info = proto ? proto->FindParam(id) : nullptr;
  return info ? info->type : FF_FAIL;
}

// ---------------------------------------------------------------------------
// Registration-wide operations.

FFMixed Deinitialise() {
  const PluginRegistration* registration = RegisteredPlugin();
  if (!registration) return Fail();
  delete prototype;
  prototype = nullptr;
  if (FFDeinitialiseHook deinitialise = registration->DeinitialiseHook()) deinitialise();
  return FFNumber(FF_SUCCESS);
}

FFMixed Initialise() {
  const PluginRegistration* registration = RegisteredPlugin();
  if (!registration) return Fail();
  if (FFInitialiseHook initialise = registration->InitialiseHook()) {
    const FFUInt32 answer = initialise();
    if (answer != 0) return FFNumber(answer);
  }
  return FFNumber(EnsurePrototype() ? FF_SUCCESS : FF_FAIL);
}

FFMixed Capability(FFUInt32 capability) {
  CFFGLPlugin* proto = EnsurePrototype();
  if (!proto) return Fail();
  auto atLeastOne = [](int value) { return static_cast<FFUInt32>(value < 1 ? 0 : value); };
  switch (capability) {
    case FF_CAP_SET_TIME: return FFNumber(proto->GetTimeSupported() ? 1 : 0);
    case FF_CAP_MINIMUM_INPUT_FRAMES: return FFNumber(atLeastOne(proto->GetMinInputs()));
    case FF_CAP_MAXIMUM_INPUT_FRAMES: return FFNumber(atLeastOne(proto->GetMaxInputs()));
    case FF_CAP_TOP_LEFT_TEXTURE_ORIENTATION:
      return FFNumber(proto->GetTopLeftOrientationSupported() ? 1 : 0);
    default: return FFNumber(0);
  }
}

// ---------------------------------------------------------------------------
// Parameter queries.

FFMixed ParameterCount() {
  CFFGLPlugin* proto = EnsurePrototype();
  return proto ? FFNumber(proto->GetNumParams()) : Fail();
}

FFMixed ParameterName(FFUInt32 id) {
  CFFGLPlugin* proto = EnsurePrototype();
  const ParamInfo* info = proto ? proto->FindParam(id) : nullptr;
  return info ? FFPointer(info->name.c_str()) : Null();
}

FFMixed ParameterDefault(FFUInt32 id) {
  CFFGLPlugin* proto = EnsurePrototype();
  const ParamInfo* info = proto ? proto->FindParam(id) : nullptr;
  if (!info) return Fail();
  if (IsTextType(info->type)) return FFPointer(info->defaultText.c_str());
  return FloatBits(info->defaultValue);
}

// Number-valued field of the prototype's record; failure when there is none.
template <typename Read>
FFMixed PrototypeField(FFUInt32 id, Read read) {
  CFFGLPlugin* proto = EnsurePrototype();
  const ParamInfo* info = proto ? proto->FindParam(id) : nullptr;
  return info ? FFNumber(read(*info)) : Fail();
}

FFMixed ElementCount(FFInstanceID instanceID, FFUInt32 id) {
  CFFGLPlugin* owner = InstanceOrPrototype(instanceID);
  const ParamInfo* info = owner ? owner->FindParam(id) : nullptr;
  return info ? FFNumber(static_cast<FFUInt32>(info->elements.size())) : Fail();
}

const ParamElement* FindElement(CFFGLPlugin* owner, const GetParameterElementStruct* address) {
  if (!owner || !address) return nullptr;
  const ParamInfo* info = owner->FindParam(address->ParameterNumber);
  if (!info || address->ElementNumber >= info->elements.size()) return nullptr;
  return &info->elements[address->ElementNumber];
}

FFMixed ElementName(FFInstanceID instanceID, FFMixed input) {
  const ParamElement* element =
      FindElement(InstanceOrPrototype(instanceID), RecordIn<GetParameterElementStruct>(input));
  return element ? FFPointer(element->name.c_str()) : Null();
}

FFMixed ElementValue(FFInstanceID instanceID, FFMixed input) {
  const ParamElement* element =
      FindElement(InstanceOrPrototype(instanceID), RecordIn<GetParameterElementStruct>(input));
  return element ? FloatBits(element->value) : Fail();
}

FFMixed SetElementValue(CFFGLPlugin* instance, FFMixed input) {
  const auto* record = RecordIn<SetParameterElementValueStruct>(input);
  if (!record) return Fail();
  ParamInfo* info = instance->FindParam(record->ParameterNumber);
  if (!info || record->ElementNumber >= info->elements.size()) return Fail();
  info->elements[record->ElementNumber].value = record->NewParameterValue;
  return FFNumber(FF_SUCCESS);
}

FFMixed Range(FFMixed input) {
  auto* query = RecordIn<GetRangeStruct>(input);
  if (!query) return Fail();
  CFFGLPlugin* proto = EnsurePrototype();
  if (!proto) return Fail();
  const ParamInfo* info = proto->FindParam(query->parameterNumber);
  query->range.min = info ? info->rangeMin : 0.0f;
  query->range.max = info ? info->rangeMax : 1.0f;
  return FFNumber(FF_SUCCESS);
}

FFMixed Thumbnail(FFMixed input) {
  auto* thumbnail = RecordIn<GetThumbnailStruct>(input);
  if (!thumbnail) return Fail();
  thumbnail->width = 0;
  thumbnail->height = 0;
  return Fail();
}

FFMixed FileExtensionCount(FFUInt32 id) {
  CFFGLPlugin* proto = EnsurePrototype();
  if (!proto) return Fail();
  const ParamInfo* info = proto->FindParam(id);
  return FFNumber(info ? static_cast<FFUInt32>(info->fileExtensions.size()) : 0);
}

FFMixed FileExtension(FFMixed input) {
  const auto* address = RecordIn<GetParameterElementStruct>(input);
  CFFGLPlugin* proto = address ? EnsurePrototype() : nullptr;
  const ParamInfo* info = proto ? proto->FindParam(address->ParameterNumber) : nullptr;
  if (!info || address->ElementNumber >= info->fileExtensions.size()) return Null();
  return FFPointer(info->fileExtensions[address->ElementNumber].c_str());
}

FFMixed Visibility(FFInstanceID instanceID, FFUInt32 id) {
  CFFGLPlugin* owner = InstanceOrPrototype(instanceID);
  const ParamInfo* info = owner ? owner->FindParam(id) : nullptr;
  return info ? FFNumber(info->visible ? 1 : 0) : Fail();
}

FFMixed ElementMarkCount(FFUInt32 id) {
  CFFGLPlugin* proto = EnsurePrototype();
  const ParamInfo* info = proto ? proto->FindParam(id) : nullptr;
  return FFNumber(info ? static_cast<FFUInt32>(info->elementMarks.size()) : 0);
}

FFMixed ElementMark(FFMixed input) {
  const auto* address = RecordIn<GetParameterElementStruct>(input);
  CFFGLPlugin* proto = address ? EnsurePrototype() : nullptr;
  const ParamInfo* info = proto ? proto->FindParam(address->ParameterNumber) : nullptr;
  if (!info || address->ElementNumber >= info->elementMarks.size()) return Fail();
  return FFNumber(info->elementMarks[address->ElementNumber]);
}

// Codes 50 and 51: copies min(length, size) bytes and adds no terminator.
FFMixed CopyText(const std::string& text, GetStringStruct* buffer) {
  const std::size_t count = std::min<std::size_t>(text.size(), buffer->maxToWrite);
  std::memcpy(buffer->stringBuffer, text.data(), count);
  return FFNumber(FF_SUCCESS);
}

bool UsableTextBuffer(const GetStringStruct* buffer) {
  return buffer && buffer->maxToWrite != 0 && buffer->stringBuffer;
}

FFMixed Group(FFMixed input) {
  auto* buffer = RecordIn<GetStringStruct>(input);
  if (!UsableTextBuffer(buffer)) return Fail();
  CFFGLPlugin* proto = EnsurePrototype();
  if (!proto) return Fail();
  const ParamInfo* info = proto->FindParam(buffer->parameterNumber);
  return CopyText(info ? info->group : std::string(), buffer);
}

FFMixed DisplayName(CFFGLPlugin* instance, FFMixed input) {
  auto* buffer = RecordIn<GetStringStruct>(input);
  if (!UsableTextBuffer(buffer)) return Fail();
  const ParamInfo* info = instance->FindParam(buffer->parameterNumber);
  return CopyText(info ? info->displayName : std::string(), buffer);
}

// ---------------------------------------------------------------------------
// Instance operations.

FFMixed SetParameter(CFFGLPlugin* instance, FFMixed input) {
  const auto* record = RecordIn<SetParameterStruct>(input);
  if (!record) return Fail();
  const FFUInt32 id = record->ParameterNumber;
  if (IsTextType(TypeInPrototype(id)))
    return FFNumber(instance->SetTextParameter(
        id, static_cast<const char*>(record->NewParameterValue.PointerValue)));
  return FFNumber(
      instance->SetFloatParameter(id, FloatFromBits(record->NewParameterValue.UIntValue)));
}

FFMixed GetParameter(CFFGLPlugin* instance, FFUInt32 id) {
  if (IsTextType(TypeInPrototype(id))) return FFPointer(instance->GetTextParameter(id));
  return FloatBits(instance->GetFloatParameter(id));
}

FFMixed ParameterEvents(CFFGLPlugin* instance, FFMixed input) {
  auto* list = RecordIn<GetParamEventsStruct>(input);
  if (!list) return Fail();
  std::vector<ParamInfo>& params = instance->Params();
  if (!list->events) {
    list->numEvents = static_cast<FFUInt32>(std::count_if(
        params.begin(), params.end(), [](const ParamInfo& p) { return p.pendingEvents != 0; }));
    return FFNumber(FF_SUCCESS);
  }
  const FFUInt32 capacity = list->numEvents;
  FFUInt32 written = 0;
  for (ParamInfo& param : params) {
    if (written >= capacity) break;
    if (param.pendingEvents == 0) continue;
    list->events[written].ID = param.ID;
    list->events[written].eventFlags = param.pendingEvents;
    param.pendingEvents = 0;
    ++written;
  }
  list->numEvents = written;
  return FFNumber(FF_SUCCESS);
}

FFMixed ProcessFrame(CFFGLPlugin* instance, FFMixed input) {
  auto* frame = RecordIn<ProcessOpenGLStruct>(input);
  if (!frame) return Fail();
  if (!instance->IsConnected()) {
    instance->Connect();
    instance->SetConnected(true);
  }
  return FFNumber(instance->ProcessOpenGL(frame));
}

FFMixed Instantiate(FFMixed input) {
  const auto* viewport = RecordIn<FFGLViewportStruct>(input);
  const PluginRegistration* registration = RegisteredPlugin();
  if (!viewport || !registration) return Fail();
  CFFGLPlugin* proto = EnsurePrototype();
  if (!proto) return Fail();

  CFFGLPlugin* made = nullptr;
  if (!registration->Factory() || registration->Factory()(&made) == FF_FAIL || !made)
    return Fail();
  // Owned here until it is live: every failure below destroys it.
  std::unique_ptr<CFFGLPlugin> object(made);
  object->SetSelf(made);

  for (FFUInt32 id = 0; id < proto->GetNumParams(); ++id) {
    const ParamInfo* info = proto->FindParam(id);
    const FFUInt32 answer = info && IsTextType(info->type)
                                ? object->SetTextParameter(id, info->defaultText.c_str())
                                : object->SetFloatParameter(
                                      id, info ? info->defaultValue : FloatFromBits(FF_FAIL));
    if (answer == FF_FAIL) return Fail();
  }

  if (!EnsureGLLoader()) return Fail();
  if (object->InitGL(viewport) != FF_SUCCESS) {
    object->DeInitGL();
    return Fail();
  }
  liveInstances.insert(made);
  return FFPointer(object.release());
}

FFMixed Deinstantiate(CFFGLPlugin* instance) {
  if (instance->IsConnected()) {
    instance->Disconnect();
    instance->SetConnected(false);
  }
  instance->DeInitGL();
  liveInstances.erase(instance);
  delete instance;
  return FFNumber(FF_SUCCESS);
}

FFMixed EnableCapability(CFFGLPlugin* instance, FFUInt32 capability) {
  if (capability == FF_CAP_TOP_LEFT_TEXTURE_ORIENTATION && instance &&
      Capability(capability).UIntValue == 1)
    instance->SetTopLeftOrientationEnabled(1);
  return Fail();
}

// One function code's call: the host's input, its instance identifier and,
// for codes that need one, the live instance it names.
struct Call {
  FFMixed input;
  FFInstanceID id;
  CFFGLPlugin* instance;  // never null for codes that need a live instance
  FFUInt32 Number() const { return input.UIntValue; }
};

struct CodeEntry {
  FFUInt32 code;
  bool needsLiveInstance;  // failure when the identifier names no live instance
  FFMixed (*handle)(const Call& call);
};

// Every function code this entry point answers; any other code fails.
constexpr CodeEntry kCodes[] = {
    // Registration-wide codes.
    {FF_GET_INFO, false,
     [](const Call&) {
       const PluginRegistration* registration = RegisteredPlugin();
       return registration ? FFPointer(registration->Info()) : Null();
     }},
    {FF_DEINITIALISE, false, [](const Call&) { return Deinitialise(); }},
    {FF_GET_NUM_PARAMETERS, false, [](const Call&) { return ParameterCount(); }},
    {FF_GET_PARAMETER_NAME, false, [](const Call& c) { return ParameterName(c.Number()); }},
    {FF_GET_PARAMETER_DEFAULT, false, [](const Call& c) { return ParameterDefault(c.Number()); }},
    {FF_GET_PLUGIN_CAPS, false, [](const Call& c) { return Capability(c.Number()); }},
    {FF_GET_EXTENDED_INFO, false,
     [](const Call&) {
       const PluginRegistration* registration = RegisteredPlugin();
       return registration ? FFPointer(registration->ExtendedInfo()) : Null();
     }},
    {FF_GET_PARAMETER_TYPE, false,
     [](const Call& c) {
       return PrototypeField(c.Number(), [](const ParamInfo& p) { return p.type; });
     }},
    {FF_INSTANTIATE_GL, false, [](const Call& c) { return Instantiate(c.input); }},
    {FF_GET_NUM_PARAMETER_ELEMENTS, false,
     [](const Call& c) { return ElementCount(c.id, c.Number()); }},
    {FF_GET_PARAMETER_USAGE, false,
     [](const Call& c) {
       return PrototypeField(c.Number(), [](const ParamInfo& p) { return p.usage; });
     }},
    {FF_GET_PLUGIN_SHORT_NAME, false,
     [](const Call&) {
       CFFGLPlugin* proto = RegisteredPlugin() ? EnsurePrototype() : nullptr;
       return proto ? FFPointer(reinterpret_cast<void*>(proto->QueryPluginValue())) : Null();
     }},
    {FF_INITIALISE_V2, false, [](const Call&) { return Initialise(); }},
    {FF_GET_PARAM_ELEMENT_NAME, false, [](const Call& c) { return ElementName(c.id, c.input); }},
    {FF_GET_PARAM_ELEMENT_DEFAULT, false,
     [](const Call& c) { return ElementValue(c.id, c.input); }},
    {FF_GET_RANGE, false, [](const Call& c) { return Range(c.input); }},
    {FF_GET_THUMBNAIL, false, [](const Call& c) { return Thumbnail(c.input); }},
    {FF_GET_NUM_FILE_PARAMETER_EXTENSIONS, false,
     [](const Call& c) { return FileExtensionCount(c.Number()); }},
    {FF_GET_FILE_PARAMETER_EXTENSION, false, [](const Call& c) { return FileExtension(c.input); }},
    {FF_GET_PRAMETER_VISIBILITY, false,
     [](const Call& c) { return Visibility(c.id, c.Number()); }},
    {FF_GET_NUM_ELEMENT_SEPARATORS, false,
     [](const Call& c) { return ElementMarkCount(c.Number()); }},
    {FF_GET_SEPARATOR_ELEMENT_INDEX, false, [](const Call& c) { return ElementMark(c.input); }},
    // An identifier that names no live instance only skips the enabling.
    {FF_ENABLE_PLUGIN_CAP, false,
     [](const Call& c) { return EnableCapability(LiveInstance(c.id), c.Number()); }},
    {FF_GET_PARAMETER_GROUP, false, [](const Call& c) { return Group(c.input); }},

    // Codes that need a live instance.
    {FF_GET_PARAMETER_DISPLAY, true,
     [](const Call& c) { return FFPointer(c.instance->GetParameterDisplay(c.Number())); }},
    {FF_SET_PARAMETER, true, [](const Call& c) { return SetParameter(c.instance, c.input); }},
    {FF_GET_PARAMETER, true, [](const Call& c) { return GetParameter(c.instance, c.Number()); }},
    {FF_GET_INPUT_STATUS, true,
     [](const Call& c) { return FFNumber(c.instance->GetInputStatus(c.Number())); }},
    {FF_PROCESS_OPENGL, true, [](const Call& c) { return ProcessFrame(c.instance, c.input); }},
    {FF_DEINSTANTIATE_GL, true, [](const Call& c) { return Deinstantiate(c.instance); }},
    {FF_SET_TIME, true,
     [](const Call& c) {
       const auto* seconds = RecordIn<double>(c.input);
       return seconds ? FFNumber(c.instance->SetTime(*seconds)) : Fail();
     }},
    {FF_CONNECT, true,
     [](const Call& c) {
       const FFUInt32 answer = c.instance->Connect();
       if (answer == FF_SUCCESS) c.instance->SetConnected(true);
       return FFNumber(answer);
     }},
    {FF_DISCONNECT, true,
     [](const Call& c) {
       const FFUInt32 answer = c.instance->Disconnect();
       if (answer == FF_SUCCESS) c.instance->SetConnected(false);
       return FFNumber(answer);
     }},
    {FF_RESIZE, true,
     [](const Call& c) {
       const auto* viewport = RecordIn<FFGLViewportStruct>(c.input);
       return viewport ? FFNumber(c.instance->Resize(viewport)) : Fail();
     }},
    {FF_SET_PARAM_ELEMENT_VALUE, true,
     [](const Call& c) { return SetElementValue(c.instance, c.input); }},
    {FF_SET_BEAT_INFO, true,
     [](const Call& c) {
       const auto* beat = RecordIn<SetBeatinfoStruct>(c.input);
       if (!beat) return Fail();
       c.instance->SetBeatInfo(beat->bpm, beat->barPhase);
       return FFNumber(FF_SUCCESS);
     }},
    {FF_SET_HOSTINFO, true,
     [](const Call& c) {
       const auto* host = RecordIn<SetHostinfoStruct>(c.input);
       if (!host) return Fail();
       c.instance->SetHostInfo(host->name, host->version);
       return FFNumber(FF_SUCCESS);
     }},
    {FF_SET_SAMPLERATE, true,
     [](const Call& c) {
       c.instance->SetSampleRate(c.Number());
       return FFNumber(FF_SUCCESS);
     }},
    {FF_GET_PARAMETER_EVENTS, true,
     [](const Call& c) { return ParameterEvents(c.instance, c.input); }},
    {FF_GET_PARAMETER_DISPLAY_NAME, true,
     [](const Call& c) { return DisplayName(c.instance, c.input); }},
};

constexpr bool EachCodeOnce() {
  const std::size_t count = std::size(kCodes);
  for (std::size_t i = 0; i < count; ++i)
    for (std::size_t j = i + 1; j < count; ++j)
      if (kCodes[i].code == kCodes[j].code) return false;
  return true;
}
static_assert(EachCodeOnce(), "a function code with two entries would answer only the first");

FFMixed Dispatch(FFUInt32 code, FFMixed input, FFInstanceID instanceID) {
  const auto entry = std::find_if(std::begin(kCodes), std::end(kCodes),
                                  [code](const CodeEntry& e) { return e.code == code; });
  if (entry == std::end(kCodes)) return Fail();
  CFFGLPlugin* instance = nullptr;
  if (entry->needsLiveInstance) {
    instance = LiveInstance(instanceID);
    if (!instance) return Fail();
  }
  return entry->handle(Call{input, instanceID, instance});
}

}  // namespace

FFMixed plugMain(FFUInt32 functionCode, FFMixed inputValue, FFInstanceID instanceID) {
  try {
    return Dispatch(functionCode, inputValue, instanceID);
  } catch (...) {
    // Nothing may unwind into the host.
    return Fail();
  }
}

void SetLogCallback(FFLogCallback callback) { logCallback = callback; }

void LogToHost(const char* text) {
  const char* line = text ? text : "";
  if (logCallback)
    logCallback(line);
  else
    ffglex::LogDiagnostic(line);
}

#include "hostkit/PluginLibrary.h"

#include <cstring>
#include <utility>

#include "hostkit/SharedLibrary.h"

namespace hostkit {

float FloatFromBits(FFUInt32 bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

FFUInt32 BitsOfFloat(float value) {
  FFUInt32 bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

namespace {

template <typename Function>
Function Resolve(void* handle, const char* name) {
  void* symbol = detail::FindSymbol(handle, name);
  Function function;
  static_assert(sizeof function == sizeof symbol, "function and object pointers differ");
  std::memcpy(&function, &symbol, sizeof function);
  return function;
}

const char* TextAnswer(FFMixed answer) { return static_cast<const char*>(answer.PointerValue); }

}  // namespace

PluginLibrary::PluginLibrary(const std::string& path, bool keepLoaded) : path_(path) {
  std::string reason;
  handle_ = detail::OpenSharedLibrary(path, keepLoaded, reason);
  if (!handle_) throw PluginLoadError("cannot load plug-in " + path + ": " + reason);
  plugMain_ = Resolve<PlugMainFunction>(handle_, "plugMain");
  setLogCallback_ = Resolve<SetLogCallbackFunction>(handle_, "SetLogCallback");
  if (!plugMain_) {
    detail::CloseSharedLibrary(handle_);
    throw PluginLoadError("not an FFGL plug-in (no plugMain export): " + path);
  }
}

PluginLibrary::PluginLibrary(PlugMainFunction plugMain, SetLogCallbackFunction setLogCallback,
                             std::string name)
    : path_(std::move(name)), plugMain_(plugMain), setLogCallback_(setLogCallback) {
  if (!plugMain_) throw PluginLoadError("no plugMain given for " + path_);
}

PluginLibrary::~PluginLibrary() {
  if (handle_) detail::CloseSharedLibrary(handle_);
}

FFMixed PluginLibrary::Call(FFUInt32 code, FFMixed input, FFInstanceID instance) const {
  return plugMain_(code, input, instance);
}

FFMixed PluginLibrary::Call(FFUInt32 code, FFUInt32 number, FFInstanceID instance) const {
  return plugMain_(code, FFNumber(number), instance);
}

FFMixed PluginLibrary::CallWith(FFUInt32 code, const void* record, FFInstanceID instance) const {
  return plugMain_(code, FFPointer(record), instance);
}

void PluginLibrary::SetLogCallback(FFLogCallback callback) const {
  if (setLogCallback_) setLogCallback_(callback);
}

const PluginInfoStruct* PluginLibrary::GetInfo() const {
  return static_cast<const PluginInfoStruct*>(Call(FF_GET_INFO, 0).PointerValue);
}

FFUInt32 PluginLibrary::Deinitialise() const { return Call(FF_DEINITIALISE, 0).UIntValue; }

FFUInt32 PluginLibrary::GetNumParameters() const {
  return Call(FF_GET_NUM_PARAMETERS, 0).UIntValue;
}

const char* PluginLibrary::GetParameterName(FFUInt32 id) const {
  return TextAnswer(Call(FF_GET_PARAMETER_NAME, id));
}

FFMixed PluginLibrary::GetParameterDefault(FFUInt32 id) const {
  return Call(FF_GET_PARAMETER_DEFAULT, id);
}

FFUInt32 PluginLibrary::GetCapability(FFUInt32 capability) const {
  return Call(FF_GET_PLUGIN_CAPS, capability).UIntValue;
}

const PluginExtendedInfoStruct* PluginLibrary::GetExtendedInfo() const {
  return static_cast<const PluginExtendedInfoStruct*>(Call(FF_GET_EXTENDED_INFO, 0).PointerValue);
}

FFUInt32 PluginLibrary::GetParameterType(FFUInt32 id) const {
  return Call(FF_GET_PARAMETER_TYPE, id).UIntValue;
}

FFUInt32 PluginLibrary::GetParameterUsage(FFUInt32 id) const {
  return Call(FF_GET_PARAMETER_USAGE, id).UIntValue;
}

FFMixed PluginLibrary::QueryPluginValue() const { return Call(FF_GET_PLUGIN_SHORT_NAME, 0); }

FFUInt32 PluginLibrary::Initialise() const { return Call(FF_INITIALISE_V2, 0).UIntValue; }

FFUInt32 PluginLibrary::GetRange(FFUInt32 id, float& minimum, float& maximum) const {
  GetRangeStruct query{id, {minimum, maximum}};
  const FFUInt32 answer = CallWith(FF_GET_RANGE, &query).UIntValue;
  minimum = query.range.min;
  maximum = query.range.max;
  return answer;
}

FFUInt32 PluginLibrary::GetThumbnail(GetThumbnailStruct& thumbnail) const {
  return CallWith(FF_GET_THUMBNAIL, &thumbnail).UIntValue;
}

FFUInt32 PluginLibrary::GetFileExtensionCount(FFUInt32 id) const {
  return Call(FF_GET_NUM_FILE_PARAMETER_EXTENSIONS, id).UIntValue;
}

const char* PluginLibrary::GetFileExtension(FFUInt32 id, FFUInt32 index) const {
  const GetParameterElementStruct address{id, index};
  return TextAnswer(CallWith(FF_GET_FILE_PARAMETER_EXTENSION, &address));
}

FFUInt32 PluginLibrary::GetElementMarkCount(FFUInt32 id) const {
  return Call(FF_GET_NUM_ELEMENT_SEPARATORS, id).UIntValue;
}

FFUInt32 PluginLibrary::GetElementMark(FFUInt32 id, FFUInt32 index) const {
  const GetParameterElementStruct address{id, index};
  return CallWith(FF_GET_SEPARATOR_ELEMENT_INDEX, &address).UIntValue;
}

FFUInt32 PluginLibrary::GetParameterGroup(GetStringStruct& buffer) const {
  return CallWith(FF_GET_PARAMETER_GROUP, &buffer).UIntValue;
}

FFUInt32 PluginLibrary::GetElementCount(FFInstanceID instance, FFUInt32 id) const {
  return Call(FF_GET_NUM_PARAMETER_ELEMENTS, id, instance).UIntValue;
}

const char* PluginLibrary::GetElementName(FFInstanceID instance, FFUInt32 id,
                                          FFUInt32 index) const {
  const GetParameterElementStruct address{id, index};
  return TextAnswer(CallWith(FF_GET_PARAM_ELEMENT_NAME, &address, instance));
}

FFMixed PluginLibrary::GetElementValue(FFInstanceID instance, FFUInt32 id,
                                       FFUInt32 index) const {
  const GetParameterElementStruct address{id, index};
  return CallWith(FF_GET_PARAM_ELEMENT_DEFAULT, &address, instance);
}

FFUInt32 PluginLibrary::GetVisibility(FFInstanceID instance, FFUInt32 id) const {
  return Call(FF_GET_PRAMETER_VISIBILITY, id, instance).UIntValue;
}

FFInstanceID PluginLibrary::Instantiate(const FFGLViewportStruct& viewport) const {
  const FFMixed answer = CallWith(FF_INSTANTIATE_GL, &viewport);
  const auto value = reinterpret_cast<std::uintptr_t>(answer.PointerValue);
  return value == FF_FAIL ? nullptr : answer.PointerValue;
}

FFUInt32 PluginLibrary::Deinstantiate(FFInstanceID instance) const {
  return Call(FF_DEINSTANTIATE_GL, 0, instance).UIntValue;
}

FFMixed PluginLibrary::GetParameterDisplay(FFInstanceID instance, FFUInt32 id) const {
  return Call(FF_GET_PARAMETER_DISPLAY, id, instance);
}

FFUInt32 PluginLibrary::SetParameter(FFInstanceID instance, FFUInt32 id, float value) const {
  SetParameterStruct record{};
  record.ParameterNumber = id;
  record.NewParameterValue = FFNumber(BitsOfFloat(value));
  return CallWith(FF_SET_PARAMETER, &record, instance).UIntValue;
}

FFUInt32 PluginLibrary::SetTextParameter(FFInstanceID instance, FFUInt32 id,
                                         const char* text) const {
  SetParameterStruct record{};
  record.ParameterNumber = id;
  record.NewParameterValue = FFPointer(text);
  return CallWith(FF_SET_PARAMETER, &record, instance).UIntValue;
}

FFMixed PluginLibrary::GetParameter(FFInstanceID instance, FFUInt32 id) const {
  return Call(FF_GET_PARAMETER, id, instance);
}

float PluginLibrary::GetFloatParameter(FFInstanceID instance, FFUInt32 id) const {
  return FloatFromBits(GetParameter(instance, id).UIntValue);
}

FFUInt32 PluginLibrary::GetInputStatus(FFInstanceID instance, FFUInt32 index) const {
  return Call(FF_GET_INPUT_STATUS, index, instance).UIntValue;
}

FFUInt32 PluginLibrary::ProcessOpenGL(FFInstanceID instance, ProcessOpenGLStruct& frame) const {
  return CallWith(FF_PROCESS_OPENGL, &frame, instance).UIntValue;
}

FFUInt32 PluginLibrary::SetTime(FFInstanceID instance, double seconds) const {
  return CallWith(FF_SET_TIME, &seconds, instance).UIntValue;
}

FFUInt32 PluginLibrary::Connect(FFInstanceID instance) const {
  return Call(FF_CONNECT, 0, instance).UIntValue;
}

FFUInt32 PluginLibrary::Disconnect(FFInstanceID instance) const {
  return Call(FF_DISCONNECT, 0, instance).UIntValue;
}

FFUInt32 PluginLibrary::Resize(FFInstanceID instance, const FFGLViewportStruct& viewport) const {
  return CallWith(FF_RESIZE, &viewport, instance).UIntValue;
}

FFUInt32 PluginLibrary::SetElementValue(FFInstanceID instance, FFUInt32 id, FFUInt32 index,
                                        float value) const {
  const SetParameterElementValueStruct record{id, index, value};
  return CallWith(FF_SET_PARAM_ELEMENT_VALUE, &record, instance).UIntValue;
}

FFUInt32 PluginLibrary::SetBeatInfo(FFInstanceID instance, float bpm, float barPhase) const {
  const SetBeatinfoStruct record{bpm, barPhase};
  return CallWith(FF_SET_BEAT_INFO, &record, instance).UIntValue;
}

FFUInt32 PluginLibrary::SetHostInfo(FFInstanceID instance, const char* name,
                                    const char* version) const {
  const SetHostinfoStruct record{name, version};
  return CallWith(FF_SET_HOSTINFO, &record, instance).UIntValue;
}

FFUInt32 PluginLibrary::SetSampleRate(FFInstanceID instance, FFUInt32 rate) const {
  return Call(FF_SET_SAMPLERATE, rate, instance).UIntValue;
}

FFUInt32 PluginLibrary::GetParameterEvents(FFInstanceID instance,
                                           GetParamEventsStruct& list) const {
  return CallWith(FF_GET_PARAMETER_EVENTS, &list, instance).UIntValue;
}

FFUInt32 PluginLibrary::EnableCapability(FFInstanceID instance, FFUInt32 capability) const {
  return Call(FF_ENABLE_PLUGIN_CAP, capability, instance).UIntValue;
}

FFUInt32 PluginLibrary::GetParameterDisplayName(FFInstanceID instance,
                                                GetStringStruct& buffer) const {
  return CallWith(FF_GET_PARAMETER_DISPLAY_NAME, &buffer, instance).UIntValue;
}

}  // namespace hostkit

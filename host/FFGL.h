// The FFGL 2.1 host boundary: result codes, function codes, parameter type
// codes and every record that crosses plugMain, laid out as hosts expect.
// The layouts are the ABI, so each record's size and field offsets are pinned
// with static_asserts (64-bit, little-endian).
#pragma once

#include <cstddef>
#include <cstdint>

using FFUInt32 = std::uint32_t;

// One 64-bit slot that carries either a 32-bit number (low half, high half
// zero) or a pointer, both as argument and as answer of plugMain.
union FFMixed {
  FFUInt32 UIntValue;
  void* PointerValue;
};
static_assert(sizeof(FFMixed) == 8, "FFMixed is one 64-bit slot");

using FFInstanceID = void*;

// The host's log callback; the plug-in stores it and never calls it.
using FFLogCallback = void (*)(const char* message);

constexpr FFUInt32 FF_SUCCESS = 0;
constexpr FFUInt32 FF_FAIL = 0xFFFFFFFFu;
constexpr FFUInt32 FF_TRUE = 1;
constexpr FFUInt32 FF_FALSE = 0;

// Function codes of plugMain.
enum FFFunctionCode : FFUInt32 {
  FF_GET_INFO = 0,
  FF_DEINITIALISE = 2,
  FF_GET_NUM_PARAMETERS = 4,
  FF_GET_PARAMETER_NAME = 5,
  FF_GET_PARAMETER_DEFAULT = 6,
  FF_GET_PARAMETER_DISPLAY = 7,
  FF_SET_PARAMETER = 8,
  FF_GET_PARAMETER = 9,
  FF_GET_PLUGIN_CAPS = 10,
  FF_GET_EXTENDED_INFO = 13,
  FF_GET_PARAMETER_TYPE = 15,
  FF_GET_INPUT_STATUS = 16,
  FF_PROCESS_OPENGL = 17,
  FF_INSTANTIATE_GL = 18,
  FF_DEINSTANTIATE_GL = 19,
  FF_SET_TIME = 20,
  FF_CONNECT = 21,
  FF_DISCONNECT = 22,
  FF_RESIZE = 23,
  FF_GET_NUM_PARAMETER_ELEMENTS = 31,
  FF_GET_PARAMETER_USAGE = 32,
  FF_GET_PLUGIN_SHORT_NAME = 33,  // plug-in-wide query value
  FF_INITIALISE_V2 = 34,
  FF_GET_PARAM_ELEMENT_NAME = 35,
  FF_GET_PARAM_ELEMENT_DEFAULT = 36,
  FF_SET_PARAM_ELEMENT_VALUE = 37,
  FF_SET_BEAT_INFO = 38,
  FF_SET_HOSTINFO = 39,
  FF_SET_SAMPLERATE = 40,
  FF_GET_RANGE = 41,
  FF_GET_THUMBNAIL = 42,
  FF_GET_NUM_FILE_PARAMETER_EXTENSIONS = 43,
  FF_GET_FILE_PARAMETER_EXTENSION = 44,
  FF_GET_PRAMETER_VISIBILITY = 45,
  FF_GET_PARAMETER_EVENTS = 46,
  FF_GET_NUM_ELEMENT_SEPARATORS = 47,
  FF_GET_SEPARATOR_ELEMENT_INDEX = 48,
  FF_ENABLE_PLUGIN_CAP = 49,
  FF_GET_PARAMETER_GROUP = 50,
  FF_GET_PARAMETER_DISPLAY_NAME = 51,
};

// Capability numbers answered by FF_GET_PLUGIN_CAPS.
enum FFCapability : FFUInt32 {
  FF_CAP_SET_TIME = 5,
  FF_CAP_MINIMUM_INPUT_FRAMES = 10,
  FF_CAP_MAXIMUM_INPUT_FRAMES = 11,
  FF_CAP_TOP_LEFT_TEXTURE_ORIENTATION = 16,
};

// Parameter type codes.
enum FFParamType : FFUInt32 {
  FF_TYPE_BOOLEAN = 0,
  FF_TYPE_STANDARD = 10,
  FF_TYPE_OPTION = 11,
  FF_TYPE_BUFFER = 12,
  FF_TYPE_INTEGER = 13,
  FF_TYPE_FILE = 14,
  FF_TYPE_TEXT = 100,
};

// Pending parameter-event bits (collected with FF_GET_PARAMETER_EVENTS).
constexpr std::uint64_t FF_EVENT_FLAG_VISIBILITY = 0x1;
constexpr std::uint64_t FF_EVENT_FLAG_DISPLAY_NAME = 0x2;
constexpr std::uint64_t FF_EVENT_FLAG_VALUE = 0x4;
constexpr std::uint64_t FF_EVENT_FLAG_ELEMENTS = 0x8;

constexpr FFUInt32 FF_SOURCE = 1;  // plug-in type of a source

// ---------------------------------------------------------------------------
// Information records (answers of codes 0 and 13).

struct PluginInfoStruct {
  FFUInt32 APIMajorVersion;
  FFUInt32 APIMinorVersion;
  char PluginUniqueID[4];  // not zero-terminated
  char PluginName[16];     // zero-terminated only when shorter than 16
  FFUInt32 PluginType;
};
static_assert(sizeof(PluginInfoStruct) == 32, "PluginInfoStruct size");
static_assert(offsetof(PluginInfoStruct, APIMajorVersion) == 0, "");
static_assert(offsetof(PluginInfoStruct, APIMinorVersion) == 4, "");
static_assert(offsetof(PluginInfoStruct, PluginUniqueID) == 8, "");
static_assert(offsetof(PluginInfoStruct, PluginName) == 12, "");
static_assert(offsetof(PluginInfoStruct, PluginType) == 28, "");

struct PluginExtendedInfoStruct {
  FFUInt32 PluginMajorVersion;
  FFUInt32 PluginMinorVersion;
  const char* Description;
  const char* About;
  FFUInt32 FreeFrameExtendedDataSize;
  void* FreeFrameExtendedDataBlock;
};
static_assert(sizeof(PluginExtendedInfoStruct) == 40, "PluginExtendedInfoStruct size");
static_assert(offsetof(PluginExtendedInfoStruct, PluginMinorVersion) == 4, "");
static_assert(offsetof(PluginExtendedInfoStruct, Description) == 8, "");
static_assert(offsetof(PluginExtendedInfoStruct, About) == 16, "");
static_assert(offsetof(PluginExtendedInfoStruct, FreeFrameExtendedDataSize) == 24, "");
static_assert(offsetof(PluginExtendedInfoStruct, FreeFrameExtendedDataBlock) == 32, "");

// ---------------------------------------------------------------------------
// Input records that the host points to.

struct FFGLViewportStruct {
  FFUInt32 x;
  FFUInt32 y;
  FFUInt32 width;
  FFUInt32 height;
};
static_assert(sizeof(FFGLViewportStruct) == 16, "FFGLViewportStruct size");
static_assert(offsetof(FFGLViewportStruct, width) == 8, "");
static_assert(offsetof(FFGLViewportStruct, height) == 12, "");

struct SetParameterStruct {
  FFUInt32 ParameterNumber;
  FFMixed NewParameterValue;  // a float in its first 4 bytes, or a text pointer
};
static_assert(sizeof(SetParameterStruct) == 16, "SetParameterStruct size");
static_assert(offsetof(SetParameterStruct, NewParameterValue) == 8, "");

// Codes 35, 36, 44 and 48.
struct GetParameterElementStruct {
  FFUInt32 ParameterNumber;
  FFUInt32 ElementNumber;
};
static_assert(sizeof(GetParameterElementStruct) == 8, "");
static_assert(offsetof(GetParameterElementStruct, ElementNumber) == 4, "");

// Code 37.
struct SetParameterElementValueStruct {
  FFUInt32 ParameterNumber;
  FFUInt32 ElementNumber;
  float NewParameterValue;
};
static_assert(sizeof(SetParameterElementValueStruct) == 12, "");
static_assert(offsetof(SetParameterElementValueStruct, NewParameterValue) == 8, "");

// Code 41: the plug-in writes min and max.
struct RangeStruct {
  float min;
  float max;
};
struct GetRangeStruct {
  FFUInt32 parameterNumber;
  RangeStruct range;
};
static_assert(sizeof(GetRangeStruct) == 12, "");
static_assert(offsetof(GetRangeStruct, range) == 4, "");

// Code 38.
struct SetBeatinfoStruct {
  float bpm;
  float barPhase;
};
static_assert(sizeof(SetBeatinfoStruct) == 8, "");

// Code 39.
struct SetHostinfoStruct {
  const char* name;
  const char* version;
};
static_assert(sizeof(SetHostinfoStruct) == 16, "");
static_assert(offsetof(SetHostinfoStruct, version) == 8, "");

// Code 42: the plug-in writes width and height.
struct GetThumbnailStruct {
  FFUInt32 width;
  FFUInt32 height;
  void* rgbaPixelBuffer;
};
static_assert(sizeof(GetThumbnailStruct) == 16, "");
static_assert(offsetof(GetThumbnailStruct, rgbaPixelBuffer) == 8, "");

// Code 46: one reported event.
struct ParamEventStruct {
  FFUInt32 ID;
  std::uint64_t eventFlags;
};
static_assert(sizeof(ParamEventStruct) == 16, "");
static_assert(offsetof(ParamEventStruct, eventFlags) == 8, "");

// Code 46: capacity in, number reported out.
struct GetParamEventsStruct {
  FFUInt32 numEvents;
  ParamEventStruct* events;
};
static_assert(sizeof(GetParamEventsStruct) == 16, "");
static_assert(offsetof(GetParamEventsStruct, events) == 8, "");

// Codes 50 and 51: the plug-in copies text into the host's buffer.
struct GetStringStruct {
  FFUInt32 parameterNumber;
  char* stringBuffer;
  FFUInt32 maxToWrite;
};
static_assert(sizeof(GetStringStruct) == 24, "");
static_assert(offsetof(GetStringStruct, stringBuffer) == 8, "");
static_assert(offsetof(GetStringStruct, maxToWrite) == 16, "");

// Code 17: the host's frame record. A source plug-in passes it on unread.
struct FFGLTextureStruct {
  FFUInt32 Width;
  FFUInt32 Height;
  FFUInt32 HardwareWidth;
  FFUInt32 HardwareHeight;
  FFUInt32 Handle;
};
struct ProcessOpenGLStruct {
  FFUInt32 numInputTextures;
  FFGLTextureStruct** inputTextures;
  FFUInt32 HostFBO;
};
static_assert(offsetof(ProcessOpenGLStruct, inputTextures) == 8, "");
static_assert(offsetof(ProcessOpenGLStruct, HostFBO) == 16, "");

// Builds a numeric answer: low half the number, high half zero.
inline FFMixed FFNumber(FFUInt32 value) {
  FFMixed m;
  m.PointerValue = nullptr;
  m.UIntValue = value;
  return m;
}

inline FFMixed FFPointer(const void* pointer) {
  FFMixed m;
  m.PointerValue = const_cast<void*>(pointer);
  return m;
}

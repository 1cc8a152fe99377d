// A deliberately breakable FFGL 2.1 source plug-in, built only for the
// validator's tests. By default it is sound and passes every check. The
// environment variable BROKEN_PLUGIN_FAULT names one fault to plant, one for
// each check (the table in validate_tool_test.cpp says which check must find
// which fault). Built with BROKEN_PLUGIN_WITHOUT_LOG_EXPORT it lacks its
// SetLogCallback export, the one fault no setting at run time can make.
#include <GL/glew.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "host/EntryPoint.h"

namespace {

// The fault planted in this process, read once: "" for none.
const std::string& Fault() {
  static const std::string fault = [] {
    const char* name = std::getenv("BROKEN_PLUGIN_FAULT");
    return std::string(name ? name : "");
  }();
  return fault;
}
bool Planted(const char* name) { return Fault() == name; }

PluginInfoStruct info = {2, 1, {'B', 'R', 'K', 'N'}, "Broken Sample", FF_SOURCE};
PluginExtendedInfoStruct extendedInfo = {1, 0, "Deliberately broken plug-in for validator tests.",
                                         "Test fixture.", 0, nullptr};

constexpr FFUInt32 kParams = 4;
const char* const kNames[kParams] = {"Level", "Tint", "Caption", "Layout File"};
const FFUInt32 kTypes[kParams] = {FF_TYPE_STANDARD, FF_TYPE_OPTION, FF_TYPE_TEXT, FF_TYPE_FILE};
const char* const kTints[3] = {"Grey", "Red", "Green"};
// The text parameters' defaults; null for the numeric ones.
const char* const kTextDefaults[kParams] = {nullptr, nullptr, "caption", ""};
constexpr FFUInt32 kFileParam = 3;
const char* const kExtensions[2] = {"csv", "txt"};

bool IsText(FFUInt32 id) { return id < kParams && kTextDefaults[id] != nullptr; }

// The declared default of each parameter.
float DeclaredDefault(FFUInt32 id) {
  if (id == 0) return Planted("default-outside-range") ? 1.5f : 1.0f;
  return 0.0f;
}

struct Instance {
  FFGLViewportStruct viewport{};
  float values[kParams] = {DeclaredDefault(0), DeclaredDefault(1)};
  std::string texts[kParams] = {"", "", kTextDefaults[2], kTextDefaults[3]};
  // The "text-pointer-kept" fault keeps the host's pointer instead of a copy.
  const char* keptTexts[kParams] = {};
  GLuint program = 0, vertexArray = 0, buffer = 0;
  int serial = 0;
};
std::set<Instance*> live;
int instancesMade = 0;
float sharedValues[kParams] = {1.0f, 0.0f};  // used only by the "shared-values" fault
bool loaderReady = false;
char display[32];
FFLogCallback logCallback = nullptr;

void Log(const char* message) {
  if (logCallback) logCallback(message);
}

const char* const kVertex =
    "#version 410 core\n"
    "layout(location = 0) in vec2 corner;\n"
    "void main() { gl_Position = vec4(corner, 0.0, 1.0); }\n";
const char* const kFragment =
    "#version 410 core\n"
    "uniform vec4 Colour;\n"
    "out vec4 result;\n"
    "void main() { result = Colour; }\n";

GLuint CompileStage(GLenum stage, const char* text) {
  GLuint shader = glCreateShader(stage);
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok) return shader;
  glDeleteShader(shader);
  return 0;
}

bool InitGL(Instance& instance) {
  if (!loaderReady) {
    const GLenum answer = glewInit();
    loaderReady = answer == GLEW_OK || answer == GLEW_ERROR_NO_GLX_DISPLAY;
  }
  if (!loaderReady) return false;
  const GLuint vertex = CompileStage(GL_VERTEX_SHADER, kVertex);
  const GLuint fragment = CompileStage(GL_FRAGMENT_SHADER, kFragment);
  GLint linked = GL_FALSE;
  if (vertex && fragment) {
    instance.program = glCreateProgram();
    glAttachShader(instance.program, vertex);
    glAttachShader(instance.program, fragment);
    glLinkProgram(instance.program);
    glGetProgramiv(instance.program, GL_LINK_STATUS, &linked);
  }
  if (vertex) glDeleteShader(vertex);
  if (fragment) glDeleteShader(fragment);
  if (!linked) {
    // The "failed-program-kept" fault keeps a program that did not link (as
    // on a context older than the shaders need).
    if (instance.program && !Planted("failed-program-kept")) glDeleteProgram(instance.program);
    instance.program = 0;
    return false;
  }
  const float corners[] = {-1, -1, 3, -1, -1, 3};
  glGenVertexArrays(1, &instance.vertexArray);
  glGenBuffers(1, &instance.buffer);
  glBindVertexArray(instance.vertexArray);
  glBindBuffer(GL_ARRAY_BUFFER, instance.buffer);
  glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glBindVertexArray(0);
  return true;
}

void DeInitGL(Instance& instance) {
  if (instance.program && !Planted("program-never-deleted")) glDeleteProgram(instance.program);
  instance.program = 0;
  glDeleteVertexArrays(1, &instance.vertexArray);
  glDeleteBuffers(1, &instance.buffer);
  instance.vertexArray = instance.buffer = 0;
}

float* Values(Instance& instance) { return Planted("shared-values") ? sharedValues : instance.values; }

// A colour that changes from run to run: this process's ID (two runs are
// two processes, whose IDs differ in their low 16 bits).
float RunNoise() { return static_cast<float>(::getpid() % 65536) / 65536.0f; }

// A colour from the wall clock, which no host time (code 20) pins: the
// nanoseconds within the current millisecond.
float ClockNoise() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return static_cast<float>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() % 1000000) /
         1.0e6f;
}

FFUInt32 Draw(Instance& instance) {
  const FFGLViewportStruct& v = instance.viewport;
  if (Planted("tiny-frame-fails") && (v.width < 2 || v.height < 2)) return FF_FAIL;
  // The "missing-file-fails-frame" fault fails every frame while the file
  // parameter names a file that cannot be read.
  const std::string& file = instance.texts[kFileParam];
  if (Planted("missing-file-fails-frame") && !file.empty() && access(file.c_str(), R_OK) != 0)
    return FF_FAIL;
  const float* values = Values(instance);
  const float level = std::isfinite(values[0]) ? std::clamp(values[0], 0.0f, 1.0f) : 0.0f;
  const float tintValue = values[1];
  const int tint = std::isfinite(tintValue) && tintValue >= 0 && tintValue < 3 ? static_cast<int>(tintValue) : 0;
  const float rgb[3][3] = {{0.5f, 0.5f, 0.5f}, {1, 0, 0}, {0, 1, 0}};
  float blue = 0.0f;
  if (Planted("instance-serial-in-colour")) blue = static_cast<float>(instance.serial) / 64.0f;
  if (Planted("run-noise-in-colour")) blue = RunNoise();
  if (Planted("clock-instead-of-host-time")) blue = ClockNoise();
  GLint hostViewport[4] = {0, 0, 0, 0};
  if (Planted("draws-outside-viewport")) {
    // Draws from the framebuffer's corner instead of the viewport's.
    glGetIntegerv(GL_VIEWPORT, hostViewport);
    glViewport(0, 0, static_cast<GLsizei>(v.x + v.width), static_cast<GLsizei>(v.y + v.height));
  }
  glUseProgram(instance.program);
  glUniform4f(glGetUniformLocation(instance.program, "Colour"), rgb[tint][0] * level, rgb[tint][1] * level,
              rgb[tint][2] * level + blue, 1.0f);
  glBindVertexArray(instance.vertexArray);
  glDrawArrays(GL_TRIANGLES, 0, 3);
  glBindVertexArray(0);
  if (!Planted("program-left-bound")) glUseProgram(0);
  if (Planted("draws-outside-viewport"))
    glViewport(hostViewport[0], hostViewport[1], hostViewport[2], hostViewport[3]);
  return FF_SUCCESS;
}

FFMixed Number(FFUInt32 value) { return FFNumber(value); }
FFMixed Pointer(const void* value) { return FFPointer(value); }
FFMixed Fail() { return FFNumber(FF_FAIL); }
float AsFloat(FFUInt32 bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}
FFUInt32 Bits(float value) {
  FFUInt32 bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

FFUInt32 ElementCount(FFUInt32 id) { return id == 1 ? 3 : 0; }

FFMixed Dispatch(FFUInt32 code, FFMixed input, FFInstanceID id) {
  Instance* instance = live.count(static_cast<Instance*>(id)) ? static_cast<Instance*>(id) : nullptr;
  const FFUInt32 number = input.UIntValue;
  const void* record = input.PointerValue;
  switch (code) {
    case FF_GET_INFO:
      info.APIMajorVersion = Planted("api-version-1") ? 1 : 2;
      return Pointer(&info);
    case FF_DEINITIALISE: return Number(FF_SUCCESS);
    case FF_INITIALISE_V2: return Number(FF_SUCCESS);
    case FF_GET_NUM_PARAMETERS: return Number(kParams);
    case FF_GET_PARAMETER_NAME: return number < kParams ? Pointer(kNames[number]) : Pointer(nullptr);
    case FF_GET_PARAMETER_DEFAULT: {
      if (number >= kParams) return Fail();
      // The "text-default-null" fault answers no text for the caption.
      if (IsText(number))
        return Pointer(Planted("text-default-null") && number == 2 ? nullptr : kTextDefaults[number]);
      static int asked = 0;  // the "default-drifts" fault answers differently each time
      const float drift = Planted("default-drifts") ? static_cast<float>(++asked) * 0.125f : 0.0f;
      return Number(Bits(DeclaredDefault(number) - drift));
    }
    case FF_GET_PARAMETER_TYPE:
      if (number < kParams) return Number(kTypes[number]);
      return Planted("type-of-any-id") ? Number(FF_TYPE_STANDARD) : Fail();
    case FF_GET_PLUGIN_CAPS: return Number(number == FF_CAP_SET_TIME ? 1 : 0);
    case FF_GET_EXTENDED_INFO: return Pointer(&extendedInfo);
    case FF_GET_PARAMETER_USAGE: return number < kParams ? Number(0) : Fail();
    case FF_GET_PLUGIN_SHORT_NAME: return Number(0);
    case FF_GET_NUM_PARAMETER_ELEMENTS: return number < kParams ? Number(ElementCount(number)) : Fail();
    case FF_GET_PRAMETER_VISIBILITY: return number < kParams ? Number(1) : Fail();
    case FF_GET_NUM_FILE_PARAMETER_EXTENSIONS: return Number(number == kFileParam ? 2 : 0);
    case FF_GET_NUM_ELEMENT_SEPARATORS: return Number(0);
    case FF_GET_PARAM_ELEMENT_NAME:
    case FF_GET_PARAM_ELEMENT_DEFAULT: {
      const auto* address = static_cast<const GetParameterElementStruct*>(record);
      const bool valid = address && address->ParameterNumber < kParams &&
                         address->ElementNumber < ElementCount(address->ParameterNumber);
      if (code == FF_GET_PARAM_ELEMENT_NAME) return Pointer(valid ? kTints[address->ElementNumber] : nullptr);
      // The "element-value-unchecked" fault answers a value for any element index.
      if (address && Planted("element-value-unchecked") && address->ParameterNumber == 1)
        return Number(Bits(static_cast<float>(address->ElementNumber)));
      return valid ? Number(Bits(static_cast<float>(address->ElementNumber))) : Fail();
    }
    case FF_GET_FILE_PARAMETER_EXTENSION: {
      const auto* address = static_cast<const GetParameterElementStruct*>(record);
      if (!address || address->ParameterNumber != kFileParam) return Pointer(nullptr);
      if (address->ElementNumber < 2) return Pointer(kExtensions[address->ElementNumber]);
      // The "extension-past-count" fault answers one more than code 43 counts.
      return Pointer(Planted("extension-past-count") && address->ElementNumber == 2 ? "csv" : nullptr);
    }
    case FF_GET_SEPARATOR_ELEMENT_INDEX: return Fail();
    case FF_GET_RANGE: {
      auto* range = static_cast<GetRangeStruct*>(input.PointerValue);
      // The "range-null-record" fault uses the record without a test for null.
      if (!range && !Planted("range-null-record")) return Fail();
      range->range = {0.0f, 1.0f};
      return Number(FF_SUCCESS);
    }
    case FF_GET_THUMBNAIL: {
      auto* thumbnail = static_cast<GetThumbnailStruct*>(input.PointerValue);
      if (thumbnail) thumbnail->width = thumbnail->height = 0;
      return Fail();
    }
    case FF_GET_PARAMETER_GROUP: {
      const auto* text = static_cast<const GetStringStruct*>(record);
      if (!text || text->maxToWrite == 0 || !text->stringBuffer) return Fail();
      // An empty group name; the "group-overruns-buffer" fault writes twelve
      // bytes whatever room the host gave.
      if (Planted("group-overruns-buffer") && text->parameterNumber == 0)
        std::memcpy(text->stringBuffer, "Long Group!", 12);
      else
        text->stringBuffer[0] = '\0';
      return Number(FF_SUCCESS);
    }
    case FF_INSTANTIATE_GL: {
      const auto* viewport = static_cast<const FFGLViewportStruct*>(record);
      if (!viewport) return Fail();
      if (Planted("large-instance-refused") && (viewport->width > 4096 || viewport->height > 4096)) return Fail();
      auto* made = new Instance;
      made->viewport = *viewport;
      made->serial = ++instancesMade;
      if (Planted("defaults-not-applied")) made->values[0] = 0.5f;
      if (!InitGL(*made)) {
        DeInitGL(*made);
        delete made;
        return Fail();
      }
      live.insert(made);
      return Pointer(made);
    }
    default: break;
  }
  if (Planted("unknown-code-succeeds") && code == 1000) return Number(FF_SUCCESS);
  if (!instance) return Fail();
  switch (code) {
    case FF_DEINSTANTIATE_GL:
      DeInitGL(*instance);
      live.erase(instance);
      delete instance;
      return Number(FF_SUCCESS);
    case FF_PROCESS_OPENGL: return record ? Number(Draw(*instance)) : Fail();
    case FF_SET_PARAMETER: {
      const auto* set = static_cast<const SetParameterStruct*>(record);
      if (!set || set->ParameterNumber >= kParams) return Fail();
      if (IsText(set->ParameterNumber)) {
        const auto* text = static_cast<const char*>(set->NewParameterValue.PointerValue);
        // The "null-text-crash" fault measures the text without a test for null.
        if (!text && !Planted("null-text-crash")) text = "";
        if (Planted("text-pointer-kept"))
          instance->keptTexts[set->ParameterNumber] = text;
        else
          instance->texts[set->ParameterNumber].assign(text, std::strlen(text));
        return Number(FF_SUCCESS);
      }
      float value = AsFloat(set->NewParameterValue.UIntValue);
      // The "values-clamped" fault keeps the value in 0..1 instead of as sent.
      if (Planted("values-clamped") && std::isfinite(value)) value = std::clamp(value, 0.0f, 1.0f);
      Values(*instance)[set->ParameterNumber] = value;
      return Number(FF_SUCCESS);
    }
    case FF_GET_PARAMETER:
      if (IsText(number))
        return Pointer(instance->keptTexts[number] ? instance->keptTexts[number]
                                                   : instance->texts[number].c_str());
      return number < kParams ? Number(Bits(Values(*instance)[number])) : Fail();
    case FF_GET_PARAMETER_DISPLAY:
      if (number >= kParams) return Pointer(nullptr);
      std::snprintf(display, sizeof display, "%g", static_cast<double>(Values(*instance)[number]));
      return Pointer(display);
    case FF_RESIZE: {
      const auto* viewport = static_cast<const FFGLViewportStruct*>(record);
      if (!viewport) return Fail();
      instance->viewport = *viewport;
      return Number(FF_SUCCESS);
    }
    case FF_SET_TIME:
    case FF_SET_BEAT_INFO:
    case FF_SET_HOSTINFO: return record ? Number(FF_SUCCESS) : Fail();
    case FF_SET_SAMPLERATE:
    case FF_CONNECT:
    case FF_DISCONNECT: return Number(FF_SUCCESS);
    case FF_SET_PARAM_ELEMENT_VALUE: {
      const auto* value = static_cast<const SetParameterElementValueStruct*>(record);
      const bool valid = value && value->ParameterNumber < kParams &&
                         value->ElementNumber < ElementCount(value->ParameterNumber);
      return valid ? Number(FF_SUCCESS) : Fail();
    }
    case FF_GET_PARAMETER_EVENTS: {
      auto* events = static_cast<GetParamEventsStruct*>(input.PointerValue);
      if (!events) return Fail();
      // This plug-in raises no events; the "event-for-no-parameter" fault
      // reports one for a parameter that does not exist.
      if (!Planted("event-for-no-parameter")) {
        events->numEvents = 0;
        return Number(FF_SUCCESS);
      }
      if (events->events && events->numEvents > 0) events->events[0] = {7, FF_EVENT_FLAG_VALUE};
      events->numEvents = events->events && events->numEvents == 0 ? 0 : 1;
      return Number(FF_SUCCESS);
    }
    case FF_GET_PARAMETER_DISPLAY_NAME: {
      const auto* text = static_cast<const GetStringStruct*>(record);
      return text && text->maxToWrite > 0 ? Number(FF_SUCCESS) : Fail();
    }
    default:
      Log("broken plug-in: unknown function code");
      return Fail();
  }
}

}  // namespace

FFGL_EXPORT FFMixed plugMain(FFUInt32 functionCode, FFMixed inputValue, FFInstanceID instanceID) {
  try {
    return Dispatch(functionCode, inputValue, instanceID);
  } catch (...) {
    return Fail();
  }
}

#ifndef BROKEN_PLUGIN_WITHOUT_LOG_EXPORT
FFGL_EXPORT void SetLogCallback(FFLogCallback callback) {
  // The "log-keeps-first" fault ignores every callback after the first.
  if (Planted("log-keeps-first") && logCallback) return;
  logCallback = callback;
}
#endif

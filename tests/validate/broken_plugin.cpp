// A deliberately broken FFGL 2.1 source plug-in, built only for the
// validator's tests. Everything is sound except three faults:
//   1. de-instantiation never deletes the instance's program (a GL leak);
//   2. a frame leaves its program bound;
//   3. code 41 (parameter range) reads through a null record and crashes.
#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>

#include "host/EntryPoint.h"

namespace {

PluginInfoStruct info = {2, 1, {'B', 'R', 'K', 'N'}, "Broken Sample", FF_SOURCE};
PluginExtendedInfoStruct extendedInfo = {1, 0, "Deliberately broken plug-in for validator tests.",
                                         "Test fixture.", 0, nullptr};

constexpr FFUInt32 kParams = 2;
const char* const kNames[kParams] = {"Level", "Tint"};
const FFUInt32 kTypes[kParams] = {FF_TYPE_STANDARD, FF_TYPE_OPTION};
const float kDefaults[kParams] = {1.0f, 0.0f};
const char* const kTints[3] = {"Grey", "Red", "Green"};

struct Instance {
  FFGLViewportStruct viewport{};
  float values[kParams] = {kDefaults[0], kDefaults[1]};
  GLuint program = 0, vertexArray = 0, buffer = 0;
};
std::set<Instance*> live;
bool loaderReady = false;
char display[32];

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
    if (instance.program) glDeleteProgram(instance.program);
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

// Fault 1: the program is never deleted.
void DeInitGL(Instance& instance) {
  glDeleteVertexArrays(1, &instance.vertexArray);
  glDeleteBuffers(1, &instance.buffer);
  instance.vertexArray = instance.buffer = 0;
}

// Fault 2: the program stays bound.
FFUInt32 Draw(Instance& instance) {
  const float level = std::isfinite(instance.values[0]) ? std::clamp(instance.values[0], 0.0f, 1.0f) : 0.0f;
  const float tintValue = instance.values[1];
  const int tint = std::isfinite(tintValue) && tintValue >= 0 && tintValue < 3 ? static_cast<int>(tintValue) : 0;
  const float rgb[3][3] = {{0.5f, 0.5f, 0.5f}, {1, 0, 0}, {0, 1, 0}};
  glUseProgram(instance.program);
  glUniform4f(glGetUniformLocation(instance.program, "Colour"), rgb[tint][0] * level, rgb[tint][1] * level,
              rgb[tint][2] * level, 1.0f);
  glBindVertexArray(instance.vertexArray);
  glDrawArrays(GL_TRIANGLES, 0, 3);
  glBindVertexArray(0);
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
    case FF_GET_INFO: return Pointer(&info);
    case FF_DEINITIALISE: return Number(FF_SUCCESS);
    case FF_INITIALISE_V2: return Number(FF_SUCCESS);
    case FF_GET_NUM_PARAMETERS: return Number(kParams);
    case FF_GET_PARAMETER_NAME: return number < kParams ? Pointer(kNames[number]) : Pointer(nullptr);
    case FF_GET_PARAMETER_DEFAULT: return number < kParams ? Number(Bits(kDefaults[number])) : Fail();
    case FF_GET_PARAMETER_TYPE: return number < kParams ? Number(kTypes[number]) : Fail();
    case FF_GET_PLUGIN_CAPS: return Number(number == FF_CAP_SET_TIME ? 1 : 0);
    case FF_GET_EXTENDED_INFO: return Pointer(&extendedInfo);
    case FF_GET_PARAMETER_USAGE: return number < kParams ? Number(0) : Fail();
    case FF_GET_PLUGIN_SHORT_NAME: return Number(0);
    case FF_GET_NUM_PARAMETER_ELEMENTS: return number < kParams ? Number(ElementCount(number)) : Fail();
    case FF_GET_PRAMETER_VISIBILITY: return number < kParams ? Number(1) : Fail();
    case FF_GET_NUM_FILE_PARAMETER_EXTENSIONS: return Number(0);
    case FF_GET_NUM_ELEMENT_SEPARATORS: return Number(0);
    case FF_GET_PARAM_ELEMENT_NAME:
    case FF_GET_PARAM_ELEMENT_DEFAULT: {
      const auto* address = static_cast<const GetParameterElementStruct*>(record);
      const bool valid = address && address->ParameterNumber < kParams &&
                         address->ElementNumber < ElementCount(address->ParameterNumber);
      if (code == FF_GET_PARAM_ELEMENT_NAME) return Pointer(valid ? kTints[address->ElementNumber] : nullptr);
      return valid ? Number(Bits(static_cast<float>(address->ElementNumber))) : Fail();
    }
    case FF_GET_FILE_PARAMETER_EXTENSION: return Pointer(nullptr);
    case FF_GET_SEPARATOR_ELEMENT_INDEX: return Fail();
    case FF_GET_RANGE: {
      // Fault 3: the record is used without a test for null.
      auto* range = static_cast<GetRangeStruct*>(input.PointerValue);
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
      return text && text->maxToWrite > 0 ? Number(FF_SUCCESS) : Fail();
    }
    case FF_INSTANTIATE_GL: {
      const auto* viewport = static_cast<const FFGLViewportStruct*>(record);
      if (!viewport) return Fail();
      auto* made = new Instance;
      made->viewport = *viewport;
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
      instance->values[set->ParameterNumber] = AsFloat(set->NewParameterValue.UIntValue);
      return Number(FF_SUCCESS);
    }
    case FF_GET_PARAMETER: return number < kParams ? Number(Bits(instance->values[number])) : Fail();
    case FF_GET_PARAMETER_DISPLAY:
      if (number >= kParams) return Pointer(nullptr);
      std::snprintf(display, sizeof display, "%g", static_cast<double>(instance->values[number]));
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
      events->numEvents = 0;  // this plug-in never raises any
      return Number(FF_SUCCESS);
    }
    case FF_GET_PARAMETER_DISPLAY_NAME: {
      const auto* text = static_cast<const GetStringStruct*>(record);
      return text && text->maxToWrite > 0 ? Number(FF_SUCCESS) : Fail();
    }
    default: return Fail();
  }
}

FFLogCallback logCallback = nullptr;

}  // namespace

FFGL_EXPORT FFMixed plugMain(FFUInt32 functionCode, FFMixed inputValue, FFInstanceID instanceID) {
  try {
    return Dispatch(functionCode, inputValue, instanceID);
  } catch (...) {
    return Fail();
  }
}

FFGL_EXPORT void SetLogCallback(FFLogCallback callback) { logCallback = callback; }

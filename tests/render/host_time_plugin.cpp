// A stand-in FFGL source plug-in for the render tool's tests: it logs every
// value a host sends it and the host time before each frame to standard
// output, one line each ("set Start Time 01:00:00.000", "draw 0.5"), and
// clears the frame to opaque grey. With a "Clock Source" option and a "Start
// Time" text it has the two parameters the tool fills from --start-time.
// With HOST_TIME_PROBE_TRANSPARENT_FROM=k in its environment, draw k and every
// later one are half transparent: premultiplied (0.1, 0.1, 0.1, 0.2), whose
// straight colour is 0.5 exactly but whose 8-bit bytes (26, 51) make 130, so
// the test can tell which path turned each frame straight.
// With HOST_TIME_PROBE_LOADING_MS=n, setting the text or the file makes every
// parameter's display read "LOADING" for n ms, as a plug-in reading a file
// off the host's thread does, and a frame drawn meanwhile is logged as
// "draw T while loading".
#include <GL/glew.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "host/EntryPoint.h"
#include "tests/render/StandInAnswers.h"

namespace {

PluginInfoStruct info = {2, 1, {'T', 'I', 'M', 'E'}, "Host Time Probe", FF_SOURCE};
PluginExtendedInfoStruct extendedInfo = {1, 0, "Logs host time and values.", "Test fixture.", 0,
                                         nullptr};

constexpr FFUInt32 kParams = 3;
const char* const kNames[kParams] = {"Clock Source", "Start Time", "Label"};
const FFUInt32 kTypes[kParams] = {FF_TYPE_OPTION, FF_TYPE_TEXT, FF_TYPE_FILE};
const char* const kSources[2] = {"Internal", "Host Time"};

struct Instance {
  double time = -1;
  long draws = 0;
  std::chrono::steady_clock::time_point loadingUntil{};
};

bool Loading(const Instance& instance) {
  return std::chrono::steady_clock::now() < instance.loadingUntil;
}

// The draw from which the frame is half transparent; never without the variable.
long TransparentFrom() {
  const char* text = std::getenv("HOST_TIME_PROBE_TRANSPARENT_FROM");
  return text ? std::strtol(text, nullptr, 10) : -1;
}
// How long a set text stays "LOADING"; 0 without the variable.
long LoadingMs() {
  const char* text = std::getenv("HOST_TIME_PROBE_LOADING_MS");
  return text ? std::strtol(text, nullptr, 10) : 0;
}
std::set<Instance*> live;
bool loaderReady = false;

using stand_in::Bits;
using stand_in::Fail;
using stand_in::Number;
using stand_in::Pointer;

FFMixed Dispatch(FFUInt32 code, FFMixed input, FFInstanceID id) {
  Instance* instance = live.count(static_cast<Instance*>(id)) ? static_cast<Instance*>(id) : nullptr;
  const FFUInt32 number = input.UIntValue;
  const void* record = input.PointerValue;
  switch (code) {
    case FF_GET_INFO: return Pointer(&info);
    case FF_DEINITIALISE:
    case FF_INITIALISE_V2: return Number(FF_SUCCESS);
    case FF_GET_NUM_PARAMETERS: return Number(kParams);
    case FF_GET_PARAMETER_NAME: return number < kParams ? Pointer(kNames[number]) : Pointer(nullptr);
    case FF_GET_PARAMETER_DEFAULT:
      if (number == 0) return Number(Bits(0.0f));
      return number < kParams ? Pointer("") : Fail();
    case FF_GET_PARAMETER_TYPE: return number < kParams ? Number(kTypes[number]) : Fail();
    case FF_GET_PLUGIN_CAPS: return Number(number == FF_CAP_SET_TIME ? 1 : 0);
    case FF_GET_EXTENDED_INFO: return Pointer(&extendedInfo);
    case FF_GET_NUM_PARAMETER_ELEMENTS: return Number(number == 0 ? 2 : 0);
    case FF_GET_PARAM_ELEMENT_NAME:
    case FF_GET_PARAM_ELEMENT_DEFAULT: {
      const auto* element = static_cast<const GetParameterElementStruct*>(record);
      if (!element || element->ParameterNumber != 0 || element->ElementNumber > 1) return Fail();
      if (code == FF_GET_PARAM_ELEMENT_NAME) return Pointer(kSources[element->ElementNumber]);
      return Number(Bits(static_cast<float>(element->ElementNumber)));
    }
    case FF_INSTANTIATE_GL: {
      if (!record) return Fail();
      if (!loaderReady) {
        const GLenum answer = glewInit();
        loaderReady = answer == GLEW_OK || answer == GLEW_ERROR_NO_GLX_DISPLAY;
      }
      if (!loaderReady) return Fail();
      auto* made = new Instance;
      live.insert(made);
      return Pointer(made);
    }
    default: break;
  }
  if (!instance) return Fail();
  switch (code) {
    case FF_DEINSTANTIATE_GL:
      live.erase(instance);
      delete instance;
      return Number(FF_SUCCESS);
    case FF_SET_TIME: {
      const auto* seconds = static_cast<const double*>(record);
      if (!seconds) return Fail();
      instance->time = *seconds;
      return Number(FF_SUCCESS);
    }
    case FF_PROCESS_OPENGL:
      std::printf("draw %.17g%s\n", instance->time, Loading(*instance) ? " while loading" : "");
      std::fflush(stdout);
      {
        const long from = TransparentFrom();
        if (from >= 0 && instance->draws >= from)
          glClearColor(0.1f, 0.1f, 0.1f, 0.2f);
        else
          glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
        ++instance->draws;
      }
      glClear(GL_COLOR_BUFFER_BIT);
      return Number(FF_SUCCESS);
    case FF_SET_PARAMETER: {
      const auto* set = static_cast<const SetParameterStruct*>(record);
      if (!set || set->ParameterNumber >= kParams) return Fail();
      if (kTypes[set->ParameterNumber] == FF_TYPE_OPTION) {
        float value;
        std::memcpy(&value, &set->NewParameterValue.UIntValue, sizeof value);
        std::printf("set %s %g\n", kNames[set->ParameterNumber], static_cast<double>(value));
      } else {
        const char* text = static_cast<const char*>(set->NewParameterValue.PointerValue);
        std::printf("set %s %s\n", kNames[set->ParameterNumber], text ? text : "(null)");
        instance->loadingUntil =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(LoadingMs());
      }
      std::fflush(stdout);
      return Number(FF_SUCCESS);
    }
    case FF_GET_PARAMETER_DISPLAY:
      if (number >= kParams) return Pointer(nullptr);
      return Pointer(Loading(*instance) ? "LOADING" : "");
    case FF_RESIZE:
    case FF_CONNECT:
    case FF_DISCONNECT: return Number(FF_SUCCESS);
    default: return Fail();
  }
}

}  // namespace

FFGL_EXPORT FFMixed plugMain(FFUInt32 functionCode, FFMixed inputValue, FFInstanceID instanceID) {
  return stand_in::Guarded(Dispatch, functionCode, inputValue, instanceID);
}

FFGL_EXPORT void SetLogCallback(FFLogCallback) {}

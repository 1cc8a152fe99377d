// A stand-in for a plug-in that draws a video signal, for the render tool's
// HDR file tests: a "Signal" option of the six signals (signal/Signal.h's
// kSignals, in order; default "PQ Narrow"), a "Peak nits" integer
// (100-10,000, default 1000), and a frame of vertical bands, each one flat
// 10-bit code triple written as c / 1023, opaque. The codes are those of
// signal_plugin_codes.h: below black, black, greys, white, super-white and
// saturated colours.
#include <GL/glew.h>

#include <cstring>
#include <set>

#include "host/EntryPoint.h"
#include "tests/render/StandInAnswers.h"
#include "signal/Signal.h"
#include "tests/render/signal_plugin_codes.h"

namespace {

PluginInfoStruct info = {2, 1, {'S', 'I', 'G', 'P'}, "Signal Probe", FF_SOURCE};
PluginExtendedInfoStruct extendedInfo = {1, 0, "Draws bands of 10-bit codes.", "Test fixture.",
                                         0, nullptr};

constexpr FFUInt32 kParams = 2;
const char* const kNames[kParams] = {"Signal", "Peak nits"};
const FFUInt32 kTypes[kParams] = {FF_TYPE_OPTION, FF_TYPE_INTEGER};

struct Instance {
  int width = 0, height = 0;
};
std::set<Instance*> live;
bool loaderReady = false;

using stand_in::Bits;
using stand_in::Fail;
using stand_in::Number;
using stand_in::Pointer;

void Draw(const Instance& instance) {
  glEnable(GL_SCISSOR_TEST);
  for (int band = 0; band < kBandCount; ++band) {
    const int left = BandLeft(band, instance.width);
    glScissor(left, 0, BandLeft(band + 1, instance.width) - left, instance.height);
    const BandCodes& codes = kBands[band];
    const auto unit = [](int code) { return static_cast<float>(code) / 1023.0f; };
    glClearColor(unit(codes.r), unit(codes.g), unit(codes.b), 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glDisable(GL_SCISSOR_TEST);
}

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
      return number == 1 ? Number(Bits(1000.0f)) : Fail();
    case FF_GET_PARAMETER_TYPE: return number < kParams ? Number(kTypes[number]) : Fail();
    case FF_GET_PLUGIN_CAPS: return Number(number == FF_CAP_SET_TIME ? 1 : 0);
    case FF_GET_EXTENDED_INFO: return Pointer(&extendedInfo);
    case FF_GET_NUM_PARAMETER_ELEMENTS:
      return Number(number == 0 ? static_cast<FFUInt32>(veltrima::signal::kSignals.size()) : 0);
    case FF_GET_PARAM_ELEMENT_NAME:
    case FF_GET_PARAM_ELEMENT_DEFAULT: {
      const auto* element = static_cast<const GetParameterElementStruct*>(record);
      if (!element || element->ParameterNumber != 0 ||
          element->ElementNumber >= veltrima::signal::kSignals.size())
        return Fail();
      if (code == FF_GET_PARAM_ELEMENT_NAME)
        return Pointer(veltrima::signal::kSignals[element->ElementNumber].name.data());
      return Number(Bits(static_cast<float>(element->ElementNumber)));
    }
    case FF_GET_RANGE: {
      auto* range = static_cast<GetRangeStruct*>(input.PointerValue);
      if (!range || range->parameterNumber != 1) return Fail();
      range->range = {100.0f, 10000.0f};
      return Number(FF_SUCCESS);
    }
    case FF_INSTANTIATE_GL: {
      const auto* viewport = static_cast<const FFGLViewportStruct*>(record);
      if (!viewport) return Fail();
      if (!loaderReady) {
        const GLenum answer = glewInit();
        loaderReady = answer == GLEW_OK || answer == GLEW_ERROR_NO_GLX_DISPLAY;
      }
      if (!loaderReady) return Fail();
      auto* made = new Instance{static_cast<int>(viewport->width),
                                static_cast<int>(viewport->height)};
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
    case FF_PROCESS_OPENGL:
      Draw(*instance);
      return Number(FF_SUCCESS);
    case FF_RESIZE: {
      const auto* viewport = static_cast<const FFGLViewportStruct*>(record);
      if (!viewport) return Fail();
      instance->width = static_cast<int>(viewport->width);
      instance->height = static_cast<int>(viewport->height);
      return Number(FF_SUCCESS);
    }
    case FF_SET_TIME:
    case FF_SET_PARAMETER:
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

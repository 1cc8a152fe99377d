// The library's two exports. Every host operation arrives through plugMain as
// a function code, one input value and an instance identifier; the answer is
// a 32-bit result code (high half zero), a float's bit pattern, or a pointer
// owned by the plug-in that the host copies before its next call.
#pragma once

#include "host/FFGL.h"

#if defined(_WIN32)
#define FFGL_EXPORT extern "C" __declspec(dllexport)
#else
#define FFGL_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// Any thread, one call at a time; codes 17, 18 and 19 need the host's GL
// context current. Never throws.
FFGL_EXPORT FFMixed plugMain(FFUInt32 functionCode, FFMixed inputValue, FFInstanceID instanceID);

// Stores the host's log callback (null accepted), replacing any earlier one.
FFGL_EXPORT void SetLogCallback(FFLogCallback callback);

using PlugMainFunction = FFMixed (*)(FFUInt32, FFMixed, FFInstanceID);
using SetLogCallbackFunction = void (*)(FFLogCallback);

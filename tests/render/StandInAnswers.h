// What the render tool's stand-in plug-ins answer a host through plugMain:
// a number, a pointer, a failure, a float's bits. Shared by every stand-in so
// that each file holds only what its plug-in does.
#pragma once

#include <cstring>

#include "host/FFGL.h"

namespace stand_in {

inline FFMixed Number(FFUInt32 value) {
  FFMixed answer;
  answer.UIntValue = value;
  return answer;
}
inline FFMixed Pointer(const void* pointer) {
  FFMixed answer;
  answer.PointerValue = const_cast<void*>(pointer);
  return answer;
}
inline FFMixed Fail() { return Number(FF_FAIL); }
inline FFUInt32 Bits(float value) {
  FFUInt32 bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

using Dispatcher = FFMixed (*)(FFUInt32 functionCode, FFMixed inputValue, FFInstanceID instanceID);

// plugMain's body: the call handed to the stand-in's own dispatcher, with no
// exception let out to the host (a failure instead).
inline FFMixed Guarded(Dispatcher dispatch, FFUInt32 functionCode, FFMixed inputValue,
                       FFInstanceID instanceID) {
  try {
    return dispatch(functionCode, inputValue, instanceID);
  } catch (...) {
    return Fail();
  }
}

}  // namespace stand_in

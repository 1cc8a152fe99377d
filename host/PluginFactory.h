// The factory a plug-in's registration names: makes one object of the
// plug-in class and stores it through the given pointer, answering failure
// (and storing null) when the pointer is null or construction throws, so no
// exception reaches the entry point.
#pragma once

#include <new>

#include "host/FFGL.h"
#include "host/Plugin.h"

template <class PluginClass>
FFUInt32 MakePluginObject(CFFGLPlugin** object) {
  if (!object) return FF_FAIL;
  try {
    *object = new PluginClass();
    return FF_SUCCESS;
  } catch (...) {
    *object = nullptr;
    return FF_FAIL;
  }
}

// A stand-in for another EGL vendor (a GPU driver) that glvnd would find
// before Mesa. Loading it leaves a mark in the environment and then declines,
// so glvnd carries on with the next vendor: a test can tell whether the
// vendor search reached it at all.
#include <stdlib.h>

extern "C" __attribute__((visibility("default"))) unsigned char __egl_Main(unsigned, const void*,
                                                                           void*, void*) {
  ::setenv("VELTRIMA_DUMMY_EGL_VENDOR_LOADED", "1", 1);
  return 0;  // EGL_FALSE: not a usable vendor
}

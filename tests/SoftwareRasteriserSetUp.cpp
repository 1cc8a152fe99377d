// Linked into every test program: before main, and so before any EGL or GLX
// call, every GL context of the process and of the tools it starts is pinned
// to Mesa's llvmpipe, the renderer the exact pixel values and the golden
// images hold for.
#include <cstdio>
#include <exception>

#include "hostkit/SoftwareRasteriser.h"

namespace {

bool SelectAtStart() {
  try {
    hostkit::SelectSoftwareRasteriser();
    return true;
  } catch (const std::exception& error) {
    // Tests without GL still run; those with GL fail on their own, and the
    // renderer tests say why.
    std::fprintf(stderr, "warning: %s\n", error.what());
    return false;
  }
}

[[maybe_unused]] const bool selected = SelectAtStart();

}  // namespace

// Linked into every test and benchmark program (the ffgl_software_rasteriser
// object library): before main, and so before any EGL or GLX call, every GL
// context of the process and of the tools it starts is pinned to Mesa's
// llvmpipe, the renderer the exact pixel values, the golden images and the
// measured frame times hold for.
#include <cstdio>
#include <exception>

#include "hostkit/SoftwareRasteriser.h"

namespace {

bool SelectAtStart() {
  try {
    hostkit::SelectSoftwareRasteriser();
    return true;
  } catch (const std::exception& error) {
    // Programs without GL still run; those with GL fail on their own, and
    // the renderer tests say why.
    std::fprintf(stderr, "warning: %s\n", error.what());
    return false;
  }
}

[[maybe_unused]] const bool selected = SelectAtStart();

}  // namespace

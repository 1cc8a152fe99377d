// Pins the GL contexts of a process to Mesa's software rasteriser, llvmpipe,
// whatever GPUs or other GL vendors the machine has. Exact-pixel comparisons
// and golden images hold only for the renderer that made them; a workstation
// whose GPU driver answered first would otherwise fail them with no hint why.
#pragma once

#include <string>

namespace hostkit {

// Sets, for this process and every child it starts afterwards:
//   __EGL_VENDOR_LIBRARY_FILENAMES  Mesa's EGL vendor file alone, so that
//                                   glvnd loads no other EGL vendor
//   __GLX_VENDOR_LIBRARY_NAME=mesa  Mesa's GLX library for every X screen
//   LIBGL_ALWAYS_SOFTWARE=1         Mesa's software driver, not a GPU's
//   GALLIUM_DRIVER=llvmpipe         and of those, llvmpipe
// glvnd and Mesa read them once, at the first EGL or GLX call: call this
// before that. Throws std::runtime_error when Mesa's EGL vendor file is not
// installed (nothing is set then). On Windows, where neither exists, it does
// nothing.
void SelectSoftwareRasteriser();

// The glvnd vendor file of Mesa's EGL library, or "" when none is installed.
std::string MesaEglVendorFile();

// What renders in the current context: GL_RENDERER and GL_VERSION (whose
// tail names the Mesa version, e.g. "4.5 (Core Profile) Mesa 22.3.6").
struct RendererInfo {
  std::string renderer;
  std::string version;
};
RendererInfo CurrentRenderer();

// Two lines, "renderer: ...\nversion: ...\n": the form the golden folder
// records it in.
std::string DescribeRenderer(const RendererInfo& info);

}  // namespace hostkit

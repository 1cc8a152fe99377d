#include "hostkit/SoftwareRasteriser.h"

#ifdef _WIN32
#include <windows.h>
#endif
#include <GL/gl.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

namespace hostkit {

std::string MesaEglVendorFile() {
#ifdef _WIN32
  return "";
#else
  // glvnd's own search folders, in its order, then a local installation.
  for (const char* folder : {"/etc/glvnd/egl_vendor.d", "/usr/share/glvnd/egl_vendor.d",
                             "/usr/local/share/glvnd/egl_vendor.d"}) {
    const std::filesystem::path file = std::filesystem::path(folder) / "50_mesa.json";
    std::error_code error;
    if (std::filesystem::is_regular_file(file, error)) return file.string();
  }
  return "";
#endif
}

void SelectSoftwareRasteriser() {
#ifdef _WIN32
  // No glvnd and no Mesa to select: contexts come from the system's driver.
#else
  const std::string vendorFile = MesaEglVendorFile();
  if (vendorFile.empty())
    throw std::runtime_error(
        "Mesa's EGL vendor file (glvnd egl_vendor.d/50_mesa.json) is not installed; "
        "install libegl-mesa0");
  // Overwritten deliberately: a value the user's shell carries (another
  // vendor, a hardware driver) is exactly what must not apply here.
  ::setenv("__EGL_VENDOR_LIBRARY_FILENAMES", vendorFile.c_str(), 1);
  ::setenv("__GLX_VENDOR_LIBRARY_NAME", "mesa", 1);
  ::setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
  ::setenv("GALLIUM_DRIVER", "llvmpipe", 1);
#endif
}

RendererInfo CurrentRenderer() {
  auto text = [](GLenum name) {
    const GLubyte* value = glGetString(name);
    return std::string(value ? reinterpret_cast<const char*>(value) : "");
  };
  return {text(GL_RENDERER), text(GL_VERSION)};
}

std::string DescribeRenderer(const RendererInfo& info) {
  return "renderer: " + info.renderer + "\nversion: " + info.version + "\n";
}

}  // namespace hostkit

// EGL binding for GLContext: Mesa's surfaceless platform, no config, no surface.

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "hostkit/NativeContext.h"

namespace hostkit::detail {
namespace {

std::string EglErrorName(EGLint error) {
  switch (error) {
    case EGL_SUCCESS: return "EGL_SUCCESS";
    case EGL_NOT_INITIALIZED: return "EGL_NOT_INITIALIZED";
    case EGL_BAD_ACCESS: return "EGL_BAD_ACCESS";
    case EGL_BAD_ALLOC: return "EGL_BAD_ALLOC";
    case EGL_BAD_ATTRIBUTE: return "EGL_BAD_ATTRIBUTE";
    case EGL_BAD_CONFIG: return "EGL_BAD_CONFIG";
    case EGL_BAD_CONTEXT: return "EGL_BAD_CONTEXT";
    case EGL_BAD_DISPLAY: return "EGL_BAD_DISPLAY";
    case EGL_BAD_MATCH: return "EGL_BAD_MATCH";
    case EGL_BAD_PARAMETER: return "EGL_BAD_PARAMETER";
    default: {
      char hex[16];
      std::snprintf(hex, sizeof hex, "0x%04X", static_cast<unsigned>(error));
      return std::string("EGL error ") + hex;
    }
  }
}

EGLDisplay OpenSurfacelessDisplay() {
  const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (!HasExtension(clientExtensions, "EGL_MESA_platform_surfaceless") ||
      !HasExtension(clientExtensions, "EGL_EXT_platform_base"))
    throw std::runtime_error("EGL surfaceless platform unavailable (EGL_MESA_platform_surfaceless missing)");
  auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!getPlatformDisplay)
    throw std::runtime_error("EGL surfaceless platform unavailable (no eglGetPlatformDisplayEXT)");
  EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display == EGL_NO_DISPLAY)
    throw std::runtime_error("EGL surfaceless platform unavailable (" + EglErrorName(eglGetError()) + ")");
  EGLint major = 0, minor = 0;
  if (!eglInitialize(display, &major, &minor))
    throw std::runtime_error("EGL surfaceless display failed to initialise (" + EglErrorName(eglGetError()) + ")");

  const char* extensions = eglQueryString(display, EGL_EXTENSIONS);
  for (const char* needed : {"EGL_KHR_create_context", "EGL_KHR_no_config_context", "EGL_KHR_surfaceless_context"})
    if (!HasExtension(extensions, needed))
      throw std::runtime_error(std::string("EGL display lacks ") + needed);
  return display;
}

// The display is initialised once and never terminated: eglTerminate unloads Mesa's
// driver, which LeakSanitizer then reports as leaking. A failed attempt is retried on
// the next call because the static is only set on success.
EGLDisplay SurfacelessDisplay() {
  static const EGLDisplay display = OpenSurfacelessDisplay();
  return display;
}

class EglContext final : public NativeContext {
 public:
  EglContext(int major, int minor) : display_(SurfacelessDisplay()) {
    if (!eglBindAPI(EGL_OPENGL_API))
      throw std::runtime_error("EGL cannot bind the desktop OpenGL API (" + EglErrorName(eglGetError()) + ")");
    const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION, major,
                                 EGL_CONTEXT_MINOR_VERSION, minor,
                                 EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                 EGL_NONE};
    context_ = eglCreateContext(display_, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    if (context_ == EGL_NO_CONTEXT)
      throw std::runtime_error("EGL driver refused the context (" + EglErrorName(eglGetError()) + ")");
    try {
      MakeCurrent();
    } catch (...) {
      eglDestroyContext(display_, context_);
      throw;
    }
  }

  ~EglContext() override {
    if (eglGetCurrentContext() == context_) {
      eglBindAPI(EGL_OPENGL_API);
      eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    eglDestroyContext(display_, context_);
  }

  EglContext(const EglContext&) = delete;
  EglContext& operator=(const EglContext&) = delete;

  void MakeCurrent() override {
    eglBindAPI(EGL_OPENGL_API);
    if (!eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_))
      throw std::runtime_error("eglMakeCurrent failed (" + EglErrorName(eglGetError()) + ")");
  }

 private:
  EGLDisplay display_;
  EGLContext context_ = EGL_NO_CONTEXT;
};

}  // namespace

std::unique_ptr<NativeContext> CreateEglContext(int major, int minor) {
  return std::make_unique<EglContext>(major, minor);
}

}  // namespace hostkit::detail

// WGL binding for GLContext: a core context on a hidden window, the way a
// Windows host makes its own. The window is never shown; everything is drawn
// into the kit's framebuffer objects.
//
// A core context needs wglCreateContextAttribsARB, and that entry point can
// only be had while some context is current: a legacy context is made first
// on the same pixel format, used to look it up, and destroyed.

#include <windows.h>

#include <GL/glew.h>
#include <GL/wglew.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "hostkit/NativeContext.h"

namespace hostkit::detail {
namespace {

constexpr char kWindowClass[] = "VeltrimaHostKitGL";

std::string Failed(const char* what) {
  return std::string(what) + " failed (error " + std::to_string(GetLastError()) + ")";
}

void RegisterWindowClassOnce() {
  static const bool registered = [] {
    WNDCLASSA windowClass{};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWindowClass;
    return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  if (!registered) throw std::runtime_error(Failed("RegisterClass"));
}

class WglContext final : public NativeContext {
 public:
  WglContext(int major, int minor) {
    RegisterWindowClassOnce();
    window_ = CreateWindowExA(0, kWindowClass, "hostkit", WS_OVERLAPPEDWINDOW, 0, 0, 16, 16,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window_) throw std::runtime_error(Failed("CreateWindowEx"));
    try {
      Create(major, minor);
    } catch (...) {
      Destroy();
      throw;
    }
  }

  ~WglContext() override { Destroy(); }

  void MakeCurrent() override {
    if (!wglMakeCurrent(dc_, context_)) throw std::runtime_error(Failed("wglMakeCurrent"));
  }

 private:
  void Create(int major, int minor) {
    dc_ = GetDC(window_);
    if (!dc_) throw std::runtime_error(Failed("GetDC"));
    PIXELFORMATDESCRIPTOR format{};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 32;
    format.cAlphaBits = 8;
    format.cDepthBits = 24;
    format.cStencilBits = 8;
    format.iLayerType = PFD_MAIN_PLANE;
    const int index = ChoosePixelFormat(dc_, &format);
    if (index == 0) throw std::runtime_error(Failed("ChoosePixelFormat"));
    if (!SetPixelFormat(dc_, index, &format)) throw std::runtime_error(Failed("SetPixelFormat"));

    HGLRC legacy = wglCreateContext(dc_);
    if (!legacy) throw std::runtime_error(Failed("wglCreateContext"));
    if (!wglMakeCurrent(dc_, legacy)) {
      wglDeleteContext(legacy);
      throw std::runtime_error(Failed("wglMakeCurrent"));
    }
    const PROC found = wglGetProcAddress("wglCreateContextAttribsARB");
    PFNWGLCREATECONTEXTATTRIBSARBPROC createContextAttribs = nullptr;
    static_assert(sizeof createContextAttribs == sizeof found, "function pointers differ");
    std::memcpy(&createContextAttribs, &found, sizeof found);
    if (createContextAttribs) {
      const int attributes[] = {WGL_CONTEXT_MAJOR_VERSION_ARB, major,
                                WGL_CONTEXT_MINOR_VERSION_ARB, minor,
                                WGL_CONTEXT_PROFILE_MASK_ARB, WGL_CONTEXT_CORE_PROFILE_BIT_ARB,
                                0};
      context_ = createContextAttribs(dc_, nullptr, attributes);
    }
    const DWORD createError = GetLastError();
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(legacy);
    if (!createContextAttribs) throw std::runtime_error("WGL_ARB_create_context is not offered");
    if (!context_)
      throw std::runtime_error("wglCreateContextAttribsARB refused the request (error " +
                               std::to_string(createError) + ")");
    MakeCurrent();
  }

  void Destroy() {
    if (context_) {
      if (wglGetCurrentContext() == context_) wglMakeCurrent(nullptr, nullptr);
      wglDeleteContext(context_);
      context_ = nullptr;
    }
    if (dc_) ReleaseDC(window_, dc_);
    dc_ = nullptr;
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
  }

  HWND window_ = nullptr;
  HDC dc_ = nullptr;
  HGLRC context_ = nullptr;
};

}  // namespace

std::unique_ptr<NativeContext> CreateWglContext(int major, int minor) {
  return std::make_unique<WglContext>(major, minor);
}

}  // namespace hostkit::detail

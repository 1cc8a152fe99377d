// GLX binding for GLContext: a core context on a hidden 1x1 window of a private Xvfb.

#include <GL/glx.h>
#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <mutex>
#include <stdexcept>
#include <string>

#include "hostkit/NativeContext.h"
#include "hostkit/Xvfb.h"

namespace hostkit::detail {
namespace {

// Xlib's default error handler ends the process, and a refused context version is
// reported as an X error. While a request that may fail is in flight, errors are
// recorded here instead. The handler is process-wide, hence the lock.
std::mutex trapMutex;
int trappedError = 0;

int RecordXError(Display*, XErrorEvent* event) {
  trappedError = event->error_code;
  return 0;
}

class XErrorTrap {
 public:
  explicit XErrorTrap(Display* display) : lock_(trapMutex), display_(display) {
    XSync(display_, False);
    trappedError = 0;
    previous_ = XSetErrorHandler(RecordXError);
  }
  ~XErrorTrap() {
    XSync(display_, False);
    XSetErrorHandler(previous_);
  }
  XErrorTrap(const XErrorTrap&) = delete;
  XErrorTrap& operator=(const XErrorTrap&) = delete;

  // Flushes pending requests and returns the first error code they raised, or 0.
  int Check() {
    XSync(display_, False);
    return trappedError;
  }

 private:
  std::lock_guard<std::mutex> lock_;
  Display* display_;
  int (*previous_)(Display*, XErrorEvent*) = nullptr;
};

// Closing the last X connection of a driver makes the GL dispatcher unload
// Mesa's GLX vendor library and its *_dri.so, and LeakSanitizer then reports
// their own allocations as leaks from an unknown module. Taking one more
// reference on each keeps them resident for the life of the process, as the
// never-terminated EGL display does for EGL.
bool IsMesaGlxModule(const std::string& name) {
  const auto endsWith = [&](const std::string& suffix) {
    return name.size() > suffix.size() &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
  };
  return endsWith("_dri.so") || name.find("/libGLX_mesa.so") != std::string::npos;
}

void PinLoadedDriModules() {
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void*) {
        const std::string name = info->dlpi_name ? info->dlpi_name : "";
        if (IsMesaGlxModule(name))
          dlopen(name.c_str(), RTLD_LAZY | RTLD_NOLOAD);  // deliberately never closed
        return 0;
      },
      nullptr);
}

class GlxContext final : public NativeContext {
 public:
  GlxContext(int major, int minor) {
    try {
      Create(major, minor);
    } catch (...) {
      Release();
      throw;
    }
  }
  ~GlxContext() override { Release(); }

  GlxContext(const GlxContext&) = delete;
  GlxContext& operator=(const GlxContext&) = delete;

  void MakeCurrent() override {
    if (!glXMakeContextCurrent(display_, window_, window_, context_))
      throw std::runtime_error("glXMakeContextCurrent failed on " + xvfb_.DisplayName());
  }

 private:
  void Create(int major, int minor) {
    display_ = XOpenDisplay(xvfb_.DisplayName().c_str());
    if (!display_) throw std::runtime_error("GLX cannot open the private X display " + xvfb_.DisplayName());
    const int screen = DefaultScreen(display_);
    int glxMajor = 0, glxMinor = 0;
    if (!glXQueryVersion(display_, &glxMajor, &glxMinor) || glxMajor < 1 || (glxMajor == 1 && glxMinor < 3))
      throw std::runtime_error("GLX 1.3 unavailable on the private X display");
    if (!HasExtension(glXQueryExtensionsString(display_, screen), "GLX_ARB_create_context_profile"))
      throw std::runtime_error("GLX lacks GLX_ARB_create_context_profile");
    auto createContext = reinterpret_cast<PFNGLXCREATECONTEXTATTRIBSARBPROC>(
        glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXCreateContextAttribsARB")));
    if (!createContext) throw std::runtime_error("GLX has no glXCreateContextAttribsARB");

    const int configAttributes[] = {GLX_DRAWABLE_TYPE, GLX_WINDOW_BIT, GLX_RENDER_TYPE, GLX_RGBA_BIT,
                                    GLX_X_RENDERABLE, True, GLX_DOUBLEBUFFER, True,
                                    GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, GLX_ALPHA_SIZE, 8,
                                    None};
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(display_, screen, configAttributes, &count);
    if (!configs || count == 0) {
      if (configs) XFree(configs);
      throw std::runtime_error("GLX offers no double-buffered RGBA8 window configuration");
    }
    // The configs themselves stay valid while the display is open; only the list is freed.
    const GLXFBConfig config = configs[0];
    XFree(configs);

    const int contextAttributes[] = {GLX_CONTEXT_MAJOR_VERSION_ARB, major,
                                     GLX_CONTEXT_MINOR_VERSION_ARB, minor,
                                     GLX_CONTEXT_PROFILE_MASK_ARB, GLX_CONTEXT_CORE_PROFILE_BIT_ARB,
                                     None};
    int error = 0;
    {
      XErrorTrap trap(display_);
      context_ = createContext(display_, config, nullptr, True, contextAttributes);
      error = trap.Check();
    }
    if (!context_ || error) {
      char name[128] = "no X error";
      if (error) XGetErrorText(display_, error, name, sizeof name);
      throw std::runtime_error("GLX driver refused the context (" + std::string(name) + ")");
    }
    CreateWindow(config);
    MakeCurrent();
  }

  // The context is made current on a hidden 1x1 window of the config's own visual,
  // with a double-buffered config. With a single-buffered pbuffer instead, Mesa's
  // software path copied the front buffer out with XShmPutImage once the default
  // framebuffer was rebound after a readback; Xvfb rejected that (BadMatch) and Xlib's
  // default handler ended the process. The kit renders into its own framebuffer
  // objects, so what the window holds never matters.
  void CreateWindow(GLXFBConfig config) {
    XVisualInfo* visual = glXGetVisualFromFBConfig(display_, config);
    if (!visual) throw std::runtime_error("GLX config has no X visual");
    const Window root = RootWindow(display_, visual->screen);
    XSetWindowAttributes attributes{};
    colormap_ = XCreateColormap(display_, root, visual->visual, AllocNone);
    attributes.colormap = colormap_;
    attributes.border_pixel = 0;
    window_ = XCreateWindow(display_, root, 0, 0, 1, 1, 0, visual->depth, InputOutput, visual->visual,
                            CWColormap | CWBorderPixel, &attributes);
    XFree(visual);
    if (!window_) throw std::runtime_error("GLX could not create its 1x1 window");
  }

  // Tolerates a partly built object, so it serves both failed construction and the destructor.
  void Release() noexcept {
    if (display_) {
      if (context_ && glXGetCurrentContext() == context_) glXMakeContextCurrent(display_, None, None, nullptr);
      if (context_) glXDestroyContext(display_, context_);
      if (window_) XDestroyWindow(display_, window_);
      if (colormap_) XFreeColormap(display_, colormap_);
      PinLoadedDriModules();  // whatever driver this display loaded must outlive it
      XCloseDisplay(display_);
    }
    context_ = nullptr;
    window_ = 0;
    colormap_ = 0;
    display_ = nullptr;
  }

  XvfbServer xvfb_;  // declared first: it must outlive the display connection
  Display* display_ = nullptr;
  GLXContext context_ = nullptr;
  Colormap colormap_ = 0;
  Window window_ = 0;
};

}  // namespace

std::unique_ptr<NativeContext> CreateGlxContext(int major, int minor) {
  try {
    return std::make_unique<GlxContext>(major, minor);
  } catch (const XvfbError& e) {
    throw std::runtime_error(std::string("GLX needs a private X server: ") + e.what());
  }
}

}  // namespace hostkit::detail

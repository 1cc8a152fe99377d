#pragma once

#include <memory>
#include <stdexcept>
#include <string>

namespace hostkit {

// Wgl is the only backend on Windows, Egl and Glx the ones on Linux.
enum class GLBackend { Egl, Glx, Wgl };

struct GLContextOptions {
#if defined(_WIN32)
  GLBackend backend = GLBackend::Wgl;
#else
  GLBackend backend = GLBackend::Egl;
#endif
  int major = 4;
  int minor = 1;
};

// Raised when no suitable context can be made; the message is one line.
class GLContextError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

namespace detail {
class NativeContext;
}

// An OpenGL core-profile context, current on the constructing thread, that needs no
// display: EGL uses Mesa's surfaceless platform, GLX runs against a private Xvfb, WGL
// (Windows) makes it on a hidden window.
//
// The driver decides the version actually given. Mesa 22.3 (llvmpipe) answers every
// core request from 3.2 up to 4.5 with a 4.5 core context, under EGL and GLX alike,
// and refuses anything above 4.5. To really get e.g. a 3.3 context from Mesa, set
// MESA_GL_VERSION_OVERRIDE=3.3 in the environment before the first context of the
// process is made; then 3.3 core is the most it gives and requests above it fail.
// VersionString() always reports what was given.
class GLContext {
 public:
  // Throws GLContextError ("no OpenGL 4.1 core context: <reason>") when the context
  // cannot be made, is not core profile, or is older than requested.
  explicit GLContext(const GLContextOptions& options = {});
  // Releases the context if it is current on this thread, destroys it and, for GLX,
  // stops the private X server.
  ~GLContext();

  GLContext(const GLContext&) = delete;
  GLContext& operator=(const GLContext&) = delete;

  GLBackend Backend() const { return backend_; }
  // glGetString(GL_VERSION) as it was when the context was made.
  std::string VersionString() const { return version_; }
  // What the kit's glewInit() answered: 0, or 4 (no GLX display) under EGL.
  int GlewInitResult() const { return glewInitResult_; }
  // Makes this context current on the calling thread; throws GLContextError on failure.
  void MakeCurrent();

 private:
  GLBackend backend_;
  std::unique_ptr<detail::NativeContext> native_;
  std::string version_;
  int glewInitResult_ = -1;
};

// The options a whole test run uses: VELTRIMA_GL="egl" (also the default when unset
// or empty) or "glx", any case. Throws GLContextError on any other value. On Windows
// always WGL.
GLContextOptions OptionsFromEnvironment();

}  // namespace hostkit

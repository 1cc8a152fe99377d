#include "hostkit/GLContext.h"

#include <GL/glew.h>

#include <cctype>
#include <cstdlib>

#include "hostkit/NativeContext.h"

namespace hostkit {
namespace {

std::string VersionName(int major, int minor) {
  return std::to_string(major) + "." + std::to_string(minor);
}

// Checks what the driver actually gave; returns an empty string when it will do.
std::string CheckGivenContext(int major, int minor) {
  GLint givenMajor = 0, givenMinor = 0, profile = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &givenMajor);
  glGetIntegerv(GL_MINOR_VERSION, &givenMinor);
  glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
  if (givenMajor < major || (givenMajor == major && givenMinor < minor))
    return "driver gave only OpenGL " + VersionName(givenMajor, givenMinor);
  if ((profile & GL_CONTEXT_CORE_PROFILE_BIT) == 0) return "driver gave no core profile";
  return {};
}

}  // namespace

GLContext::GLContext(const GLContextOptions& options) : backend_(options.backend) {
  const bool egl = options.backend == GLBackend::Egl;
  const std::string prefix = "no OpenGL " + VersionName(options.major, options.minor) + " core context: ";
  const std::string api = egl ? "EGL " : options.backend == GLBackend::Glx ? "GLX " : "WGL ";
  // Core profiles begin at 3.2; asking for less would silently mean something else.
  if (options.major < 3 || (options.major == 3 && options.minor < 2) || options.minor < 0)
    throw GLContextError(prefix + "core profiles start at OpenGL 3.2");
  try {
#if defined(_WIN32)
    if (options.backend != GLBackend::Wgl) throw std::runtime_error("only WGL exists on Windows");
    native_ = detail::CreateWglContext(options.major, options.minor);
#else
    if (options.backend == GLBackend::Wgl) throw std::runtime_error("WGL exists only on Windows");
    native_ = egl ? detail::CreateEglContext(options.major, options.minor)
                  : detail::CreateGlxContext(options.major, options.minor);
#endif
  } catch (const std::exception& e) {
    throw GLContextError(prefix + e.what());
  }

  // GLEW loads every entry point first and only then looks for GLX, so under EGL
  // "no GLX display" (4) still means the GL functions are ready.
  glewInitResult_ = static_cast<int>(glewInit());
  if (glewInitResult_ != GLEW_OK && !(egl && glewInitResult_ == GLEW_ERROR_NO_GLX_DISPLAY))
    throw GLContextError(prefix + api + "glewInit failed with " + std::to_string(glewInitResult_) + " (" +
                         reinterpret_cast<const char*>(glewGetErrorString(
                             static_cast<GLenum>(glewInitResult_))) + ")");

  const std::string problem = CheckGivenContext(options.major, options.minor);
  if (!problem.empty()) throw GLContextError(prefix + api + problem);
  const GLubyte* version = glGetString(GL_VERSION);
  version_ = version ? reinterpret_cast<const char*>(version) : "";
}

GLContext::~GLContext() = default;

void GLContext::MakeCurrent() {
  try {
    native_->MakeCurrent();
  } catch (const std::exception& e) {
    throw GLContextError(std::string("cannot make the OpenGL context current: ") + e.what());
  }
}

GLContextOptions OptionsFromEnvironment() {
  GLContextOptions options;
#if !defined(_WIN32)  // on Windows, WGL is the only backend
  const char* raw = std::getenv("VELTRIMA_GL");
  std::string value = raw ? raw : "";
  for (char& c : value) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (value.empty() || value == "egl")
    options.backend = GLBackend::Egl;
  else if (value == "glx")
    options.backend = GLBackend::Glx;
  else
    throw GLContextError("VELTRIMA_GL must be \"egl\" or \"glx\", not \"" + std::string(raw) + "\"");
#endif
  return options;
}

}  // namespace hostkit

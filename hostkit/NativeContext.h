#pragma once

// Internal to the kit: one window-system binding (EGL or GLX; WGL on Windows)
// behind GLContext.

#include <cstring>
#include <memory>

namespace hostkit::detail {

class NativeContext {
 public:
  virtual ~NativeContext() = default;
  // Throws std::runtime_error with a one-line reason.
  virtual void MakeCurrent() = 0;
};

// Both make a core-profile context of at least major.minor current on this thread,
// or throw std::runtime_error saying why not.
// Whether a space-separated extension list names the extension exactly.
inline bool HasExtension(const char* list, const char* name) {
  if (!list) return false;
  const std::size_t length = std::strlen(name);
  for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += length) {
    const bool startsWord = p == list || p[-1] == ' ';
    const bool endsWord = p[length] == ' ' || p[length] == '\0';
    if (startsWord && endsWord) return true;
  }
  return false;
}

#if defined(_WIN32)
std::unique_ptr<NativeContext> CreateWglContext(int major, int minor);
#else
std::unique_ptr<NativeContext> CreateEglContext(int major, int minor);
std::unique_ptr<NativeContext> CreateGlxContext(int major, int minor);
#endif

}  // namespace hostkit::detail

#include <dlfcn.h>

#include "hostkit/SharedLibrary.h"

namespace hostkit::detail {

void* OpenSharedLibrary(const std::string& path, bool keepLoaded, std::string& error) {
  int flags = RTLD_NOW | RTLD_LOCAL;
  // Keeps the plug-in's frames symbolised in sanitizer reports.
  if (keepLoaded) flags |= RTLD_NODELETE;
  void* library = dlopen(path.c_str(), flags);
  if (!library) {
    const char* reason = dlerror();
    error = reason ? reason : "unknown";
  }
  return library;
}

void* FindSymbol(void* library, const char* name) { return dlsym(library, name); }

void CloseSharedLibrary(void* library) { dlclose(library); }

}  // namespace hostkit::detail

// Internal to the kit: the operating system's loader for shared libraries
// (dlopen on Linux, LoadLibrary on Windows) behind PluginLibrary.
#pragma once

#include <string>

namespace hostkit::detail {

// Loads the library now, resolving everything. `keepLoaded` pins it for the
// life of the process. Answers null and puts the loader's reason into
// `error` when it cannot be loaded.
void* OpenSharedLibrary(const std::string& path, bool keepLoaded, std::string& error);
// The exported symbol's address, or null.
void* FindSymbol(void* library, const char* name);
void CloseSharedLibrary(void* library);

}  // namespace hostkit::detail

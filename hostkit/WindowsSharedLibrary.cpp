#include <windows.h>

#include <cstring>

#include "hostkit/SharedLibrary.h"

namespace hostkit::detail {
namespace {

std::string LastErrorText() {
  const DWORD code = GetLastError();
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length && text ? std::string(text, length) : std::string();
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.pop_back();
  return "error " + std::to_string(code) + (message.empty() ? "" : " (" + message + ")");
}

}  // namespace

void* OpenSharedLibrary(const std::string& path, bool keepLoaded, std::string& error) {
  // Windows shows a dialog box for some load failures unless told not to; a
  // test or tool has nobody to click it.
  const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE module = LoadLibraryA(path.c_str());
  SetErrorMode(previous);
  if (!module) {
    error = LastErrorText();
    return nullptr;
  }
  if (keepLoaded) {
    HMODULE pinned = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCSTR>(module), &pinned);
  }
  return module;
}

void* FindSymbol(void* library, const char* name) {
  const FARPROC procedure = GetProcAddress(static_cast<HMODULE>(library), name);
  void* symbol;
  static_assert(sizeof symbol == sizeof procedure, "function and object pointers differ");
  std::memcpy(&symbol, &procedure, sizeof symbol);
  return symbol;
}

void CloseSharedLibrary(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

}  // namespace hostkit::detail

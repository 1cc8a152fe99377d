// A DLL with everything the table check must refuse: an export beyond the
// two, and (linked without -static) an import of MinGW's libstdc++ DLL.
#include <string>

extern "C" __declspec(dllexport) unsigned long long plugMain(unsigned, unsigned long long, void*) {
  return 0;
}
extern "C" __declspec(dllexport) void SetLogCallback(void (*)(const char*)) {}
extern "C" __declspec(dllexport) std::size_t ExtraExport(const char* text) {
  return std::string(text).size();
}

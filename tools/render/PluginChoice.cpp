#include "tools/render/PluginChoice.h"

#include <cstdlib>
#include <filesystem>

#include "tools/UsageError.h"

namespace {

#ifdef _WIN32
constexpr char kModuleSuffix[] = ".dll";
#else
constexpr char kModuleSuffix[] = ".so";
#endif

struct ShortName {
  const char* name;
  const char* module;
};
constexpr ShortName kModules[] = {
    {"sync", "OVNVeltrimaSync"}, {"map", "OVNVeltrimaMap"}, {"hdr", "OVNVeltrimaHdr"}};

std::filesystem::path ModuleFolder() {
  if (const char* folder = std::getenv(kPluginFolderVariable); folder && *folder) return folder;
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path(".") : self.parent_path().parent_path();
}

}  // namespace

PluginChoice ChoosePlugin(const std::string& argument) {
  if (argument.empty() || argument == "free") return {};
  std::string path = argument;
  std::string how = "";
  for (const ShortName& entry : kModules)
    if (argument == entry.name) {
      path = (ModuleFolder() / (std::string(entry.module) + kModuleSuffix)).string();
      how = std::string(" (set ") + kPluginFolderVariable + " to the folder that holds it)";
    }
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error))
    throw UsageError("--plugin " + argument + ": no plug-in module at " + path + how);
  return {false, path};
}

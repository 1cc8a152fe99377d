// ffgl-inspect: loads an FFGL plug-in file the way a host does and prints its
// information record and its parameter table. Works on any FFGL 2.1 plug-in;
// needs no GL context (information and parameter queries need none).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstring>
#include <string>

#include "hostkit/ParameterTable.h"

namespace {

std::string FixedText(const char* field, std::size_t capacity) {
  return std::string(field, strnlen(field, capacity));
}

void PrintInformation(const hostkit::PluginLibrary& plugin) {
  const PluginInfoStruct* info = plugin.GetInfo();
  if (!info) {
    std::printf("information: none\n");
    return;
  }
  std::printf("name:        %s\n", FixedText(info->PluginName, sizeof info->PluginName).c_str());
  std::printf("unique ID:   %s\n",
              FixedText(info->PluginUniqueID, sizeof info->PluginUniqueID).c_str());
  std::printf("API version: %u.%u\n", info->APIMajorVersion, info->APIMinorVersion);
  std::printf("type:        %u (%s)\n", info->PluginType,
              info->PluginType == FF_SOURCE ? "source" : info->PluginType == 0 ? "effect" : "other");
  if (const PluginExtendedInfoStruct* extended = plugin.GetExtendedInfo()) {
    std::printf("version:     %u.%u\n", extended->PluginMajorVersion,
                extended->PluginMinorVersion);
    std::printf("description: %s\n", extended->Description ? extended->Description : "");
    std::printf("about:       %s\n", extended->About ? extended->About : "");
  }
  std::printf("inputs:      %u to %u; host time %s; top-left textures %s\n",
              plugin.GetCapability(FF_CAP_MINIMUM_INPUT_FRAMES),
              plugin.GetCapability(FF_CAP_MAXIMUM_INPUT_FRAMES),
              plugin.GetCapability(FF_CAP_SET_TIME) == 1 ? "accepted" : "not accepted",
              plugin.GetCapability(FF_CAP_TOP_LEFT_TEXTURE_ORIENTATION) == 1 ? "asked" : "not asked");
}

void PrintParameters(const hostkit::PluginLibrary& plugin) {
  if (plugin.GetNumParameters() == FF_FAIL) {
    std::printf("\nparameters: the plug-in answered failure\n");
    return;
  }
  // Any plug-in file may be inspected: its texts are read defensively.
  const auto table = hostkit::ReadParameterTable(plugin, hostkit::TableReading::Defensive);
  std::printf("\n%zu parameters:\n", table.size());
  std::printf("%5s  %-20s %-9s %12s  %s\n", "index", "name", "type", "default", "range / elements");
  for (const auto& p : table) {
    std::string defaultText;
    if (p.isText) {
      defaultText = "\"" + p.defaultText + "\"";
    } else {
      char number[32];
      std::snprintf(number, sizeof number, "%g", static_cast<double>(p.DefaultValue()));
      defaultText = number;
    }
    std::printf("%5u  %-20s %-9s %12s  %g to %g", p.id, p.name.c_str(),
                hostkit::ParameterTypeName(p.type).c_str(), defaultText.c_str(),
                static_cast<double>(p.minimum), static_cast<double>(p.maximum));
    if (p.type == FF_TYPE_OPTION) {
      std::printf(";");
      for (std::size_t e = 0; e < p.elements.size(); ++e)
        std::printf("%s %g \"%s\"", e ? "," : "", static_cast<double>(p.elements[e].value),
                    p.elements[e].name.c_str());
    }
    std::printf("\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Loads an FFGL plug-in file and prints its information and parameters."};
  std::string path;
  app.add_option("plugin", path, "the plug-in file (.so)")->required();
  CLI11_PARSE(app, argc, argv);
  // dlopen searches the library path for a bare file name; the user means the file.
  if (path.find('/') == std::string::npos) path = "./" + path;
  try {
    const hostkit::PluginLibrary plugin(path);
    std::printf("plug-in file: %s\n", plugin.Path().c_str());
    PrintInformation(plugin);
    PrintParameters(plugin);
    plugin.Deinitialise();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "ffgl-inspect: %s\n", error.what());
    return 1;
  }
  return 0;
}

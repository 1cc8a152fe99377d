// ffgl-inspect: loads an FFGL plug-in file the way a host does and prints its
// information record and its parameter table. Works on any FFGL 2.1 plug-in;
// needs no GL context (information and parameter queries need none).
#include <cstdio>
#include <cstring>
#include <string>

#include "hostkit/PluginLibrary.h"

namespace {

std::string FixedText(const char* field, std::size_t capacity) {
  return std::string(field, strnlen(field, capacity));
}

const char* TypeName(FFUInt32 type) {
  switch (type) {
    case FF_TYPE_BOOLEAN: return "boolean";
    case FF_TYPE_STANDARD: return "standard";
    case FF_TYPE_OPTION: return "option";
    case FF_TYPE_BUFFER: return "buffer";
    case FF_TYPE_INTEGER: return "integer";
    case FF_TYPE_FILE: return "file";
    case FF_TYPE_TEXT: return "text";
    default: return "unknown";
  }
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
  const FFUInt32 count = plugin.GetNumParameters();
  if (count == FF_FAIL) {
    std::printf("\nparameters: the plug-in answered failure\n");
    return;
  }
  std::printf("\n%u parameters:\n", count);
  std::printf("%5s  %-20s %-9s %12s  %s\n", "index", "name", "type", "default", "range / elements");
  for (FFUInt32 id = 0; id < count; ++id) {
    const char* name = plugin.GetParameterName(id);
    const FFUInt32 type = plugin.GetParameterType(id);
    const FFMixed def = plugin.GetParameterDefault(id);
    std::string defaultText;
    if (type == FF_TYPE_TEXT || type == FF_TYPE_FILE) {
      const char* text = static_cast<const char*>(def.PointerValue);
      defaultText = std::string("\"") + (text ? text : "") + "\"";
    } else {
      char number[32];
      std::snprintf(number, sizeof number, "%g",
                    static_cast<double>(hostkit::FloatFromBits(def.UIntValue)));
      defaultText = number;
    }
    float minimum = 0.0f, maximum = 1.0f;
    plugin.GetRange(id, minimum, maximum);
    std::printf("%5u  %-20s %-9s %12s  %g to %g", id, name ? name : "(null)", TypeName(type),
                defaultText.c_str(), static_cast<double>(minimum), static_cast<double>(maximum));
    if (type == FF_TYPE_OPTION) {
      const FFUInt32 elements = plugin.GetElementCount(nullptr, id);
      std::printf(";");
      for (FFUInt32 e = 0; e < elements && elements != FF_FAIL; ++e) {
        const char* element = plugin.GetElementName(nullptr, id, e);
        std::printf("%s %g \"%s\"", e ? "," : "",
                    static_cast<double>(
                        hostkit::FloatFromBits(plugin.GetElementValue(nullptr, id, e).UIntValue)),
                    element ? element : "");
      }
    }
    std::printf("\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fprintf(argc == 2 ? stdout : stderr,
                 "usage: ffgl-inspect PLUGIN\n"
                 "Loads an FFGL plug-in file and prints its information and parameters.\n");
    return argc == 2 ? 0 : 2;
  }
  try {
    const hostkit::PluginLibrary plugin(argv[1]);
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

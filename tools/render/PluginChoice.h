// Which plug-in the tool renders (--plugin): FREE linked into the tool (the
// default, with its stepped clock), one of the project's other modules by
// short name, or any FFGL module file by path.
#pragma once

#include <string>

struct PluginChoice {
  bool linked = true;  // FREE's code inside the tool
  std::string path;    // the module file otherwise
};

// The environment variable that names the folder holding the project's
// modules, ahead of the folder above the tool's own executable.
constexpr char kPluginFolderVariable[] = "VELTRIMA_PLUGIN_DIR";

// "free", "sync", "map" or a path. A short name becomes the module file in
// $VELTRIMA_PLUGIN_DIR when set, else in the folder above the executable's
// own (build/tools/veltrima-render finds build/OVNVeltrimaSync.so). Throws
// UsageError naming the path tried when no such file exists.
PluginChoice ChoosePlugin(const std::string& argument);

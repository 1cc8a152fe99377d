// Every plug-in module exports exactly plugMain and SetLogCallback: anything
// else a host could bind to, or that could clash with another plug-in loaded
// beside it, is hidden. Each module also carries the file name hosts and
// users look for.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>

namespace {

std::set<std::string> DefinedDynamicSymbols(const std::string& path) {
  const std::string command = "nm -D --defined-only --format=posix '" + path + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::set<std::string> symbols;
  if (!pipe) return symbols;
  char line[1024];
  while (std::fgets(line, sizeof line, pipe.get())) {
    std::string text(line);
    symbols.insert(text.substr(0, text.find(' ')));
  }
  return symbols;
}

struct Module {
  const char* path;
  const char* fileName;
};

class Exports : public ::testing::TestWithParam<Module> {};

TEST_P(Exports, ExactlyTheTwoEntryPoints) {
  EXPECT_EQ(DefinedDynamicSymbols(GetParam().path), (std::set<std::string>{"SetLogCallback", "plugMain"}));
}

TEST_P(Exports, ModuleIsNamedForHosts) {
  const std::string path = GetParam().path;
  EXPECT_EQ(path.substr(path.find_last_of('/') + 1), GetParam().fileName);
}

INSTANTIATE_TEST_SUITE_P(EveryPlugin, Exports,
                         ::testing::Values(Module{VELTRIMA_FREE_PLUGIN_PATH, "OVNVeltrimaFree.so"},
                                           Module{VELTRIMA_SYNC_PLUGIN_PATH, "OVNVeltrimaSync.so"},
                                           Module{VELTRIMA_MAP_PLUGIN_PATH, "OVNVeltrimaMap.so"},
                                           Module{VELTRIMA_HDR_PLUGIN_PATH, "OVNVeltrimaHdr.so"}),
                         [](const ::testing::TestParamInfo<Module>& test) {
                           const std::string name = test.param.fileName;
                           return name.substr(0, name.find('.'));
                         });

}  // namespace

// The module exports exactly plugMain and SetLogCallback: anything else a
// host could bind to, or that could clash with another plug-in, is hidden.
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

TEST(Exports, ExactlyTheTwoEntryPoints) {
  const auto symbols = DefinedDynamicSymbols(VELTRIMA_PLUGIN_PATH);
  EXPECT_EQ(symbols, (std::set<std::string>{"SetLogCallback", "plugMain"}));
}

TEST(Exports, ModuleIsNamedForHosts) {
  const std::string path = VELTRIMA_PLUGIN_PATH;
  EXPECT_EQ(path.substr(path.find_last_of('/') + 1), "OVNVeltrimaFree.so");
}

}  // namespace

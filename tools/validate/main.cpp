// ffgl-validate: drives any FFGL 2.1 plug-in file through the function codes
// the way a careless, long-running host would, each check in a child process
// of its own, and reports one line per check.
#include <CLI/CLI.hpp>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>

#include "Check.h"
#include "CheckRunner.h"
#include "Report.h"

namespace validate {

std::vector<Check> AllChecks() {
  std::vector<Check> all;
  for (auto group : {LoadChecks, CallChecks, ParameterChecks, TextParameterChecks, LifecycleChecks,
                     FrameChecks, EventChecks, ContextChecks, LogChecks}) {
    auto checks = group();
    all.insert(all.end(), checks.begin(), checks.end());
  }
  return all;
}

namespace {

// A check runs when no --only was given, or one names it or its group
// ("frame" selects every "frame.*" check).
bool Selected(const std::string& name, const std::vector<std::string>& only) {
  if (only.empty()) return true;
  for (const auto& wanted : only)
    if (name == wanted || name.rfind(wanted + ".", 0) == 0) return true;
  return false;
}

int Main(int argc, char** argv) {
  CLI::App app{"Validates an FFGL 2.1 plug-in: each check runs in a child process of its own."};
  std::string pluginPath, jsonPath, backendName = "egl";
  std::uint64_t seed = 0;
  double timeout = 120;
  bool verbose = false, list = false;
  std::vector<std::string> only;
  app.add_option("plugin", pluginPath, "the plug-in file (.so)")->required();
  auto* seedOption = app.add_option("--seed", seed, "seed of every random choice (default: from the clock)");
  app.add_option("--json", jsonPath, "also write a JSON report to this file");
  app.add_option("--only", only, "run only this check, or every check of this group (repeatable)");
  app.add_option("--backend", backendName, "GL context: egl (surfaceless) or glx (private Xvfb)")
      ->check(CLI::IsMember({"egl", "glx"}));
  app.add_option("--timeout", timeout, "time limit of one check in seconds; the slow ones get a multiple")
      ->check(CLI::PositiveNumber);
  app.add_flag("--verbose", verbose, "print each check's details under its line");
  app.add_flag("--list", list, "list the checks and exit");
  CLI11_PARSE(app, argc, argv);

  const auto checks = AllChecks();
  if (list) {
    for (const auto& check : checks) std::cout << check.name << "\n";
    return 0;
  }
  // dlopen searches the library path for a bare file name; a host means the file.
  if (pluginPath.find('/') == std::string::npos) pluginPath = "./" + pluginPath;
  if (::access(pluginPath.c_str(), R_OK) != 0) {
    std::cerr << "ffgl-validate: cannot read " << pluginPath << "\n";
    return 2;
  }
  for (const auto& wanted : only) {
    bool known = false;
    for (const auto& check : checks) known = known || Selected(check.name, {wanted});
    if (!known) {
      std::cerr << "ffgl-validate: no check named \"" << wanted << "\" (see --list)\n";
      return 2;
    }
  }
  if (seedOption->count() == 0)
    seed = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) % 1000000007u;

  RunOptions options;
  options.pluginPath = pluginPath;
  options.seed = seed;
  options.backend = backendName == "glx" ? hostkit::GLBackend::Glx : hostkit::GLBackend::Egl;
  options.timeoutSeconds = timeout;
  std::cout << "seed: " << seed << std::endl;

  const CheckRunner runner(options);
  std::vector<CheckResult> results;
  for (const auto& check : checks) {
    if (!Selected(check.name, only)) continue;
    results.push_back(runner.Run(check));
    const auto& result = results.back();
    std::cout << ResultLine(result) << std::endl;
    if (verbose) {
      char seconds[32];
      std::snprintf(seconds, sizeof seconds, "%.2f", result.seconds);
      std::cout << "    " << seconds << " s" << (result.reason.empty() || result.verdict != Verdict::Pass
                                                       ? ""
                                                       : ": " + result.reason)
                << "\n";
      for (const auto& detail : result.details) std::cout << "    " << detail << "\n";
    }
  }
  const Totals totals = Count(results);
  std::cout << TotalsLine(totals) << std::endl;
  if (!jsonPath.empty()) {
    std::ofstream json(jsonPath);
    WriteJson(json, pluginPath, seed, backendName, results);
    if (!json) {
      std::cerr << "ffgl-validate: cannot write " << jsonPath << "\n";
      return 2;
    }
  }
  return totals.failed > 0 ? 1 : 0;
}

}  // namespace
}  // namespace validate

int main(int argc, char** argv) { return validate::Main(argc, argv); }

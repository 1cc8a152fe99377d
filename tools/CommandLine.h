// The command-line reading every tool shares: --help prints the help and
// ends the program with 0; a mistake is one line, "PROGRAM: error: ...", on
// standard error and the usage status.
#pragma once

#include <CLI/CLI.hpp>

#include <cstdio>
#include <optional>

#include "tools/UsageError.h"

// Parses argv into `app`; the status to exit with when the program should
// stop here, nothing when it goes on.
inline std::optional<int> ParseCommandLine(CLI::App& app, int argc, char** argv,
                                           const char* program) {
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::ParseError& error) {
    std::fprintf(stderr, "%s: error: %s\n", program, error.what());
    return kUsageExitStatus;
  }
  return std::nullopt;
}

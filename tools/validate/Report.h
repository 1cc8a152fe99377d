// The run's report: one line per check as it finishes, the closing totals
// line, and the same verdicts as JSON.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "CheckRunner.h"

namespace validate {

struct Totals {
  int passed = 0, failed = 0, skipped = 0;
};

Totals Count(const std::vector<CheckResult>& results);

// "PASS name", "FAIL name: reason", "CRASH name: signal 11 (SIGSEGV)", ...
std::string ResultLine(const CheckResult& result);

// "N passed, N failed", then ", N skipped" when any were.
std::string TotalsLine(const Totals& totals);

nlohmann::json ReportJson(const std::string& pluginPath, std::uint64_t seed, const std::string& backend,
                          const std::vector<CheckResult>& results);

// The report as UTF-8 JSON. Texts are kept as they are; bytes that are not
// valid UTF-8 (a plug-in's stray output) become U+FFFD, so the file always
// parses.
void WriteJson(std::ostream& out, const std::string& pluginPath, std::uint64_t seed,
               const std::string& backend, const std::vector<CheckResult>& results);

}  // namespace validate

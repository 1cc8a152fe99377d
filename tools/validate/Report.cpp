#include "Report.h"

#include <cmath>

namespace validate {

Totals Count(const std::vector<CheckResult>& results) {
  Totals totals;
  for (const auto& result : results) {
    if (result.verdict == Verdict::Pass) ++totals.passed;
    else if (result.verdict == Verdict::Skip) ++totals.skipped;
    else ++totals.failed;
  }
  return totals;
}

std::string ResultLine(const CheckResult& result) {
  std::string line = std::string(VerdictName(result.verdict)) + " " + result.name;
  if (result.verdict != Verdict::Pass && !result.reason.empty()) line += ": " + result.reason;
  return line;
}

std::string TotalsLine(const Totals& totals) {
  std::string line = std::to_string(totals.passed) + " passed, " + std::to_string(totals.failed) + " failed";
  if (totals.skipped > 0) line += ", " + std::to_string(totals.skipped) + " skipped";
  return line;
}

nlohmann::json ReportJson(const std::string& pluginPath, std::uint64_t seed, const std::string& backend,
                          const std::vector<CheckResult>& results) {
  nlohmann::json checks = nlohmann::json::array();
  for (const auto& r : results) {
    // Durations to the millisecond, as the lines print them.
    const double seconds = std::round(r.seconds * 1000.0) / 1000.0;
    checks.push_back({{"name", r.name},
                      {"verdict", VerdictName(r.verdict)},
                      {"reason", r.reason},
                      {"duration_s", seconds},
                      {"details", r.details},
                      {"output", r.output}});
  }
  const Totals totals = Count(results);
  return {{"plugin", pluginPath},
          {"seed", seed},
          {"backend", backend},
          {"checks", std::move(checks)},
          {"totals",
           {{"passed", totals.passed},
            {"failed", totals.failed},
            {"skipped", totals.skipped},
            {"checks", results.size()}}}};
}

void WriteJson(std::ostream& out, const std::string& pluginPath, std::uint64_t seed,
               const std::string& backend, const std::vector<CheckResult>& results) {
  out << ReportJson(pluginPath, seed, backend, results)
             .dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
      << "\n";
}

}  // namespace validate

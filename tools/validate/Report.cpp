#include "Report.h"

#include <cstdio>

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

std::string JsonEscape(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c >= 0x7F) {
          // Bytes outside printable ASCII travel as \u00XX so that a plug-in's
          // stray output never makes the report invalid UTF-8.
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out;
}

void WriteJson(std::ostream& out, const std::string& pluginPath, std::uint64_t seed,
               const std::string& backend, const std::vector<CheckResult>& results) {
  const Totals totals = Count(results);
  out << "{\n  \"plugin\": \"" << JsonEscape(pluginPath) << "\",\n"
      << "  \"seed\": " << seed << ",\n"
      << "  \"backend\": \"" << backend << "\",\n"
      << "  \"checks\": [";
  for (std::size_t i = 0; i < results.size(); ++i) {
    const auto& r = results[i];
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", r.seconds);
    out << (i ? ",\n" : "\n") << "    {\"name\": \"" << JsonEscape(r.name) << "\", \"verdict\": \""
        << VerdictName(r.verdict) << "\", \"reason\": \"" << JsonEscape(r.reason)
        << "\", \"duration_s\": " << seconds << ", \"details\": [";
    for (std::size_t d = 0; d < r.details.size(); ++d)
      out << (d ? ", " : "") << "\"" << JsonEscape(r.details[d]) << "\"";
    out << "], \"output\": \"" << JsonEscape(r.output) << "\"}";
  }
  out << "\n  ],\n  \"totals\": {\"passed\": " << totals.passed << ", \"failed\": " << totals.failed
      << ", \"skipped\": " << totals.skipped << ", \"checks\": " << results.size() << "}\n}\n";
}

}  // namespace validate

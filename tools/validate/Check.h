// One validator check: a name, a time limit and a body that runs in a child
// process of its own and answers a verdict with a one-line reason.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace validate {

class Session;

enum class Verdict { Pass, Fail, Crash, Timeout, Skip };

const char* VerdictName(Verdict verdict);

struct Outcome {
  Verdict verdict = Verdict::Pass;
  std::string reason;
};

inline Outcome Passed(std::string reason = {}) { return {Verdict::Pass, std::move(reason)}; }
inline Outcome Skipped(std::string reason) { return {Verdict::Skip, std::move(reason)}; }
inline Outcome Failed(std::string reason) { return {Verdict::Fail, std::move(reason)}; }

// Thrown by a check body (never through the plug-in) to end it with FAIL.
class CheckFailed : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Ends the check with FAIL and `reason` when `condition` is false.
inline void Require(bool condition, const std::string& reason) {
  if (!condition) throw CheckFailed(reason);
}

struct Check {
  std::string name;
  // The check's limit is this many times the --timeout value.
  double timeoutScale = 1.0;
  // When not negative: a passing check fails if the plug-in wrote more lines
  // than this to standard output.
  int maxStdoutLines = -1;
  std::function<Outcome(Session&)> run;
};

// Every check, in the order they run. Each group lives in its own file.
std::vector<Check> LoadChecks();
std::vector<Check> CallChecks();
std::vector<Check> ParameterChecks();
std::vector<Check> TextParameterChecks();
std::vector<Check> LifecycleChecks();
std::vector<Check> FrameChecks();
std::vector<Check> EventChecks();
std::vector<Check> ContextChecks();
std::vector<Check> LogChecks();
std::vector<Check> AllChecks();

}  // namespace validate

// Runs one check in a forked child with a time limit. The child makes its
// own GL context and loads the plug-in itself; the parent makes nothing GL.
// The child's verdict, steps and details come back through one pipe, its
// standard output through another.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Check.h"
#include "Session.h"

namespace validate {

struct CheckResult {
  std::string name;
  Verdict verdict = Verdict::Fail;
  std::string reason;
  double seconds = 0;
  std::vector<std::string> details;
  // What the child wrote to standard output (the plug-in's diagnostics),
  // cut at 64 KiB.
  std::string output;
};

class CheckRunner {
 public:
  explicit CheckRunner(RunOptions options);
  CheckResult Run(const Check& check) const;

 private:
  RunOptions options_;
};

// "SIGSEGV" for 11 and so on; "signal N" for a number without a name here.
std::string SignalName(int signal);

// Runs `body` in a forked child (call it before any GL is made in this
// process) and answers the text that `body` returned there; on a crash answers
// the empty text and says why in `failure`. For checks that compare runs.
std::string RunInChild(const std::function<std::string()>& body, std::string* failure);

}  // namespace validate

// The reader's verdict for a person (standard output) and as JSON: the
// first line "CLEAN: ..." or "FAULTS: ...", then one line per fault with its
// evidence and the setting likely to change; the JSON in the vocabulary
// README "Is the chain clean?" lists.
#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "tools/capture/DeclaredTags.h"
#include "tools/signal-read/ChainReading.h"
#include "tools/signal-read/GreyVerdict.h"
#include "tools/signal-read/ReferenceCapture.h"

struct SignalReport {
  std::string file;
  int frames = 0;
  DeclaredTags declared;  // what the file says of itself
  ChainReading reading;  // of the first frame with a strip
  GreyVerdict verdict;   // its greys, and the frame counter's faults
  // With --reference: the loop-back capture and the faults it shows, set
  // apart from the chain's.
  std::optional<ReferenceSummary> reference;
  bool Clean() const { return verdict.faults.empty() && !verdict.unexplained; }
};

std::string ReportText(const SignalReport& report);
nlohmann::json ReportJson(const SignalReport& report);

// What the grey steps and the ramp say the chain did, in the names of the
// reader's JSON vocabulary: a range change (range-expanded, range-squeezed,
// range-squeezed-twice), clipping below black or above white
// (footroom-clipped, headroom-clipped) and an 8-bit stage (eight-bit,
// "rule" truncated, rounded, scaled or dithered: DitherVerdict.h).
//
// Evidence needed, so that no fault is named on less:
//  - a range change: a straight line through the ladder steps that arrive
//    unclipped (at least three) puts sent black and white within 4 codes
//    of where that change puts them;
//  - a clip: every step sent 4 or more codes beyond black (or white)
//    arrives within a code of black (or white), while the levels are
//    otherwise unchanged;
//  - an 8-bit stage: 98 % of the ramp's codes from 16 to 1007 arrive where
//    the rule puts them, within half a code (a capture at its sent size
//    only: a scaled one has no column of one code), codes a clip took
//    left out. A ramp that does not follow the steps' line within 8 codes
//    at 90 % of them was captured at another size: depth is then not
//    judged (bits unknown), nor is one through a lossy codec that arrives
//    neither intact nor by a rule (compression noise is no fault).
// What none of these explains is said as such ("unexplained"), never named
// as a fault it might be.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/signal-read/ChainReading.h"

struct Fault {
  std::string name;       // the vocabulary's NAME
  double confidence = 1;  // 0-1
  std::string evidence;   // in codes, for a person
  std::string advice;     // the setting likely to change
  nlohmann::json numbers = nlohmann::json::object();  // fault-specific
};

struct GreyVerdict {
  std::vector<Fault> faults;
  double gain = 1, offset = 0;  // received = gain · sent + offset
  int bits = 0;                 // measured from the ramp; 0 when unknown
  // The levels or the ramp moved by a rule none of the above explains.
  bool unexplained = false;
  std::string unexplainedText;
};

GreyVerdict JudgeGreys(const ChainReading& reading);

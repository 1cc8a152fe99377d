// --reference LOOPBACK: a capture of the capture path alone (the generator
// straight into the capture device) read beside the capture of the chain
// under test, so that the reader names only what the chain adds.
//
// The rule: the capture path acts on everything the chain puts out, so each
// step, patch channel and ramp code of the chain's capture is compared with
// the reference's received value for the same sent code, not with the code
// sent: where they agree (within a code and a half for a step or patch
// median, half a code for a ramp column) the chain passed the code
// unchanged and it counts as the code sent; where they differ a step's value
// the reference shows for another step counts as that step's code, else it is
// taken back through the reference's level line (its gain and offset
// through the unclipped ladder: (received - offset) / gain). The reading
// so made is judged as any capture is. A fault the reference shows too (the same name;
// for tags-disagree the same tag) is the capture path's and is set apart
// from the chain's. The file's tags are judged on its pixels as captured:
// the tags describe the file, not the chain.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/signal-read/ChainReading.h"
#include "tools/signal-read/GreyVerdict.h"

// The reference as the report gives it.
struct ReferenceSummary {
  std::string file;
  std::vector<std::string> faults;  // what the capture path itself shows
};

// The chain's reading with the capture path taken out, by the rule above;
// the reading itself where the reference's levels are unexplained. Both
// readings are of the same sent signal (so of the same steps and patches).
ChainReading UndoCapturePath(const ChainReading& chain, const ChainReading& reference,
                             const GreyVerdict& referenceVerdict);

// Removes from `chain` every fault `reference` shows too.
void SetApartCapturePath(const GreyVerdict& reference, GreyVerdict& chain);

// Whether a fault is the same as one of the list (its name, and its tag).
bool SameFault(const Fault& fault, const std::vector<Fault>& list);

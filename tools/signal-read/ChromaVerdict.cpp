#include "tools/signal-read/ChromaVerdict.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "tools/signal-read/ChromaFilter.h"

namespace {

constexpr double kGone = 0.2;

bool Gone(double kept) { return std::abs(kept) <= kGone; }

std::string Percent(double kept) {
  return std::to_string(std::lround(100 * kept)) + " %";
}

}  // namespace

void CheckChroma(const ChainReading& r, GreyVerdict& v) {
  if (r.compressed) return;
  const bool columns = Gone(r.chromaColumns), rows = Gone(r.chromaRows);
  // Rows lost in a capture that keeps columns is no subsampling the
  // vocabulary names; columns kept mean 4:4:4 arrived.
  if (!columns && !(rows && r.chromaColumns == -1)) return;
  Fault f;
  f.name = "chroma-subsampled";
  const char* format = columns && !rows ? "4:2:2" : "4:2:0";
  f.evidence = std::string("the one-pixel colour alternation arrives with ") +
               (r.chromaColumns == -1 ? "" : Percent(r.chromaColumns) + " of its swing across columns") +
               (r.chromaColumns == -1 || r.chromaRows == -1 ? "" : " and ") +
               (r.chromaRows == -1 ? "" : Percent(r.chromaRows) + " across rows") + ": chroma " + format;
  f.advice = std::string("a stage carries Y'CbCr ") + format +
             " (an output, link or capture format): set it to 4:4:4 or R'G'B'";
  f.numbers = {{"format", format}};
  // A gamut converted twice clips the chroma zone's colours, which bends
  // the odd edge's profile (a bilinear filter then overshoots like a
  // bicubic one): the format stands, the filter is not told.
  const bool edgeBent = std::any_of(v.faults.begin(), v.faults.end(),
                                    [](const Fault& other) { return other.name == "gamut-converted-twice"; });
  if (r.chromaColumns != -1 && edgeBent) {
    f.evidence += ", the odd edge's filter not told (the colours a gamut converted twice clipped bend it)";
  } else if (r.chromaColumns != -1) {
    const std::string filter = ChromaFilterOf(r.edgeProfile);
    f.numbers["filter"] = filter;
    f.evidence += std::string(", ") + (r.edgeBlur > 0 ? "the odd edge blurred over " + std::to_string(r.edgeBlur) +
                                                            " columns (" + filter + ")"
                                                      : "the odd edge sharp (dropped)");
  }
  v.faults.push_back(f);
}

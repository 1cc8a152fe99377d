#include "tools/signal-read/GamutVerdict.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr double kMissed = 6, kHolds = 3;

}  // namespace

void CheckGamut(const ChainReading& r, GreyVerdict& v) {
  if (r.compressed || r.patches.empty() || v.unexplained || !v.faults.empty()) return;
  const chaincheck::StripContent& sent = r.strip.content;
  double sentMiss = 0, miss = 0;
  for (const PatchMeasure& p : r.patches) {
    const std::array<double, 3> codes{double(p.sent[0]), double(p.sent[1]), double(p.sent[2])};
    const std::array<double, 3> predicted = chaincheck::Bt709CodesInBt2020(sent.signal, sent.peakNits, codes);
    for (std::size_t c = 0; c < 3; ++c) {
      sentMiss = std::max(sentMiss, std::abs(p.received[c] - p.sent[c]));
      miss = std::max(miss, std::abs(p.received[c] - predicted[c]));
    }
  }
  if (sentMiss <= kMissed || miss > kHolds) return;
  Fault f;
  f.name = "gamut-converted-twice";
  f.evidence = "the greys arrive unchanged while the saturated patches miss what was sent by up to " +
               std::to_string(std::lround(sentMiss)) + " codes, and arrive within " + std::to_string(std::lround(miss)) +
               " of the sent colours converted from BT.709 to BT.2020 primaries: colour already in BT.2020 was "
               "converted again";
  f.advice = "a stage converts BT.709 to BT.2020 on a BT.2020 input: set its input colour space (primaries) "
             "to BT.2020, or turn its gamut conversion off";
  v.faults.push_back(f);
}

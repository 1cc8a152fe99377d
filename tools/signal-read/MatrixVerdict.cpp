#include "tools/signal-read/MatrixVerdict.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "signal/CodeRules.h"
#include "signal/Signal.h"

namespace {

namespace sig = veltrima::signal;

constexpr double kMissed = 6, kHolds = 3;

struct Named {
  sig::Matrix matrix;
  const char* name;
};
constexpr Named kMatrices[] = {
    {sig::Matrix::Bt2020, "BT.2020"}, {sig::Matrix::Bt709, "BT.709"}, {sig::Matrix::Bt601, "BT.601"}};

// A grey change the patches went through beside the matrix: the greys'
// line (received = gain · sent + offset) on Y', and on Cb and Cr the same
// gain times `chroma`: 1 for a stage on R'G'B', 896 / 876 (or its inverse)
// for each range change made on Y'CbCr, whose chroma spans 896 codes of
// narrow range where luma spans 876.
struct GreyChange {
  double gain = 1, offset = 0, chroma = 1;
};

// R'G'B' codes through Y'CbCr written by one matrix, changed, and read by
// another.
std::array<double, 3> Through(const chaincheck::Codes& codes, sig::Range range, sig::Matrix written,
                              sig::Matrix read, const GreyChange& change) {
  const double black = sig::BlackCode(range), white = sig::WhiteCode(range), swing = white - black;
  double n[3];
  for (int c = 0; c < 3; ++c) n[c] = (codes[static_cast<std::size_t>(c)] - black) / swing;
  const sig::LumaWeights w = sig::LumaWeightsOf(written), v = sig::LumaWeightsOf(read);
  double y = w.red * n[0] + w.green * n[1] + w.blue * n[2];
  double cb = (n[2] - y) / (2 * (1 - w.blue)), cr = (n[0] - y) / (2 * (1 - w.red));
  y = (change.gain * (black + y * swing) + change.offset - black) / swing;
  cb *= change.gain * change.chroma;
  cr *= change.gain * change.chroma;
  const double r = y + 2 * (1 - v.red) * cr, b = y + 2 * (1 - v.blue) * cb;
  const double g = (y - v.red * r - v.blue * b) / v.green;
  std::array<double, 3> out{r, g, b};
  for (double& o : out) o = std::clamp(black + o * swing, 0.0, double{sig::kMaxCode});
  return out;
}

// The largest miss of the patches from a prediction.
double Miss(const ChainReading& r, sig::Matrix written, sig::Matrix read, const GreyChange& change) {
  double miss = 0;
  for (const PatchMeasure& p : r.patches) {
    const std::array<double, 3> predicted = Through(p.sent, r.strip.content.signal.range, written, read, change);
    for (std::size_t c = 0; c < 3; ++c) miss = std::max(miss, std::abs(p.received[c] - predicted[c]));
  }
  return miss;
}

// The grey changes a matrix mismatch is judged beside: none when the greys
// named nothing; with a range change, its line with each chroma factor.
std::vector<GreyChange> ChangesBeside(const GreyVerdict& v) {
  if (v.faults.empty()) return {GreyChange{}};
  for (const Fault& f : v.faults)
    if (f.name.rfind("range-", 0) != 0) return {};
  constexpr double kChroma = 896.0 / 876.0;
  std::vector<GreyChange> changes;
  for (const double chroma : {1.0, kChroma, 1 / kChroma, kChroma * kChroma, 1 / (kChroma * kChroma)})
    changes.push_back({v.gain, v.offset, chroma});
  return changes;
}

}  // namespace

void CheckMatrix(const ChainReading& r, GreyVerdict& v) {
  if (r.compressed || r.patches.empty() || v.unexplained) return;
  const std::vector<GreyChange> changes = ChangesBeside(v);
  if (changes.empty()) return;
  // What the greys' own change explains: no mismatch when one of them
  // predicts the patches with the matrix unchanged.
  const sig::Matrix own = sig::MatrixOf(r.strip.content.signal.transfer);
  double sentMiss = 1e9;
  for (const GreyChange& change : changes) sentMiss = std::min(sentMiss, Miss(r, own, own, change));
  if (sentMiss <= kMissed) return;
  for (const Named& written : kMatrices)
    for (const Named& read : kMatrices) {
      if (written.matrix == read.matrix) continue;
      double miss = 1e9;
      for (const GreyChange& change : changes) miss = std::min(miss, Miss(r, written.matrix, read.matrix, change));
      if (miss > kHolds) continue;
      Fault f;
      f.name = "matrix-mismatch";
      f.evidence = std::string("the saturated patches miss what ") + (v.faults.empty() ? "was sent" : "the grey change predicts") +
                   " by up to " + std::to_string(std::lround(sentMiss)) + " codes, and arrive within " +
                   std::to_string(std::lround(miss)) + " of Y'CbCr written " + written.name + " and read " + read.name;
      f.advice = std::string("a stage reads Y'CbCr as ") + read.name + " that was written as " + written.name +
                 ": set its matrix (colour space) to " + written.name;
      f.numbers = {{"written", written.name}, {"read", read.name}};
      v.faults.push_back(f);
      return;
    }
}

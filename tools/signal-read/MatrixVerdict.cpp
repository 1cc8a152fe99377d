#include "tools/signal-read/MatrixVerdict.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "signal/CodeRules.h"
#include "signal/Signal.h"

namespace {

namespace sig = veltrima::signal;

constexpr double kMissed = 6, kHolds = 3;

struct Named {
  sig::Matrix matrix;
  const char* name;
};
constexpr Named kMatrices[] = {{sig::Matrix::Bt2020, "BT.2020"}, {sig::Matrix::Bt709, "BT.709"}};

// R'G'B' codes through Y'CbCr written by one matrix and read by another.
std::array<double, 3> Through(const chaincheck::Codes& codes, sig::Range range, sig::Matrix written,
                              sig::Matrix read) {
  const double black = sig::BlackCode(range), white = sig::WhiteCode(range);
  double n[3];
  for (int c = 0; c < 3; ++c) n[c] = (codes[static_cast<std::size_t>(c)] - black) / (white - black);
  const sig::LumaWeights w = sig::LumaWeightsOf(written), v = sig::LumaWeightsOf(read);
  const double y = w.red * n[0] + w.green * n[1] + w.blue * n[2];
  const double cb = (n[2] - y) / (2 * (1 - w.blue)), cr = (n[0] - y) / (2 * (1 - w.red));
  const double r = y + 2 * (1 - v.red) * cr, b = y + 2 * (1 - v.blue) * cb;
  const double g = (y - v.red * r - v.blue * b) / v.green;
  std::array<double, 3> out{r, g, b};
  for (double& o : out) o = std::clamp(black + o * (white - black), 0.0, double{sig::kMaxCode});
  return out;
}

}  // namespace

void CheckMatrix(const ChainReading& r, GreyVerdict& v) {
  if (r.compressed || r.patches.empty() || v.unexplained || !v.faults.empty()) return;
  const sig::Range range = r.strip.content.signal.range;
  double sentMiss = 0;
  for (const PatchMeasure& p : r.patches)
    for (std::size_t c = 0; c < 3; ++c) sentMiss = std::max(sentMiss, std::abs(p.received[c] - p.sent[c]));
  if (sentMiss <= kMissed) return;
  for (const Named& written : kMatrices)
    for (const Named& read : kMatrices) {
      if (written.matrix == read.matrix) continue;
      double miss = 0;
      for (const PatchMeasure& p : r.patches) {
        const std::array<double, 3> predicted = Through(p.sent, range, written.matrix, read.matrix);
        for (std::size_t c = 0; c < 3; ++c) miss = std::max(miss, std::abs(p.received[c] - predicted[c]));
      }
      if (miss > kHolds) continue;
      Fault f;
      f.name = "matrix-mismatch";
      f.evidence = std::string("the saturated patches miss what was sent by up to ") +
                   std::to_string(std::lround(sentMiss)) + " codes, and arrive within " +
                   std::to_string(std::lround(miss)) + " of Y'CbCr written " + written.name + " and read " + read.name;
      f.advice = std::string("a stage reads Y'CbCr as ") + read.name + " that was written as " + written.name +
                 ": set its matrix (colour space) to " + written.name;
      f.numbers = {{"written", written.name}, {"read", read.name}};
      v.faults.push_back(f);
      return;
    }
}

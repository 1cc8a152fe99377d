#include "tools/signal-read/ChannelVerdict.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>

#include "signal/CodeRules.h"
#include "tools/signal-read/StepMap.h"

namespace {

namespace sig = veltrima::signal;

constexpr double kMissed = 6, kHolds = 4;
using Triple = std::array<double, 3>;
using Prediction = std::function<Triple(const chaincheck::Codes&)>;

// The largest miss, over every patch and channel, of the received codes
// from a prediction of the sent ones (in the sent range's codes, then
// through the greys' map).
double Miss(const ChainReading& r, const Prediction& predict) {
  double miss = 0;
  for (const PatchMeasure& p : r.patches) {
    const Triple expected = StepMappedCodes(r, predict(p.sent));
    for (std::size_t c = 0; c < 3; ++c) miss = std::max(miss, std::abs(p.received[c] - expected[c]));
  }
  return miss;
}

// R'G'B' codes to Y'CbCr by `matrix`, Cb and Cr exchanged, and back.
Triple ChromaExchanged(const chaincheck::Codes& codes, sig::Range range, sig::Matrix matrix) {
  const double black = sig::BlackCode(range), white = sig::WhiteCode(range);
  double n[3];
  for (int c = 0; c < 3; ++c) n[c] = (codes[static_cast<std::size_t>(c)] - black) / (white - black);
  const sig::LumaWeights w = sig::LumaWeightsOf(matrix);
  const double y = w.red * n[0] + w.green * n[1] + w.blue * n[2];
  const double cb = (n[2] - y) / (2 * (1 - w.blue)), cr = (n[0] - y) / (2 * (1 - w.red));
  const double r = y + 2 * (1 - w.red) * cb, b = y + 2 * (1 - w.blue) * cr;
  const double g = (y - w.red * r - w.blue * b) / w.green;
  Triple out{r, g, b};
  for (double& o : out) o = std::clamp(black + o * (white - black), 0.0, double{sig::kMaxCode});
  return out;
}

std::string Codes(const std::array<double, 3>& c) {
  return "(" + std::to_string(std::lround(c[0])) + ", " + std::to_string(std::lround(c[1])) + ", " +
         std::to_string(std::lround(c[2])) + ")";
}

// The 100 % red and blue patches as they arrived, for a person.
std::string RedAndBlue(const ChainReading& r) {
  if (r.patches.size() < 3) return "";
  return "red 100 % " + Codes({double(r.patches[0].sent[0]), double(r.patches[0].sent[1]),
                               double(r.patches[0].sent[2])}) +
         " arrives as " + Codes(r.patches[0].received) + ", blue 100 % as " + Codes(r.patches[2].received);
}

void Name(GreyVerdict& v, const std::string& name, const std::string& evidence, const std::string& advice,
          nlohmann::json numbers) {
  Fault f;
  f.name = name;
  f.evidence = evidence;
  f.advice = advice;
  f.numbers = std::move(numbers);
  v.faults.push_back(f);
}

}  // namespace

void CheckChannels(const ChainReading& r, GreyVerdict& v) {
  if (r.compressed || r.patches.empty() || v.unexplained) return;
  for (const Fault& f : v.faults)
    if (f.name == "matrix-mismatch") return;
  const double sentMiss = Miss(r, [](const chaincheck::Codes& c) { return Triple{double(c[0]), double(c[1]), double(c[2])}; });
  if (sentMiss <= kMissed) return;

  std::array<int, 3> order{0, 1, 2};
  while (std::next_permutation(order.begin(), order.end())) {
    const double miss = Miss(r, [&](const chaincheck::Codes& c) {
      return Triple{double(c[static_cast<std::size_t>(order[0])]), double(c[static_cast<std::size_t>(order[1])]),
                    double(c[static_cast<std::size_t>(order[2])])};
    });
    if (miss > kHolds) continue;
    std::string name;
    for (const int c : order) name += "RGB"[c];
    Name(v, "channels-swapped",
         RedAndBlue(r) + ": every saturated patch arrives within " + std::to_string(std::lround(miss)) +
             " codes of its channels taken in the order " + name + " (the greys unchanged)",
         "a stage takes its colour channels in another order (a BGR or RGB pixel format, a channel map, a "
         "swapped link): set it to R, G, B",
         {{"order", name}});
    return;
  }

  const sig::Range range = r.strip.content.signal.range;
  for (const auto& [matrix, label] : {std::pair{sig::Matrix::Bt2020, "BT.2020"}, std::pair{sig::Matrix::Bt709, "BT.709"}}) {
    const double miss = Miss(r, [&, m = matrix](const chaincheck::Codes& c) { return ChromaExchanged(c, range, m); });
    if (miss > kHolds) continue;
    Name(v, "chroma-swapped",
         RedAndBlue(r) + ": colours come back as other hues with their luma kept, every patch within " +
             std::to_string(std::lround(miss)) + " codes of Cb and Cr exchanged in " + label + " Y'CbCr",
         "a stage reads Cb as Cr (a YUV or YVU pixel format, a UYVY or VYUY order, a chroma order setting): "
         "set its chroma order",
         {{"matrix", label}});
    return;
  }

  // Patches this far off on a capture judged whole, with nothing named that
  // could account for them, are not a clean chain.
  if (!v.faults.empty()) return;
  v.unexplained = true;
  v.unexplainedText = "the saturated patches miss what was sent by up to " + std::to_string(std::lround(sentMiss)) +
                      " codes while the greys arrive as sent, and no matrix, gamut or channel fault predicts them";
}

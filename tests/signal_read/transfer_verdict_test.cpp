// The transfer judgement on ladders bent by rules a chain might apply,
// where the FFmpeg corpus cannot reach: compression noise, a single step,
// a bend too low or upwards, and which transfer each ladder is said to fit.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>

#include "chaincheck/Layout.h"
#include "signal/Signal.h"
#include "tools/signal-read/TransferVerdict.h"

namespace {

namespace sig = veltrima::signal;
using Transfer = sig::Transfer;

// A narrow code's nits in one transfer, as the code another gives them.
double Converted(Transfer from, Transfer to, int code) {
  const double nits = sig::NitsFromSignal(from, sig::SignalFromCode(sig::Range::Narrow, code), 1000);
  return 64 + 876 * sig::SignalFromNits(to, nits, 1000);
}

// Two codes either way, alternating: what a lossy codec leaves on medians.
double Noise(int code) { return (code / 4) % 2 ? 2.0 : -2.0; }

struct Case {
  const char* name;
  const char* signal;
  bool lossy;
  std::function<double(int)> received;  // of a sent grey code
  std::string names;                    // JudgeLevels' faults and "unexplained", sorted
  std::optional<Transfer> fits;
};

const Case kCases[] = {
    {"intact", "PQ Narrow", false, [](int c) { return c; }, "", Transfer::Pq},
    {"codec noise alone", "HLG Narrow", true, [](int c) { return c + Noise(c); }, "", Transfer::Hlg},
    {"one step over the top", "PQ Narrow", false, [](int c) { return std::min(c, 1010); }, "", Transfer::Pq},
    {"clip at white", "PQ Narrow", false, [](int c) { return std::min(c, 940); }, "headroom-clipped", Transfer::Pq},
    {"clip through a codec", "PQ Narrow", true, [](int c) { return std::min(c, 674) + Noise(c); }, "clipped",
     Transfer::Pq},
    {"the same, lossless", "PQ Narrow", false, [](int c) { return std::min(c, 674) + Noise(c); }, "unexplained",
     std::nullopt},
    {"bend below a quarter", "HLG Narrow", false, [](int c) { return c < 200 ? c : 200 + (c - 200) * 0.6; },
     "unexplained", std::nullopt},
    {"above white folded down", "PQ Narrow", false, [](int c) { return c <= 940 ? c : 900 - (c - 940) / 2; },
     "unexplained", std::nullopt},
    {"bend upwards", "SDR Narrow", false, [](int c) { return c < 600 ? c : c + (c - 600) * 0.3; },
     "unexplained", std::nullopt},
    {"HLG as PQ", "HLG Narrow", false, [](int c) { return Converted(Transfer::Hlg, Transfer::Pq, c); },
     "transfer-converted", Transfer::Pq},
    {"PQ as HLG, squeezed", "PQ Narrow", false,
     [](int c) { return 64 + Converted(Transfer::Pq, Transfer::Hlg, c) * 876 / 1023; },
     "range-squeezed,transfer-converted", Transfer::Hlg},
};

ChainReading Ladder(const Case& c) {
  ChainReading r;
  r.strip.content.signal = *sig::SignalNamed(c.signal);
  r.strip.content.peakNits = 1000;
  r.compressed = c.lossy;
  for (const int code : chaincheck::GreyStepCodes(r.strip.content.signal.range)) {
    const double v = std::clamp(c.received(code), 0.0, 1023.0);
    r.steps.push_back({code, {v, v, v}, {}});
  }
  return r;
}

TEST(TransferVerdict, NamesWhatTheLadderShowsAndNothingElse) {
  for (const Case& c : kCases) {
    const ChainReading reading = Ladder(c);
    const GreyVerdict v = JudgeLevels(reading);
    std::vector<std::string> names;
    for (const Fault& f : v.faults) names.push_back(f.name);
    if (v.unexplained) names.push_back("unexplained");
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const std::string& n : names) joined += (joined.empty() ? "" : ",") + n;
    EXPECT_EQ(joined, c.names) << c.name;
    EXPECT_EQ(TransferTheLadderFits(reading), c.fits) << c.name;
  }
}

}  // namespace

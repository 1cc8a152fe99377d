// Channels arriving in another order, named from the saturated patches with
// the greys' own levels beside them; what is no exchange is not named.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chaincheck/Layout.h"
#include "signal/CodeRules.h"
#include "tools/signal-read/ChannelVerdict.h"

namespace {

namespace sig = veltrima::signal;

struct ChannelCase {
  const char* name;
  sig::Range range;
  std::array<int, 3> from;   // received channel c carries sent channel from[c]
  double gain, offset;       // then every code: gain · code + offset
  double blueGain;           // and blue alone, after that (1: none)
  const char* wantOrder;     // "" when nothing is named
};

const ChannelCase kChannels[] = {
    {"as sent", sig::Range::Narrow, {0, 1, 2}, 1, 0, 1, ""},
    {"red and blue exchanged", sig::Range::Narrow, {2, 1, 0}, 1, 0, 1, "BGR"},
    {"red and green exchanged, full range", sig::Range::Full, {1, 0, 2}, 1, 0, 1, "GRB"},
    {"turned once", sig::Range::Narrow, {1, 2, 0}, 1, 0, 1, "GBR"},
    {"turned the other way", sig::Range::Full, {2, 0, 1}, 1, 0, 1, "BRG"},
    {"exchanged and squeezed", sig::Range::Full, {2, 1, 0}, 876.0 / 1023, 64, 1, "BGR"},
    {"squeezed alone", sig::Range::Full, {0, 1, 2}, 876.0 / 1023, 64, 1, ""},
    {"blue weaker: no order explains it", sig::Range::Narrow, {0, 1, 2}, 1, 0, 0.9, ""},
};

TEST(SignalReadChannels, NamesTheOrderTheChannelsCameFrom) {
  for (const ChannelCase& c : kChannels) {
    SCOPED_TRACE(c.name);
    ChainReading r;
    r.strip.content.signal = {sig::Transfer::Pq, c.range};
    auto arrive = [&](double code, int channel) {
      const double v = c.gain * code + c.offset;
      return channel == 2 ? v * c.blueGain : v;
    };
    for (const int code : chaincheck::GreyStepCodes(c.range))
      r.steps.push_back({code, {arrive(code, 0), arrive(code, 1), arrive(code, 2)}, {}});
    for (const chaincheck::SaturatedPatch& p : chaincheck::SaturatedPatches(r.strip.content.signal, 1000)) {
      PatchMeasure m;
      m.sent = p.codes;
      for (int ch = 0; ch < 3; ++ch)
        m.received[static_cast<std::size_t>(ch)] = arrive(p.codes[static_cast<std::size_t>(c.from[static_cast<std::size_t>(ch)])], ch);
      r.patches.push_back(m);
    }
    GreyVerdict v;
    CheckChannels(r, v);
    std::string order;
    for (const Fault& f : v.faults)
      if (f.name == "channels-swapped") order = f.numbers["order"];
    EXPECT_EQ(order, c.wantOrder);
    EXPECT_LE(v.faults.size(), 1u);
  }
}

}  // namespace

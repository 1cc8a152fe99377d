// signal/ against the transfer functions written out again here from the
// standards' formulas, and against code values worked out by hand for the
// levels people meet on a wall: black, 100 nits (SDR white), 203 nits (HDR
// reference white), 1,000 nits and 10,000 nits.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "signal/Signal.h"

namespace {

using namespace veltrima::signal;

// SMPTE ST 2084 inverse EOTF, from its published constants.
double PqSignal(double nits) {
  const double m1 = 0.1593017578125, m2 = 78.84375;
  const double c1 = 0.8359375, c2 = 18.8515625, c3 = 18.6875;
  const double y = std::pow(nits / 10000.0, m1);
  return std::pow((c1 + c2 * y) / (1.0 + c3 * y), m2);
}

// BT.2100's system gamma from 400 to 2,000 nits, BT.2390's extended one
// outside.
double HlgGamma(double peak) {
  if (peak >= 400 && peak <= 2000) return 1.2 + 0.42 * std::log10(peak / 1000.0);
  return 1.2 * std::pow(1.111, std::log2(peak / 1000.0));
}

// BT.2100 HLG: display light to signal on a display of `peak` nits, black 0.
double HlgSignal(double nits, double peak) {
  const double gamma = HlgGamma(peak);
  const double scene = std::pow(nits / peak, 1.0 / gamma);
  const double a = 0.17883277, b = 0.28466892, c = 0.55991073;
  return scene <= 1.0 / 12.0 ? std::sqrt(3.0 * scene) : a * std::log(12.0 * scene - b) + c;
}

double SdrSignal(double nits, double peak) { return std::pow(nits / peak, 1.0 / 2.4); }

int Narrow(double e) { return static_cast<int>(std::lround(64.0 + 876.0 * e)); }
int Full(double e) { return static_cast<int>(std::lround(1023.0 * e)); }

struct Level {
  double nits;
  int narrow, full;  // worked out by hand
};

TEST(Signal, PqCodesOfTheCommonLevels) {
  for (const Level& l : {Level{0, 64, 0}, Level{100, 509, 520}, Level{203, 573, 594},
                         Level{1000, 723, 769}, Level{10000, 940, 1023}}) {
    const double e = SignalFromNits(Transfer::Pq, l.nits, 1000);
    EXPECT_NEAR(e, PqSignal(l.nits), 1e-9) << l.nits << " nits";
    EXPECT_EQ(Narrow(PqSignal(l.nits)), l.narrow) << "the hand-worked code, " << l.nits << " nits";
    EXPECT_EQ(Full(PqSignal(l.nits)), l.full) << "the hand-worked code, " << l.nits << " nits";
    EXPECT_EQ(CodeFromSignal(Range::Narrow, e), l.narrow) << l.nits << " nits";
    EXPECT_EQ(CodeFromSignal(Range::Full, e), l.full) << l.nits << " nits";
    // And back: the light of the signal, whatever peak is given.
    EXPECT_NEAR(NitsFromSignal(Transfer::Pq, e, 400), l.nits, 1e-6 * (1 + l.nits)) << l.nits;
  }
}

TEST(Signal, HlgCodesOfTheCommonLevelsOnA1000NitDisplay) {
  EXPECT_DOUBLE_EQ(HlgSystemGamma(1000), 1.2);
  for (const Level& l : {Level{0, 64, 0}, Level{100, 616, 644}, Level{203, 721, 767},
                         Level{1000, 940, 1023}}) {
    const double e = SignalFromNits(Transfer::Hlg, l.nits, 1000);
    EXPECT_NEAR(e, HlgSignal(l.nits, 1000), 1e-7) << l.nits << " nits";
    EXPECT_EQ(Narrow(HlgSignal(l.nits, 1000)), l.narrow) << "the hand-worked code, " << l.nits << " nits";
    EXPECT_EQ(Full(HlgSignal(l.nits, 1000)), l.full) << "the hand-worked code, " << l.nits << " nits";
    EXPECT_EQ(CodeFromSignal(Range::Narrow, e), l.narrow) << l.nits << " nits";
    EXPECT_EQ(CodeFromSignal(Range::Full, e), l.full) << l.nits << " nits";
    EXPECT_NEAR(NitsFromSignal(Transfer::Hlg, e, 1000), l.nits, 1e-4) << l.nits;
  }
  // Beyond the display's peak the signal saturates at 1.
  EXPECT_NEAR(SignalFromNits(Transfer::Hlg, 10000, 1000), 1.0, 1e-7);
}

TEST(Signal, SdrCodesOfTheCommonLevels) {
  for (const Level& l : {Level{0, 64, 0}, Level{100, 400, 392}, Level{203, 515, 526},
                         Level{1000, 940, 1023}}) {
    const double e = SignalFromNits(Transfer::Sdr, l.nits, 1000);
    EXPECT_NEAR(e, SdrSignal(l.nits, 1000), 1e-12) << l.nits << " nits";
    EXPECT_EQ(Narrow(SdrSignal(l.nits, 1000)), l.narrow) << "the hand-worked code, " << l.nits << " nits";
    EXPECT_EQ(Full(SdrSignal(l.nits, 1000)), l.full) << "the hand-worked code, " << l.nits << " nits";
    EXPECT_EQ(CodeFromSignal(Range::Narrow, e), l.narrow) << l.nits << " nits";
    EXPECT_EQ(CodeFromSignal(Range::Full, e), l.full) << l.nits << " nits";
  }
}

// Every code of both ranges and several display peaks: light to signal and
// back agrees with the formulas above.
TEST(Signal, EveryCodeAgreesWithTheFormulasAtSeveralPeaks) {
  for (double peak : {100.0, 203.0, 600.0, 1000.0, 1400.0, 4000.0, 10000.0})
    for (Range range : {Range::Narrow, Range::Full})
      for (int code = BlackCode(range); code <= WhiteCode(range); ++code) {
        const double e = SignalFromCode(range, code);
        const double pq = NitsFromSignal(Transfer::Pq, e, peak);
        // (PQ's 0 nits is E' 7.3e-7, not 0: the curve's own offset.)
        EXPECT_NEAR(PqSignal(pq), e, 1e-6) << code;
        const double hlg = NitsFromSignal(Transfer::Hlg, e, peak);
        EXPECT_NEAR(HlgSignal(hlg, peak), e, 1e-7) << code << " at " << peak;
        const double sdr = NitsFromSignal(Transfer::Sdr, e, peak);
        EXPECT_NEAR(SdrSignal(sdr, peak), e, 1e-9) << code << " at " << peak;
        EXPECT_EQ(CodeFromSignal(range, SignalFromNits(Transfer::Pq, pq, peak)), code);
      }
}

// The system gamma to three significant digits: BT.2100's log10 form from
// 400 to 2,000 nits, BT.2390's extended model outside, where the log10 form
// would give 0.780 at 100 nits and 1.62 at 10,000.
TEST(Signal, HlgSystemGammaFollowsThePeak) {
  const struct {
    double peak, gamma;
  } cases[] = {{100, 0.846}, {200, 0.940}, {300, 0.999}, {400, 1.03}, {1000, 1.2},
               {2000, 1.33}, {4000, 1.48}, {10000, 1.70}};
  for (const auto& c : cases) {
    const double gamma = HlgSystemGamma(c.peak);
    const double digits = std::pow(10.0, std::floor(std::log10(gamma)) - 2);
    EXPECT_NEAR(std::round(gamma / digits) * digits, c.gamma, 1e-9) << c.peak << " nits: " << gamma;
  }
  EXPECT_NEAR(HlgSystemGamma(400), 1.2 + 0.42 * std::log10(0.4), 1e-12);
  EXPECT_NEAR(HlgSystemGamma(2000), 1.2 + 0.42 * std::log10(2.0), 1e-12);
  // A grey's light reaches the peak at E' = 1 and never passes it.
  for (double peak = 100; peak <= 10000; peak += 50) {
    EXPECT_NEAR(NitsFromSignal(Transfer::Hlg, 1.0, peak), peak, 1e-9 * peak) << peak;
    for (int code = 64; code <= 1023; code += 7) {
      EXPECT_LE(NitsFromSignal(Transfer::Hlg, SignalFromCode(Range::Narrow, code), peak), peak) << code;
    }
  }
}

TEST(Signal, RangesAndCodesClampAndNeverFail) {
  EXPECT_EQ(BlackCode(Range::Narrow), 64);
  EXPECT_EQ(WhiteCode(Range::Narrow), 940);
  EXPECT_EQ(BlackCode(Range::Full), 0);
  EXPECT_EQ(WhiteCode(Range::Full), 1023);
  EXPECT_EQ(CodeFromSignal(Range::Narrow, -0.1), 0);  // round(64 - 87.6), clamped
  EXPECT_EQ(CodeFromSignal(Range::Narrow, 2.0), 1023);
  EXPECT_EQ(CodeFromSignal(Range::Full, -1.0), 0);
  EXPECT_EQ(CodeFromSignal(Range::Narrow, std::numeric_limits<double>::quiet_NaN()), 64);
  EXPECT_DOUBLE_EQ(SignalFromCode(Range::Narrow, 4), -60.0 / 876.0);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (Transfer t : {Transfer::Pq, Transfer::Hlg, Transfer::Sdr}) {
    EXPECT_EQ(NitsFromSignal(t, nan, 1000), 0.0);
    EXPECT_TRUE(std::isfinite(SignalFromNits(t, nan, 1000)));
    EXPECT_TRUE(std::isfinite(SignalFromNits(t, 500, nan)));
    EXPECT_TRUE(std::isfinite(SignalFromNits(t, -5, 0)));
  }
}

TEST(Signal, TheOptionNamesInOrder) {
  const char* names[] = {"PQ Narrow", "PQ Full", "HLG Narrow", "HLG Full", "SDR Narrow", "SDR Full"};
  for (std::size_t i = 0; i < kSignals.size(); ++i) {
    EXPECT_EQ(kSignals[i].name, names[i]);
    const auto named = SignalNamed(names[i]);
    ASSERT_TRUE(named.has_value());
    EXPECT_EQ(named->transfer, i < 2 ? Transfer::Pq : i < 4 ? Transfer::Hlg : Transfer::Sdr);
    EXPECT_EQ(named->range, i % 2 == 0 ? Range::Narrow : Range::Full);
  }
  EXPECT_FALSE(SignalNamed("PQ").has_value());
}

}  // namespace

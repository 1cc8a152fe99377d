#include "signal/Signal.h"

#include <algorithm>
#include <cmath>

namespace veltrima::signal {
namespace {

// SMPTE ST 2084 constants.
constexpr double kM1 = 2610.0 / 16384.0;
constexpr double kM2 = 2523.0 / 4096.0 * 128.0;
constexpr double kC1 = 3424.0 / 4096.0;
constexpr double kC2 = 2413.0 / 4096.0 * 32.0;
constexpr double kC3 = 2392.0 / 4096.0 * 32.0;

// BT.2100 HLG OETF constants.
constexpr double kHlgA = 0.17883277;
constexpr double kHlgB = 1.0 - 4.0 * kHlgA;
const double kHlgC = 0.5 - kHlgA * std::log(4.0 * kHlgA);

constexpr double kSdrGamma = 2.4;

// HLG's system gamma: BT.2100's 1.2 + 0.42 log10(Lw / 1000) holds for
// displays of 400-2,000 nits; outside it BT.2390's extended model
// 1.2 kappa^log2(Lw / 1000) with kappa 1.111 (the log10 form would fall to
// 0.78 at 100 nits, flattening a dim display's picture more than its
// surround calls for).
constexpr double kHlgGammaSpanLow = 400.0, kHlgGammaSpanHigh = 2000.0;
constexpr double kHlgGammaKappa = 1.111;

// Clamps to 0-1 with NaN as 0, so that every conversion is defined.
double Unit(double x) { return x > 0.0 ? std::min(x, 1.0) : 0.0; }

double SafePeak(double peakNits) { return peakNits > 0.0 && std::isfinite(peakNits) ? peakNits : 1000.0; }

double PqEotf(double e) {
  const double p = std::pow(e, 1.0 / kM2);
  return kPqPeakNits * std::pow(std::max(p - kC1, 0.0) / (kC2 - kC3 * p), 1.0 / kM1);
}

double PqInverseEotf(double nits) {
  const double y = std::pow(nits / kPqPeakNits, kM1);
  return std::pow((kC1 + kC2 * y) / (1.0 + kC3 * y), kM2);
}

// Scene light (0-1) of an HLG signal: the inverse OETF. Its constants are
// rounded, so E' = 1 gives 1 + 2e-8; kept at 1, so that a grey's light
// never passes the display's peak.
double HlgSceneLight(double e) {
  return e <= 0.5 ? e * e / 3.0 : std::min((std::exp((e - kHlgC) / kHlgA) + kHlgB) / 12.0, 1.0);
}

double HlgOetf(double scene) {
  return scene <= 1.0 / 12.0 ? std::sqrt(3.0 * scene) : kHlgA * std::log(12.0 * scene - kHlgB) + kHlgC;
}

}  // namespace

std::optional<Signal> SignalNamed(std::string_view name) {
  for (const NamedSignal& named : kSignals) {
    if (named.name == name) return named.signal;
  }
  return std::nullopt;
}

int BlackCode(Range range) { return range == Range::Narrow ? 64 : 0; }
int WhiteCode(Range range) { return range == Range::Narrow ? 940 : kMaxCode; }

int CodeFromSignal(Range range, double signal) {
  if (std::isnan(signal)) return BlackCode(range);
  const double scaled = BlackCode(range) + (WhiteCode(range) - BlackCode(range)) * signal;
  return static_cast<int>(std::lround(std::clamp(scaled, 0.0, static_cast<double>(kMaxCode))));
}

double SignalFromCode(Range range, int code) {
  return static_cast<double>(code - BlackCode(range)) / (WhiteCode(range) - BlackCode(range));
}

double HlgSystemGamma(double peakNits) {
  const double peak = SafePeak(peakNits);
  if (peak >= kHlgGammaSpanLow && peak <= kHlgGammaSpanHigh) return 1.2 + 0.42 * std::log10(peak / 1000.0);
  return 1.2 * std::pow(kHlgGammaKappa, std::log2(peak / 1000.0));
}

double NitsFromSignal(Transfer transfer, double signal, double peakNits) {
  const double e = Unit(signal);
  const double peak = SafePeak(peakNits);
  switch (transfer) {
    case Transfer::Pq: return PqEotf(e);
    case Transfer::Hlg: return peak * std::pow(HlgSceneLight(e), HlgSystemGamma(peak));
    case Transfer::Sdr: return peak * std::pow(e, kSdrGamma);
  }
  return 0.0;
}

double SignalFromNits(Transfer transfer, double nits, double peakNits) {
  const double peak = SafePeak(peakNits);
  switch (transfer) {
    case Transfer::Pq: return PqInverseEotf(kPqPeakNits * Unit(nits / kPqPeakNits));
    case Transfer::Hlg: return HlgOetf(std::pow(Unit(nits / peak), 1.0 / HlgSystemGamma(peak)));
    case Transfer::Sdr: return std::pow(Unit(nits / peak), 1.0 / kSdrGamma);
  }
  return 0.0;
}

}  // namespace veltrima::signal

#pragma once
// The video signal an HDR pattern is drawn in: its transfer function, its
// range, and the display peak that HLG and SDR are referred to. One home for
// the conversions between light (nits), the non-linear signal E' (0-1) and
// the 10-bit code values a pattern writes, shared by the plug-in that draws
// the codes and by the render tool that tags the files holding them.
#include <array>
#include <optional>
#include <string_view>

namespace veltrima::signal {

enum class Transfer { Pq, Hlg, Sdr };
enum class Range { Narrow, Full };

struct Signal {
  Transfer transfer = Transfer::Pq;
  Range range = Range::Narrow;
};

// The signals a host chooses between, in the order of the plug-in's
// "Signal" option, with their names as the option shows them.
struct NamedSignal {
  std::string_view name;
  Signal signal;
};
inline constexpr std::array<NamedSignal, 6> kSignals{{
    {"PQ Narrow", {Transfer::Pq, Range::Narrow}},
    {"PQ Full", {Transfer::Pq, Range::Full}},
    {"HLG Narrow", {Transfer::Hlg, Range::Narrow}},
    {"HLG Full", {Transfer::Hlg, Range::Full}},
    {"SDR Narrow", {Transfer::Sdr, Range::Narrow}},
    {"SDR Full", {Transfer::Sdr, Range::Full}},
}};
std::optional<Signal> SignalNamed(std::string_view name);

inline constexpr int kMaxCode = 1023;  // 10-bit codes, 0-1023
inline constexpr double kPqPeakNits = 10000.0;

// Black and nominal white of a range: 64 and 940 narrow, 0 and 1023 full.
int BlackCode(Range range);
int WhiteCode(Range range);

// E' (0-1) as a code of the range: round(64 + 876 E') or round(1023 E'),
// clamped to 0-1023. NaN gives black.
int CodeFromSignal(Range range, double signal);
// The code as E', unclamped (narrow codes below 64 or above 940 fall
// outside 0-1).
double SignalFromCode(Range range, int code);

// Light of a grey (R = G = B) signal in nits, E' clamped to 0-1 first:
// PQ by SMPTE ST 2084, HLG by BT.2100 on a display of peak `peakNits` with
// the system gamma below and black 0 (a grey's light never passes the peak),
// SDR by BT.1886
// (gamma 2.4, black 0, white at `peakNits`). PQ ignores the peak.
double NitsFromSignal(Transfer transfer, double signal, double peakNits);
// The inverse: the E' (0-1) that gives `nits`, clamped to what the signal
// can carry (0 to 10,000 nits in PQ, 0 to the peak otherwise).
double SignalFromNits(Transfer transfer, double nits, double peakNits);

// The system gamma of HLG on a display of the given peak: 1.2 + 0.42
// log10(peak / 1000) from 400 to 2,000 nits, 1.2 x 1.111^log2(peak / 1000)
// outside (0.846 at 100 nits, 1.70 at 10,000).
double HlgSystemGamma(double peakNits);

}  // namespace veltrima::signal

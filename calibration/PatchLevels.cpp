#include "calibration/PatchLevels.h"

#include "signal/CodeRules.h"

namespace calibration {

using veltrima::signal::Range;

int SignalCode(uint32_t value, int bits, Range range, PatchLevels levels) {
  namespace sig = veltrima::signal;
  if (levels == PatchLevels::CodesAsSent) return sig::Code10FromDepth(range, value, bits);
  // 2^bits - 1 is odd, so value / (2^bits - 1) of the range's span never
  // lands on a half and the rounding of E' is exact.
  const double largest = static_cast<double>((uint32_t{1} << bits) - 1);
  return sig::CodeFromSignal(range, static_cast<double>(value) / largest);
}

SignalCodes SignalCodesOf(const SentCodes& sent, Range range, PatchLevels levels) {
  return {SignalCode(sent.red, sent.bits, range, levels), SignalCode(sent.green, sent.bits, range, levels),
          SignalCode(sent.blue, sent.bits, range, levels)};
}

std::string PatchLevelsLine(PatchLevels levels, Range range) {
  if (levels == PatchLevels::CodesAsSent) {
    return std::string("LEVELS: CODES AS SENT, ") + (range == Range::Narrow ? "NARROW" : "FULL");
  }
  return "LEVELS: FULL SCALE TO " + std::to_string(veltrima::signal::BlackCode(range)) + "-" +
         std::to_string(veltrima::signal::WhiteCode(range));
}

}  // namespace calibration

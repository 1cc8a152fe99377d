#include "signal/CodeRules.h"

#include <algorithm>
#include <cmath>

namespace veltrima::signal {
namespace {

std::uint64_t LargestAtDepth(int bits) { return (std::uint64_t{1} << std::clamp(bits, 1, 16)) - 1; }

// round(numerator / denominator) for non-negative numbers, halves up.
std::uint64_t RoundedQuotient(std::uint64_t numerator, std::uint64_t denominator) {
  return (2 * numerator + denominator) / (2 * denominator);
}

}  // namespace

double CodeAtDepth(Range range, double code10, int bits) {
  bits = std::clamp(bits, 1, 16);
  if (range == Range::Narrow) return std::ldexp(code10, bits - 10);
  return code10 * static_cast<double>(LargestAtDepth(bits)) / kMaxCode;
}

std::uint32_t RoundedCodeAtDepth(Range range, int code10, int bits) {
  const std::uint64_t code = static_cast<std::uint64_t>(std::clamp(code10, 0, kMaxCode));
  const std::uint64_t largest = LargestAtDepth(bits);
  bits = std::clamp(bits, 1, 16);
  std::uint64_t value;
  if (range == Range::Full)
    value = RoundedQuotient(code * largest, kMaxCode);
  else if (bits >= 10)
    value = code << (bits - 10);
  else
    value = RoundedQuotient(code, std::uint64_t{1} << (10 - bits));
  return static_cast<std::uint32_t>(std::min(value, largest));
}

int Code10FromDepth(Range range, std::uint32_t value, int bits) {
  const std::uint64_t largest = LargestAtDepth(bits);
  bits = std::clamp(bits, 1, 16);
  const std::uint64_t v = std::min<std::uint64_t>(value, largest);
  std::uint64_t code;
  if (range == Range::Full)
    code = RoundedQuotient(v * kMaxCode, largest);
  else if (bits <= 10)
    code = v << (10 - bits);
  else
    code = RoundedQuotient(v, std::uint64_t{1} << (bits - 10));
  return static_cast<int>(std::min<std::uint64_t>(code, kMaxCode));
}

int ThroughEightBits(Range range, int code10) {
  return Code10FromDepth(range, RoundedCodeAtDepth(range, code10, 8), 8);
}

int NarrowToFull(int narrowCode) {
  const long long scaled = (narrowCode - 64) * static_cast<long long>(kMaxCode);
  const long long rounded = scaled >= 0 ? (2 * scaled + 876) / 1752 : -((-2 * scaled + 876) / 1752);
  return static_cast<int>(std::clamp<long long>(rounded, 0, kMaxCode));
}

LumaWeights LumaWeightsOf(Matrix matrix) {
  // BT.709, BT.2020/BT.2100's non-constant-luminance and BT.601's weights.
  if (matrix == Matrix::Bt2020) return {0.2627, 0.6780, 0.0593};
  if (matrix == Matrix::Bt601) return {0.299, 0.587, 0.114};
  return {0.2126, 0.7152, 0.0722};
}

Matrix MatrixOf(Transfer transfer) { return transfer == Transfer::Sdr ? Matrix::Bt709 : Matrix::Bt2020; }

}  // namespace veltrima::signal

#include "tools/render/FrameRate.h"

#include <cctype>
#include <cmath>
#include <numeric>

#include "tools/render/ParameterTable.h"

namespace {

constexpr int kMaxDecimals = 6;

// Products of an index, 1e9 and a denominator need more than 64 bits.
__extension__ typedef __int128 Wide;

[[noreturn]] void Reject(const std::string& text) {
  throw UsageError("--fps takes a positive rate such as 60, 59.94 or 30000/1001 (at most " +
                   std::to_string(kMaxFramesPerSecond) + "), got \"" + text + "\"");
}

// Digits only, at most `limit` of them; -1 otherwise.
std::int64_t ParseDigits(const std::string& text, std::size_t limit) {
  if (text.empty() || text.size() > limit) return -1;
  std::int64_t value = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

FrameRate Reduced(std::int64_t numerator, std::int64_t denominator) {
  const std::int64_t divisor = std::gcd(numerator, denominator);
  return {numerator / divisor, denominator / divisor};
}

// A decimal that lies within rounding of N x 1000/1001 names that rate.
bool IsBroadcastDecimal(const FrameRate& typed, std::int64_t& whole) {
  if (typed.denominator == 1) return false;
  whole = std::llround(typed.Value() * 1.001);
  return whole > 0 && std::fabs(typed.Value() - static_cast<double>(whole) / 1.001) < 0.005;
}

}  // namespace

std::string FrameRate::Text() const {
  return denominator == 1 ? std::to_string(numerator)
                          : std::to_string(numerator) + "/" + std::to_string(denominator);
}

FrameRate ParseFrameRate(const std::string& text) {
  FrameRate rate;
  const auto slash = text.find('/');
  const auto point = text.find('.');
  if (slash != std::string::npos) {
    const std::int64_t numerator = ParseDigits(text.substr(0, slash), 9);
    const std::int64_t denominator = ParseDigits(text.substr(slash + 1), 9);
    if (numerator <= 0 || denominator <= 0) Reject(text);
    rate = Reduced(numerator, denominator);
  } else if (point != std::string::npos) {
    const std::int64_t whole = ParseDigits(text.substr(0, point), 4);
    const std::string decimals = text.substr(point + 1);
    const std::int64_t fraction = ParseDigits(decimals, kMaxDecimals);
    if (whole < 0 || fraction < 0) Reject(text);
    std::int64_t scale = 1;
    for (std::size_t i = 0; i < decimals.size(); ++i) scale *= 10;
    if (whole * scale + fraction <= 0) Reject(text);
    rate = Reduced(whole * scale + fraction, scale);
    std::int64_t broadcast = 0;
    if (IsBroadcastDecimal(rate, broadcast)) rate = Reduced(broadcast * 1000, 1001);
  } else {
    const std::int64_t whole = ParseDigits(text, 4);
    if (whole <= 0) Reject(text);
    rate = {whole, 1};
  }
  if (rate.numerator > kMaxFramesPerSecond * rate.denominator) Reject(text);
  return rate;
}

std::int64_t FrameNanoseconds(long index, const FrameRate& rate) {
  // index x 1e9 x denominator fits 128 bits for any long index.
  const Wide scaled = static_cast<Wide>(index) * 1'000'000'000 * rate.denominator;
  const Wide numerator = rate.numerator;
  return static_cast<std::int64_t>((2 * scaled + numerator) / (2 * numerator));
}

double FrameSeconds(long index, const FrameRate& rate) {
  return static_cast<double>(static_cast<Wide>(index) * rate.denominator) /
         static_cast<double>(rate.numerator);
}

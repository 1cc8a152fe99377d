#include "framestamp/FrameRate.h"

#include <cmath>
#include <numeric>

namespace {

constexpr std::size_t kMaxDigits = 9;

// Products of an index, 1e9 and a denominator need more than 64 bits.
__extension__ typedef __int128 Wide;

std::optional<std::int64_t> Whole(std::string_view digits) {
  if (digits.empty() || digits.size() > kMaxDigits) return std::nullopt;
  std::int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

bool Acceptable(std::int64_t numerator, std::int64_t denominator) {
  return numerator > 0 && denominator > 0 && numerator <= kMaxFramesPerSecond * denominator;
}

FrameRate Reduced(std::int64_t numerator, std::int64_t denominator) {
  const std::int64_t divisor = std::gcd(numerator, denominator);
  return {numerator / divisor, denominator / divisor};
}

}  // namespace

std::string FrameRate::Text() const {
  return denominator == 1 ? std::to_string(numerator)
                          : std::to_string(numerator) + "/" + std::to_string(denominator);
}

std::optional<FrameRate> ParseFrameRate(std::string_view text) {
  if (const auto slash = text.find('/'); slash != std::string_view::npos) {
    const auto numerator = Whole(text.substr(0, slash));
    const auto denominator = Whole(text.substr(slash + 1));
    if (!numerator || !denominator || !Acceptable(*numerator, *denominator)) return std::nullopt;
    return Reduced(*numerator, *denominator);
  }
  const auto point = text.find('.');
  const auto whole = Whole(text.substr(0, point));
  const std::string_view fraction = point == std::string_view::npos ? "" : text.substr(point + 1);
  if (!whole || (point != std::string_view::npos && fraction.empty())) return std::nullopt;
  std::int64_t denominator = 1;
  std::int64_t numerator = *whole;
  if (!fraction.empty()) {
    const auto digits = Whole(fraction);
    if (!digits) return std::nullopt;
    for (std::size_t i = 0; i < fraction.size(); ++i) denominator *= 10;
    numerator = *whole * denominator + *digits;
  }
  if (!Acceptable(numerator, denominator)) return std::nullopt;
  const double value = static_cast<double>(numerator) / static_cast<double>(denominator);
  const double nominal = std::round(value * 1.001);
  if (denominator > 1 && nominal > 0 && std::abs(value - nominal * 1000 / 1001) < 0.005)
    return FrameRate{static_cast<std::int64_t>(nominal) * 1000, 1001};
  return Reduced(numerator, denominator);
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

double FrameMilliseconds(long index, const FrameRate& rate) {
  return static_cast<double>(static_cast<Wide>(index) * 1000 * rate.denominator) /
         static_cast<double>(rate.numerator);
}

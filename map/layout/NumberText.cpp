#include "map/layout/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace layout {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Checks the grammar above so that from_chars never sees what it would
// accept beyond it (its "inf", "nan" and bare exponents).
bool WellFormed(std::string_view t, char point) {
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  if (i < t.size() && t[i] == point) {
    ++i;
    while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t exponentDigits = 0;
    while (i < t.size() && IsDigit(t[i])) ++i, ++exponentDigits;
    if (exponentDigits == 0) return false;
  }
  return i == t.size();
}

// The power of ten of the first significant digit of a well-formed number
// (with '.' as its point), saturated far beyond a double's range: tells an
// overflow from an underflow when from_chars reports either.
long DecimalMagnitude(std::string_view t) {
  constexpr long kSaturation = 100000;
  std::size_t i = (t[0] == '+' || t[0] == '-') ? 1 : 0;
  long integerDigits = 0, leadingFractionZeros = 0;
  bool significant = false;
  for (; i < t.size() && IsDigit(t[i]); ++i) {
    significant = significant || t[i] != '0';
    if (significant) ++integerDigits;
  }
  if (i < t.size() && t[i] == '.')
    for (++i; i < t.size() && IsDigit(t[i]) && !significant; ++i) {
      significant = t[i] != '0';
      if (!significant) ++leadingFractionZeros;
    }
  while (i < t.size() && IsDigit(t[i])) ++i;
  long exponent = 0;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    const bool negative = t[i] == '-';
    if (t[i] == '+' || t[i] == '-') ++i;
    for (; i < t.size(); ++i) exponent = std::min(kSaturation, exponent * 10 + (t[i] - '0'));
    if (negative) exponent = -exponent;
  }
  return (integerDigits > 0 ? integerDigits - 1 : -(leadingFractionZeros + 1)) + exponent;
}

}  // namespace

std::optional<double> ReadNumber(std::string_view text, bool decimalComma) {
  const char point = (decimalComma && text.find(',') != std::string_view::npos) ? ',' : '.';
  if (!WellFormed(text, point)) return std::nullopt;
  // from_chars takes no '+' and only '.', so hand it a normalised copy.
  std::string normal(text.substr(text[0] == '+' ? 1 : 0));
  for (char& c : normal)
    if (c == ',') c = '.';
  double value = 0;
  const char* const end = normal.data() + normal.size();
  const auto [stop, status] = std::from_chars(normal.data(), end, value);
  if (status == std::errc::result_out_of_range) {
    // Too large or too small: a huge value keeps its sign for the range
    // check that rejects it, a tiny one is zero.
    if (DecimalMagnitude(normal) < 0) return 0.0;
    return normal[0] == '-' ? -std::numeric_limits<double>::infinity()
                            : std::numeric_limits<double>::infinity();
  }
  if (status != std::errc() || stop != end) return std::nullopt;
  return value;
}

}  // namespace layout

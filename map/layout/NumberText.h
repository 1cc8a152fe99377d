// Numbers written as text in layout files: the one reader every parser uses
// for text that should hold a number.
#pragma once

#include <optional>
#include <string_view>

namespace layout {

// Reads a decimal number: an optional sign, digits with an optional
// fractional part ("12", "-3", "+0.5", ".5", "7."), an optional exponent
// ("1e3"). Nothing else is accepted: no spaces, no "inf" or "nan", no hex,
// no trailing text. With `decimalComma`, a comma may stand for the point
// ("12,5", as spreadsheets write decimals where ';' separates fields).
// Independent of the C locale. Magnitudes beyond a double's range read as
// infinity, which every caller rejects as out of range.
std::optional<double> ReadNumber(std::string_view text, bool decimalComma);

}  // namespace layout

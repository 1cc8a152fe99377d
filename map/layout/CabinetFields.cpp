#include "map/layout/CabinetFields.h"

#include <cmath>

#include "map/layout/LayoutError.h"
#include "map/layout/Limits.h"
#include "map/layout/NumberText.h"

namespace layout {

namespace {

std::string Str(std::string_view s) { return std::string(s); }

// The number a value holds, or the fault of a value that holds none.
std::optional<double> NumberOf(const FieldValue& value) {
  if (value.number) return value.number;
  return ReadNumber(value.text, value.decimalComma);
}

// A position or size in whole pixels: within +-kMaxCoordinate, then rounded
// half away from zero (the model is whole pixels; decimals from spreadsheet
// arithmetic are welcome).
Fault ToPixels(const FieldValue& value, std::string_view subject, long& out) {
  const std::optional<double> number = NumberOf(value);
  if (!number || std::isnan(*number)) return Str(subject) + " IS NOT A NUMBER";
  if (!(std::fabs(*number) <= static_cast<double>(kMaxCoordinate)))
    return Str(subject) + " IS OUTSIDE -" + std::to_string(kMaxCoordinate) + " TO " +
           std::to_string(kMaxCoordinate);
  out = std::lround(*number);
  return std::nullopt;
}

// A whole number in [1, most], for chain positions, screens and port numbers.
Fault ToOrdinal(const FieldValue& value, std::string_view subject, long most, int& out) {
  const std::optional<double> number = NumberOf(value);
  const std::string shown = Str(subject) + " " + QuoteForMessage(value.text);
  if (!number || std::isnan(*number)) return Str(subject) + " IS NOT A NUMBER";
  if (!(*number >= 1 && *number <= static_cast<double>(most)))
    return shown + " IS NOT 1 TO " + std::to_string(most);
  if (*number != std::floor(*number)) return shown + " IS NOT A WHOLE NUMBER";
  out = static_cast<int>(*number);
  return std::nullopt;
}

Fault ToRotation(const FieldValue& value, std::string_view subject, int& out) {
  const std::optional<double> number = NumberOf(value);
  for (int quarter : {0, 90, 180, 270})
    if (number && *number == quarter) {
      out = quarter;
      return std::nullopt;
    }
  return Str(subject) + " " + QuoteForMessage(value.text) + " IS NOT 0 90 180 OR 270";
}

// A letter A..L (either case) or a number 1..kMaxPorts.
Fault ToPort(const FieldValue& value, std::string_view subject, int& out) {
  const std::string_view t = value.text;
  if (!value.number && t.size() == 1 && ((t[0] >= 'A' && t[0] <= 'Z') || (t[0] >= 'a' && t[0] <= 'z'))) {
    const int port = (t[0] | 0x20) - 'a' + 1;
    if (port <= kMaxPorts) {
      out = port;
      return std::nullopt;
    }
  } else {
    const std::optional<double> number = NumberOf(value);
    if (number && *number >= 1 && *number <= kMaxPorts && *number == std::floor(*number)) {
      out = static_cast<int>(*number);
      return std::nullopt;
    }
  }
  return Str(subject) + " " + QuoteForMessage(t) + " IS NOT A TO " + PortName(kMaxPorts) +
         " OR 1 TO " + std::to_string(kMaxPorts);
}

}  // namespace

Fault ReadSize(const FieldValue& value, std::string_view subject, long& out) {
  if (value.text.empty() && !value.number) return Str(subject) + " IS MISSING";
  if (Fault fault = ToPixels(value, subject, out)) return fault;
  if (out < 0) return Str(subject) + " IS NEGATIVE";
  if (out == 0) return Str(subject) + " IS ZERO";
  return std::nullopt;
}

Fault SetField(Cabinet& cabinet, Field field, const FieldValue& value, std::string_view subject) {
  const bool absent = value.text.empty() && !value.number;
  if (absent) {
    for (const FieldInfo& info : kCabinetFields)
      if (info.field == field && info.required) return Str(subject) + " IS MISSING";
    return std::nullopt;
  }
  constexpr long kMostOrdinal = static_cast<long>(kMaxCabinets);
  switch (field) {
    case Field::Id: cabinet.id = Str(value.text); return std::nullopt;
    case Field::Label: cabinet.label = Str(value.text); return std::nullopt;
    case Field::X: return ToPixels(value, subject, cabinet.x);
    case Field::Y: return ToPixels(value, subject, cabinet.y);
    case Field::W: return ReadSize(value, subject, cabinet.w);
    case Field::H: return ReadSize(value, subject, cabinet.h);
    case Field::Rot: return ToRotation(value, subject, cabinet.rot);
    case Field::Port: return ToPort(value, subject, cabinet.port);
    case Field::Chain: return ToOrdinal(value, subject, kMostOrdinal, cabinet.chain);
    case Field::Screen: return ToOrdinal(value, subject, kMostOrdinal, cabinet.screen);
  }
  return std::nullopt;
}

}  // namespace layout

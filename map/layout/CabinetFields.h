// The fields of a cabinet as CSV columns and JSON keys name them, and the one
// place that turns a field's value into the model, with its checks and its
// messages. The CSV and JSON parsers differ only in how they find a value
// and how they name its place.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "map/layout/Layout.h"

namespace layout {

enum class Field { Id, X, Y, W, H, Label, Rot, Port, Chain, Screen };

struct FieldInfo {
  Field field;
  const char* name;  // lower case, as a CSV header or JSON key writes it
  bool required;
};

// Required fields first, in the order their absence is reported.
inline constexpr std::array<FieldInfo, 10> kCabinetFields = {{
    {Field::Id, "id", true},
    {Field::X, "x", true},
    {Field::Y, "y", true},
    {Field::W, "w", true},
    {Field::H, "h", true},
    {Field::Label, "label", false},
    {Field::Rot, "rot", false},
    {Field::Port, "port", false},
    {Field::Chain, "chain", false},
    {Field::Screen, "screen", false},
}};

// One field's value as a file gave it: its text (for messages, and the
// value itself for text fields and CSV), and the number where the format
// has typed numbers (JSON). Empty text and no number: the field is absent.
struct FieldValue {
  std::string_view text;
  std::optional<double> number;
  bool decimalComma = false;  // "12,5" reads as 12.5 (semicolon CSV)
};

// The "what" of an error, its sentence starting with the field's subject
// ("W" in CSV, "CABINETS[3].W" in JSON).
using Fault = std::optional<std::string>;

// Sets `field` of `cabinet` from `value`, or says why not. An absent
// required field is a fault; an absent optional one keeps its default.
Fault SetField(Cabinet& cabinet, Field field, const FieldValue& value, std::string_view subject);

// A size in whole pixels, 1..kMaxCoordinate, by the same rule as w and h
// (for a canvas).
Fault ReadSize(const FieldValue& value, std::string_view subject, long& out);

}  // namespace layout

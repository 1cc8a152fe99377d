// A plug-in's parameter table as a host reads it through the prototype
// queries (codes 4, 5, 6, 15, 31, 35, 36 and 41), and the one name of each
// parameter type that every tool prints.
#pragma once

#include <string>
#include <vector>

#include "hostkit/PluginLibrary.h"

namespace hostkit {

struct ParameterElement {
  std::string name;
  float value = 0;  // what a host sends to choose this element (code 36)
};

struct ParameterInfo {
  FFUInt32 id = 0;
  std::string name;
  FFUInt32 type = 0;
  bool isText = false;       // text and file parameters: their default and value are texts
  FFUInt32 defaultBits = 0;  // a numeric default exactly as answered
  std::string defaultText;
  float minimum = 0, maximum = 1;  // 0 to 1 unless code 41 answered a range
  bool rangeAnswered = false;
  FFUInt32 elementCount = 0;  // code 31's answer; FF_FAIL when it failed
  std::vector<ParameterElement> elements;  // option elements in order

  float DefaultValue() const { return FloatFromBits(defaultBits); }
};

enum class TableReading {
  // A plug-in whose answers are trusted (our own): a failed count throws.
  Trusting,
  // An unknown plug-in: texts are read through guarded copies (an
  // unterminated or dangling one comes back empty), counts of
  // kMaxParameterCount or more are not believed, and a failed count answers an empty
  // table. Never throws and never reads unmapped memory.
  Defensive,
};

constexpr FFUInt32 kMaxParameterCount = 4096;

// Trusting reads throw PluginLoadError when code 4 answers failure.
std::vector<ParameterInfo> ReadParameterTable(const PluginLibrary& plugin, TableReading reading);

// "boolean", "standard", "option", "buffer", "integer", "file" or "text";
// "type N" for a number without a name.
std::string ParameterTypeName(FFUInt32 type);

}  // namespace hostkit

#include "tools/render/ParameterTable.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

std::string Quoted(const std::vector<std::string>& names) {
  std::string list;
  for (const auto& name : names) list += (list.empty() ? "\"" : ", \"") + name + "\"";
  return list;
}

// The text as a float; false unless the whole text is a number.
bool ParseNumber(const std::string& text, float& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtof(text.c_str(), &end);
  return end && *end == '\0';
}

std::string FormatNumber(float value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

std::vector<std::string> ElementNames(const ParameterInfo& param) {
  std::vector<std::string> names;
  for (const auto& element : param.elements) names.push_back(element.name);
  return names;
}

std::string ValueList(const ParameterInfo& param) {
  std::string list;
  for (const auto& element : param.elements) list += (list.empty() ? "" : ", ") + FormatNumber(element.value);
  return list;
}

// The element a host chooses by sending `value`, or none.
const hostkit::ParameterElement* ElementWithValue(const ParameterInfo& param, float value) {
  for (const auto& element : param.elements)
    if (element.value == value) return &element;
  return nullptr;
}

}  // namespace

ParameterTable::ParameterTable(const hostkit::PluginLibrary& plugin, hostkit::TableReading reading)
    : params_(hostkit::ReadParameterTable(plugin, reading)) {}

const ParameterInfo* ParameterTable::FindIfAny(const std::string& name) const {
  const std::string wanted = Lower(Trim(name));
  for (const auto& param : params_)
    if (Lower(param.name) == wanted) return &param;
  return nullptr;
}

const ParameterInfo& ParameterTable::Find(const std::string& name) const {
  if (const ParameterInfo* param = FindIfAny(name)) return *param;
  std::vector<std::string> names;
  for (const auto& param : params_) names.push_back(param.name);
  throw UsageError("unknown parameter \"" + Trim(name) + "\"; valid: " + Quoted(names));
}

ParameterValue ParameterTable::Resolve(const std::string& assignment) const {
  const auto equals = assignment.find('=');
  if (equals == std::string::npos)
    throw UsageError("expected NAME=VALUE, got \"" + assignment + "\"");
  return ResolveValue(Find(assignment.substr(0, equals)), assignment.substr(equals + 1));
}

ParameterValue ParameterTable::ResolveValue(const ParameterInfo& param,
                                            const std::string& text) const {
  const std::string value = Trim(text);
  ParameterValue result;
  result.id = param.id;

  if (param.isText) {
    // Texts go as typed, surrounding blanks included: a file name may have them.
    result.isText = true;
    result.text = text;
    return result;
  }

  if (param.type == FF_TYPE_OPTION) {
    for (const auto& element : param.elements)
      if (Lower(element.name) == Lower(value)) {
        result.value = element.value;
        return result;
      }
    if (!ParseNumber(value, result.value))
      throw UsageError("unknown " + param.name + " \"" + value + "\"; valid: " +
                       Quoted(ElementNames(param)));
    if (!ElementWithValue(param, result.value))
      result.warning = param.name + "=" + value + " names no element (values " +
                       ValueList(param) + ")";
    return result;
  }

  if (param.type == FF_TYPE_BOOLEAN) {
    const std::string word = Lower(value);
    if (word == "on" || word == "true" || word == "yes") {
      result.value = 1;
      return result;
    }
    if (word == "off" || word == "false" || word == "no") {
      result.value = 0;
      return result;
    }
  }

  if (!ParseNumber(value, result.value))
    throw UsageError(param.name + " takes a number" +
                     (param.type == FF_TYPE_BOOLEAN ? std::string(" or on/off") : std::string()) +
                     ", got \"" + value + "\"");
  if (!(result.value >= param.minimum && result.value <= param.maximum))
    result.warning = param.name + "=" + value + " is outside " + FormatNumber(param.minimum) +
                     " to " + FormatNumber(param.maximum);
  return result;
}

std::string ParameterTable::Listing() const {
  std::ostringstream out;
  for (const auto& param : params_) {
    out << "  \"" << param.name << "\" (" << hostkit::ParameterTypeName(param.type) << ", default ";
    const float def = param.DefaultValue();
    if (param.type == FF_TYPE_OPTION) {
      const hostkit::ParameterElement* element = ElementWithValue(param, def);
      out << (element ? "\"" + element->name + "\"" : FormatNumber(def));
      out << "): " << Quoted(ElementNames(param));
    } else if (param.type == FF_TYPE_BOOLEAN) {
      out << (def > 0.5f ? "on" : "off") << ")";
    } else if (param.isText) {
      out << "\"" << param.defaultText << "\")";
    } else {
      out << FormatNumber(def) << ", " << FormatNumber(param.minimum) << " to "
          << FormatNumber(param.maximum) << ")";
    }
    out << "\n";
  }
  return out.str();
}

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

}  // namespace

std::string TypeName(FFUInt32 type) {
  switch (type) {
    case FF_TYPE_BOOLEAN: return "on/off";
    case FF_TYPE_STANDARD: return "fraction";
    case FF_TYPE_OPTION: return "option";
    case FF_TYPE_INTEGER: return "integer";
    case FF_TYPE_TEXT: return "text";
    case FF_TYPE_FILE: return "file";
    default: return "type " + std::to_string(type);
  }
}

ParameterTable::ParameterTable(const hostkit::PluginLibrary& plugin) {
  const FFUInt32 count = plugin.GetNumParameters();
  if (count == FF_FAIL) throw std::runtime_error("the plug-in does not report its parameters");
  for (FFUInt32 id = 0; id < count; ++id) {
    ParameterInfo info;
    info.id = id;
    const char* name = plugin.GetParameterName(id);
    info.name = name ? name : "";
    info.type = plugin.GetParameterType(id);
    info.defaultValue = hostkit::FloatFromBits(plugin.GetParameterDefault(id).UIntValue);
    plugin.GetRange(id, info.minimum, info.maximum);
    if (info.type == FF_TYPE_OPTION) {
      const FFUInt32 elements = plugin.GetElementCount(nullptr, id);
      for (FFUInt32 e = 0; elements != FF_FAIL && e < elements; ++e) {
        const char* element = plugin.GetElementName(nullptr, id, e);
        info.elements.push_back(element ? element : "");
      }
    }
    params_.push_back(std::move(info));
  }
}

const ParameterInfo& ParameterTable::Find(const std::string& name) const {
  const std::string wanted = Lower(Trim(name));
  for (const auto& param : params_)
    if (Lower(param.name) == wanted) return param;
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

  if (param.type == FF_TYPE_OPTION) {
    for (std::size_t e = 0; e < param.elements.size(); ++e)
      if (Lower(param.elements[e]) == Lower(value)) {
        result.value = static_cast<float>(e);
        return result;
      }
    if (!ParseNumber(value, result.value))
      throw UsageError("unknown " + param.name + " \"" + value + "\"; valid: " +
                       Quoted(param.elements));
    if (!(result.value >= 0 && result.value <= static_cast<float>(param.elements.size()) - 1))
      result.warning = param.name + "=" + value + " names no element (0 to " +
                       std::to_string(param.elements.size() - 1) + ")";
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
    out << "  \"" << param.name << "\" (" << TypeName(param.type) << ", default ";
    if (param.type == FF_TYPE_OPTION) {
      const auto index = static_cast<std::size_t>(param.defaultValue);
      out << (index < param.elements.size() ? "\"" + param.elements[index] + "\""
                                            : FormatNumber(param.defaultValue));
      out << "): " << Quoted(param.elements);
    } else if (param.type == FF_TYPE_BOOLEAN) {
      out << (param.defaultValue > 0.5f ? "on" : "off") << ")";
    } else {
      out << FormatNumber(param.defaultValue) << ", " << FormatNumber(param.minimum) << " to "
          << FormatNumber(param.maximum) << ")";
    }
    out << "\n";
  }
  return out.str();
}

// The plug-in's parameters as a host reads them (names, types, ranges,
// option elements), and the resolution of "Name=Value" texts into the
// values a host would send: names and option elements match without regard
// to case, and options take an element name or a number.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "hostkit/PluginLibrary.h"

// A mistake in what the user asked for; the message is one line.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ParameterInfo {
  FFUInt32 id = 0;
  std::string name;
  FFUInt32 type = 0;
  float defaultValue = 0;
  float minimum = 0;
  float maximum = 1;
  std::vector<std::string> elements;  // option elements in value order
};

struct ParameterValue {
  FFUInt32 id = 0;
  float value = 0;
  std::string warning;  // set when the value lies outside what the parameter declares
};

class ParameterTable {
 public:
  explicit ParameterTable(const hostkit::PluginLibrary& plugin);

  const std::vector<ParameterInfo>& All() const { return params_; }
  // Throws UsageError listing the valid names when none matches.
  const ParameterInfo& Find(const std::string& name) const;
  // "Name=Value"; throws UsageError for an unknown name or option element.
  ParameterValue Resolve(const std::string& assignment) const;
  ParameterValue ResolveValue(const ParameterInfo& param, const std::string& value) const;

  // Parameters, ranges and option elements, one parameter per line.
  std::string Listing() const;

 private:
  std::vector<ParameterInfo> params_;
};

std::string TypeName(FFUInt32 type);

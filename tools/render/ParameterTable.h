// The resolution of "Name=Value" texts into the values a host would send,
// over the plug-in's parameter table as the host kit reads it: names and
// option elements match without regard to case, and options take an element
// name or a number (the value sent as it is).
#pragma once

#include <string>
#include <vector>

#include "hostkit/ParameterTable.h"
#include "tools/UsageError.h"

using hostkit::ParameterInfo;

struct ParameterValue {
  FFUInt32 id = 0;
  float value = 0;
  bool isText = false;  // text and file parameters take `text` instead of `value`
  std::string text;
  std::string warning;  // set when the value lies outside what the parameter declares
};

class ParameterTable {
 public:
  // `reading`: Trusting for the plug-in linked into the tool, Defensive for a
  // module loaded from a file.
  explicit ParameterTable(const hostkit::PluginLibrary& plugin,
                          hostkit::TableReading reading = hostkit::TableReading::Trusting);

  const std::vector<ParameterInfo>& All() const { return params_; }
  // Throws UsageError listing the valid names when none matches.
  const ParameterInfo& Find(const std::string& name) const;
  // The parameter of that name, or nullptr.
  const ParameterInfo* FindIfAny(const std::string& name) const;
  // "Name=Value"; throws UsageError for an unknown name or option element.
  ParameterValue Resolve(const std::string& assignment) const;
  ParameterValue ResolveValue(const ParameterInfo& param, const std::string& value) const;

  // Parameters, ranges and option elements, one parameter per line.
  std::string Listing() const;

 private:
  std::vector<ParameterInfo> params_;
};

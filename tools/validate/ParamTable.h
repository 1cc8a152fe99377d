// The plug-in's own parameter table, read through the prototype queries, and
// random values that keep to each parameter's kind and range.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "hostkit/PluginLibrary.h"

namespace validate {

struct ParamElement {
  std::string name;
  float value = 0;
};

struct ParamDesc {
  FFUInt32 id = 0;
  std::string name;
  FFUInt32 type = 0;
  bool isText = false;  // types 100 (text) and 14 (file)
  FFUInt32 defaultBits = 0;
  std::string defaultText;
  float minimum = 0, maximum = 1;
  bool rangeAnswered = false;
  FFUInt32 elementCount = 0;  // FF_FAIL when the query failed
  std::vector<ParamElement> elements;
};

// Reads every parameter's definition. Texts that are not safely readable come
// back empty; the info checks report them.
std::vector<ParamDesc> ReadParamTable(const hostkit::PluginLibrary& plugin);

// A value inside what the parameter declares: an element value of an option
// list, a whole number inside an integer range, 0 or 1 for a boolean, a
// fraction for a standard parameter. None for text parameters.
std::optional<float> RandomValue(const ParamDesc& param, std::mt19937_64& random);

// "3 \"Brightness\"", for messages.
std::string ParamLabel(const ParamDesc& param);

// Exact spelling of a float with its bit pattern: "1e+30 (0x7149F2CA)".
std::string DescribeFloat(float value);

bool SameBits(float a, float b);

}  // namespace validate

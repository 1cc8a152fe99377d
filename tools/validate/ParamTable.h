// The plug-in's parameter table as the validator reads it (defensively: the
// plug-in is not trusted), and random values that keep to each parameter's
// kind and range.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "hostkit/ParameterTable.h"

namespace validate {

using hostkit::ParameterInfo;

// Every parameter's definition. Texts that are not safely readable come back
// empty; the info checks report them.
inline std::vector<ParameterInfo> ReadParamTable(const hostkit::PluginLibrary& plugin) {
  return hostkit::ReadParameterTable(plugin, hostkit::TableReading::Defensive);
}

// A value inside what the parameter declares: an element value of an option
// list, a whole number inside an integer range, 0 or 1 for a boolean, a
// fraction for a standard parameter. None for text parameters.
std::optional<float> RandomValue(const ParameterInfo& param, std::mt19937_64& random);

// Where the plug-in offers a clock source (host/HostTimeConvention.h),
// chooses its host-time element in `values` (by parameter ID), so that what
// a frame shows depends on code 20 alone and frames can be compared.
void ChooseHostTime(const std::vector<ParameterInfo>& table, std::vector<std::optional<float>>& values);

// The host time (code 20) every frame that is compared with another is
// drawn at: an hour, two minutes, three and a quarter seconds.
constexpr double kComparedHostTime = 3723.25;

// "3 \"Brightness\"", for messages.
std::string ParamLabel(const ParameterInfo& param);

// Exact spelling of a float with its bit pattern: "1e+30 (0x7149F2CA)".
std::string DescribeFloat(float value);

bool SameBits(float a, float b);

}  // namespace validate

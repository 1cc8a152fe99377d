#include "ParamTable.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/HostTimeConvention.h"


namespace validate {

std::optional<float> RandomValue(const ParameterInfo& param, std::mt19937_64& random) {
  if (param.isText) return std::nullopt;
  auto uniform = [&](double lo, double hi) {
    return static_cast<float>(std::uniform_real_distribution<double>(lo, hi)(random));
  };
  const bool finiteRange = std::isfinite(param.minimum) && std::isfinite(param.maximum) &&
                           param.minimum <= param.maximum;
  switch (param.type) {
    case FF_TYPE_BOOLEAN:
      return static_cast<float>(random() % 2);
    case FF_TYPE_OPTION:
      if (!param.elements.empty())
        return param.elements[random() % param.elements.size()].value;
      break;
    case FF_TYPE_INTEGER:
      if (finiteRange) {
        const auto lo = static_cast<long long>(std::ceil(param.minimum));
        const auto hi = static_cast<long long>(std::floor(param.maximum));
        if (lo <= hi)
          return static_cast<float>(std::uniform_int_distribution<long long>(lo, hi)(random));
      }
      break;
    case FF_TYPE_STANDARD:
      return uniform(0.0, 1.0);
    default:
      break;
  }
  return finiteRange ? uniform(param.minimum, param.maximum) : uniform(0.0, 1.0);
}

void ChooseHostTime(const std::vector<ParameterInfo>& table, std::vector<std::optional<float>>& values) {
  for (const auto& p : table) {
    if (p.type != FF_TYPE_OPTION || p.name != kClockSourceParameterName) continue;
    for (const auto& e : p.elements)
      if (e.name == kHostTimeElementName) {
        if (values.size() <= p.id) values.resize(p.id + 1);
        values[p.id] = e.value;
      }
  }
}

std::string ParamLabel(const ParameterInfo& param) {
  return std::to_string(param.id) + " \"" + param.name + "\"";
}

std::string DescribeFloat(float value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.9g (0x%08X)", static_cast<double>(value),
                hostkit::BitsOfFloat(value));
  return text;
}

bool SameBits(float a, float b) { return hostkit::BitsOfFloat(a) == hostkit::BitsOfFloat(b); }

}  // namespace validate

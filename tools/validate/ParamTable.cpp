#include "ParamTable.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "SafeText.h"

namespace validate {

std::vector<ParamDesc> ReadParamTable(const hostkit::PluginLibrary& plugin) {
  std::vector<ParamDesc> table;
  const FFUInt32 count = plugin.GetNumParameters();
  if (count == FF_FAIL || count > 4096) return table;
  for (FFUInt32 id = 0; id < count; ++id) {
    ParamDesc p;
    p.id = id;
    p.name = ReadText(plugin.GetParameterName(id)).text;
    p.type = plugin.GetParameterType(id);
    p.isText = p.type == FF_TYPE_TEXT || p.type == FF_TYPE_FILE;
    const FFMixed def = plugin.GetParameterDefault(id);
    if (p.isText)
      p.defaultText = ReadText(def.PointerValue).text;
    else
      p.defaultBits = def.UIntValue;
    float lo = 0, hi = 1;
    p.rangeAnswered = plugin.GetRange(id, lo, hi) == FF_SUCCESS;
    if (p.rangeAnswered) {
      p.minimum = lo;
      p.maximum = hi;
    }
    p.elementCount = plugin.GetElementCount(nullptr, id);
    if (p.type == FF_TYPE_OPTION && p.elementCount != FF_FAIL && p.elementCount < 4096) {
      for (FFUInt32 e = 0; e < p.elementCount; ++e) {
        ParamElement element;
        element.name = ReadText(plugin.GetElementName(nullptr, id, e)).text;
        element.value = hostkit::FloatFromBits(plugin.GetElementValue(nullptr, id, e).UIntValue);
        p.elements.push_back(element);
      }
    }
    table.push_back(std::move(p));
  }
  return table;
}

std::optional<float> RandomValue(const ParamDesc& param, std::mt19937_64& random) {
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

std::string ParamLabel(const ParamDesc& param) {
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

#include "hostkit/ParameterTable.h"

#include "hostkit/SafeText.h"

namespace hostkit {

std::string ParameterTypeName(FFUInt32 type) {
  switch (type) {
    case FF_TYPE_BOOLEAN: return "boolean";
    case FF_TYPE_STANDARD: return "standard";
    case FF_TYPE_OPTION: return "option";
    case FF_TYPE_BUFFER: return "buffer";
    case FF_TYPE_INTEGER: return "integer";
    case FF_TYPE_FILE: return "file";
    case FF_TYPE_TEXT: return "text";
    default: return "type " + std::to_string(type);
  }
}

std::vector<ParameterInfo> ReadParameterTable(const PluginLibrary& plugin, TableReading reading) {
  const bool defensive = reading == TableReading::Defensive;
  auto text = [defensive](const void* pointer) -> std::string {
    if (defensive) {
      const SafeTextResult read = ReadText(pointer);
      return read.ok ? read.text : std::string();
    }
    return pointer ? static_cast<const char*>(pointer) : "";
  };
  std::vector<ParameterInfo> table;
  const FFUInt32 count = plugin.GetNumParameters();
  if (count == FF_FAIL || count >= kMaxParameterCount) {
    if (defensive) return table;
    throw PluginLoadError(plugin.Path() + " does not report its parameters (code 4 answered " +
                          std::to_string(count) + ")");
  }
  for (FFUInt32 id = 0; id < count; ++id) {
    ParameterInfo p;
    p.id = id;
    p.name = text(plugin.GetParameterName(id));
    p.type = plugin.GetParameterType(id);
    p.isText = p.type == FF_TYPE_TEXT || p.type == FF_TYPE_FILE;
    const FFMixed def = plugin.GetParameterDefault(id);
    if (p.isText)
      p.defaultText = text(def.PointerValue);
    else
      p.defaultBits = def.UIntValue;
    float minimum = 0, maximum = 1;
    p.rangeAnswered = plugin.GetRange(id, minimum, maximum) == FF_SUCCESS;
    if (p.rangeAnswered) {
      p.minimum = minimum;
      p.maximum = maximum;
    }
    p.elementCount = plugin.GetElementCount(nullptr, id);
    if (p.type == FF_TYPE_OPTION && p.elementCount != FF_FAIL && p.elementCount < kMaxParameterCount)
      for (FFUInt32 e = 0; e < p.elementCount; ++e)
        p.elements.push_back({text(plugin.GetElementName(nullptr, id, e)),
                              FloatFromBits(plugin.GetElementValue(nullptr, id, e).UIntValue)});
    table.push_back(std::move(p));
  }
  return table;
}

}  // namespace hostkit

#include "tools/render/SignalChoice.h"

#include <algorithm>
#include <string>

#include "host/ParameterDefinition.h"
#include "host/ValueConversion.h"

namespace {

// The value the run leaves the parameter at: the last one sent, else its default.
float ValueOf(const ParameterInfo& param, const std::vector<ParameterValue>& values) {
  float value = param.DefaultValue();
  for (const ParameterValue& sent : values)
    if (sent.id == param.id && !sent.isText) value = sent.value;
  return value;
}

// The number the plug-in draws with for a value sent: an integer parameter
// rounded and clamped to its range by the plug-in's own rule
// (host/ParameterDefinition.h, as the HDR plug-in reads "Peak nits"), so
// that "Peak nits=1500.4" tags the file for the 1500 nits drawn; any other
// clamped to its range.
double PlugInsValue(const ParameterInfo& param, float value) {
  if (param.type == FF_TYPE_INTEGER) {
    if (!param.rangeAnswered) return RoundSaturated(value);
    const ParameterDefinition declared{param.name.c_str(), param.type, 0.0f, param.minimum,
                                       param.maximum, nullptr, 0, nullptr};
    return WholeNumberOf(value, declared);
  }
  return param.rangeAnswered ? std::clamp(value, param.minimum, param.maximum) : value;
}

}  // namespace

bool IsHdr(const veltrima::signal::Signal& signal) {
  return signal.transfer != veltrima::signal::Transfer::Sdr;
}

std::optional<VideoSignal> ChosenSignal(const ParameterTable& table,
                                        const std::vector<ParameterValue>& values) {
  const ParameterInfo* option = table.FindIfAny(kSignalParameterName);
  if (!option || option->type != FF_TYPE_OPTION) return std::nullopt;
  // Another plug-in's "Signal" option that names none of these signals is
  // not one: its files stay as every other plug-in's.
  if (std::none_of(option->elements.begin(), option->elements.end(), [](const auto& element) {
        return veltrima::signal::SignalNamed(element.name).has_value();
      }))
    return std::nullopt;
  const float chosen = ValueOf(*option, values);
  const hostkit::ParameterElement* element = nullptr;
  for (const auto& candidate : option->elements)
    if (candidate.value == chosen) element = &candidate;
  if (!element)
    throw UsageError("\"" + option->name + "\" has no element of value " +
                     std::to_string(chosen) + "; choose one by name (see --list)");
  const std::optional<veltrima::signal::Signal> signal =
      veltrima::signal::SignalNamed(element->name);
  if (!signal)
    throw UsageError("the plug-in's \"" + option->name + "\" element \"" + element->name +
                     "\" is no signal this tool can tag");
  VideoSignal video{*signal, 1000.0};
  if (const ParameterInfo* peak = table.FindIfAny(kPeakNitsParameterName))
    video.peakNits = PlugInsValue(*peak, ValueOf(*peak, values));
  return video;
}

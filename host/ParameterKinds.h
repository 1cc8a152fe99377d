// The kinds of numeric parameter a plug-in declares, each as the
// ParameterDefinition the registry is filled from: an option with its
// elements, an integer with its range, a fraction (0 to 1) and a switch.
#pragma once

#include <cstddef>

#include "host/ParameterDefinition.h"

template <std::size_t N>
constexpr ParameterDefinition OptionParameter(const char* name, const char* const (&elements)[N],
                                              int defaultIndex) {
  return {name, FF_TYPE_OPTION, static_cast<float>(defaultIndex), 0.0f, 1.0f, elements,
          static_cast<unsigned>(N), nullptr};
}
constexpr ParameterDefinition IntegerParameter(const char* name, int defaultValue, int minimum,
                                               int maximum) {
  return {name, FF_TYPE_INTEGER, static_cast<float>(defaultValue), static_cast<float>(minimum),
          static_cast<float>(maximum), nullptr, 0, nullptr};
}
constexpr ParameterDefinition FractionParameter(const char* name, float defaultValue) {
  return {name, FF_TYPE_STANDARD, defaultValue, 0.0f, 1.0f, nullptr, 0, nullptr};
}
constexpr ParameterDefinition SwitchParameter(const char* name, bool on) {
  return {name, FF_TYPE_BOOLEAN, on ? 1.0f : 0.0f, 0.0f, 1.0f, nullptr, 0, nullptr};
}

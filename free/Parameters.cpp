#include "free/Parameters.h"

#include <iterator>

#include "free/Presets.h"

namespace {

const char* const kPresetNames[] = {
    "128x128 Grid",     "ROE BP2 / 176x176", "ROE CB5 / 104x208", "192x192 Grid",
    "256x256 Raster",   "Colour Bars",       "Dead Pixel Sweep",  "RGBW Solid Cycle",
    "RGBW Ramps",       "1px Pixel Checker",
};
const char* const kPatternNames[] = {
    "Panel Grid", "Full Raster", "Colour Bars", "Gradients",
    "Solid Colour", "Line Sweep", "Pixel Checker",
};
const char* const kLabelNames[] = {"Column-Row A1", "Index 1,2,3"};
const char* const kSolidNames[] = {"Cycle", "Red", "Green", "Blue", "White", "Black"};
const char* const kBackgroundNames[] = {"Opaque", "Transparent"};

// The option lists and the numbers the code uses for them must agree.
static_assert(std::size(kPresetNames) == kPresetCount, "one preset row per preset name");
static_assert(std::size(kPatternNames) == kPatternPixelChecker + 1, "one name per pattern");

template <std::size_t N>
constexpr ParamDefinition Option(const char* name, const char* const (&elements)[N]) {
  return {name, FF_TYPE_OPTION, 0.0f, 0.0f, 1.0f, elements, static_cast<unsigned>(N), nullptr};
}
constexpr ParamDefinition Integer(const char* name, float defaultValue, float minimum,
                                  float maximum) {
  return {name, FF_TYPE_INTEGER, defaultValue, minimum, maximum, nullptr, 0, nullptr};
}
constexpr ParamDefinition Fraction(const char* name, float defaultValue) {
  return {name, FF_TYPE_STANDARD, defaultValue, 0.0f, 1.0f, nullptr, 0, nullptr};
}
constexpr ParamDefinition Flag(const char* name, bool on) {
  return {name, FF_TYPE_BOOLEAN, on ? 1.0f : 0.0f, 0.0f, 1.0f, nullptr, 0, nullptr};
}

const std::array<ParamDefinition, kParamCount> kDefinitions = {{
    Option("Preset", kPresetNames),
    Option("Pattern", kPatternNames),
    Integer("Panel Width px", 128.0f, 16.0f, 512.0f),
    Integer("Panel Height px", 128.0f, 16.0f, 512.0f),
    Integer("Offset X px", 0.0f, 0.0f, 2048.0f),
    Integer("Offset Y px", 0.0f, 0.0f, 2048.0f),
    Option("Panel Label", kLabelNames),
    Flag("Moving Element", true),
    Flag("Show Resolution", true),
    Fraction("Brightness", 1.0f),
    Integer("Line Width px", 1.0f, 1.0f, 16.0f),
    Fraction("Number Size", 0.5f),
    Option("Solid Colour", kSolidNames),
    Fraction("Speed", 0.5f),
    Option("Background", kBackgroundNames),
    Flag("Credit", false),
}};

}  // namespace

const std::array<ParamDefinition, kParamCount>& ParameterDefinitions() { return kDefinitions; }

WholeRange WholeNumberRange(ParamIndex index) { return WholeNumberRange(kDefinitions[index]); }

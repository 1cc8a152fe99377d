#include "map/Parameters.h"

#include "framestamp/RegionCode.h"
#include "map/layout/Limits.h"

namespace {

MapParamDefinition Integer(const char* name, int defaultValue, int minimum, int maximum) {
  return {name, FF_TYPE_INTEGER, static_cast<float>(defaultValue), static_cast<float>(minimum),
          static_cast<float>(maximum), nullptr, 0, nullptr};
}
MapParamDefinition Flag(const char* name) {
  return {name, FF_TYPE_BOOLEAN, 1.0f, 0.0f, 1.0f, nullptr, 0, nullptr};
}
MapParamDefinition Switch(const char* name) {
  return {name, FF_TYPE_BOOLEAN, 0.0f, 0.0f, 1.0f, nullptr, 0, nullptr};
}
MapParamDefinition Fraction(const char* name, float defaultValue) {
  return {name, FF_TYPE_STANDARD, defaultValue, 0.0f, 1.0f, nullptr, 0, nullptr};
}

const std::array<MapParamDefinition, kMapParamCount> kDefinitions = {{
    {"Map File", FF_TYPE_FILE, 0.0f, 0.0f, 1.0f, nullptr, 0, ""},
    // Screen numbers go no higher than the cabinet count can reach.
    Integer("Screen", 1, 1, static_cast<int>(layout::kMaxCabinets)),
    Integer("Line Width px", 2, 1, 32),
    Fraction("Brightness", 1.0f),
    Flag("Labels"),
    Flag("Coordinates"),
    Flag("Orientation"),
    Flag("Chain Arrows"),
    Flag("Hatch"),
    Flag("Info Line"),
    // Off by default: a saved project's picture stays as it was.
    Switch("Frame Codes"),
    Integer("Output Number", 0, 0, static_cast<int>(kRegionMaxOutput)),
    Integer("Code Cell px", kDefaultMapCodeCellSize, kMinRegionCellSize, kMaxRegionCellSize),
}};

}  // namespace

const std::array<MapParamDefinition, kMapParamCount>& MapParameterDefinitions() {
  return kDefinitions;
}

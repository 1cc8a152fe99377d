// The ten presets of the "Preset" parameter: each row holds the values that
// choosing it writes into parameters 1 to 14 ("Credit" is never touched).
#pragma once

#include <array>
#include <cstddef>

constexpr std::size_t kPresetCount = 10;
constexpr std::size_t kPresetFirstParam = 1;
constexpr std::size_t kPresetParamCount = 14;

using PresetRow = std::array<float, kPresetParamCount>;

// Rows in the element order of "Preset"; values as stored (option element
// values, booleans 0 or 1, pixels as whole numbers).
const std::array<PresetRow, kPresetCount>& PresetTable();

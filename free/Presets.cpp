#include "free/Presets.h"

namespace {

// Pattern, panel W, panel H, offset X, offset Y, label, moving, show res,
// brightness, line W, number size, solid colour, speed, background.
const std::array<PresetRow, kPresetCount> kPresets = {{
    {0, 128, 128, 0, 0, 0, 1, 1, 1.0f, 1, 0.5f, 0, 0.5f, 0},   // 128x128 Grid
    {0, 176, 176, 0, 0, 0, 1, 1, 1.0f, 1, 0.5f, 0, 0.5f, 0},   // ROE BP2 / 176x176
    {0, 104, 208, 0, 0, 0, 1, 1, 1.0f, 1, 0.5f, 0, 0.5f, 0},   // ROE CB5 / 104x208
    {0, 192, 192, 0, 0, 0, 1, 1, 1.0f, 2, 0.5f, 0, 0.5f, 0},   // 192x192 Grid
    {1, 256, 256, 0, 0, 0, 1, 1, 1.0f, 1, 0.5f, 0, 0.4f, 0},   // 256x256 Raster
    {2, 128, 128, 0, 0, 0, 0, 1, 1.0f, 1, 0.5f, 0, 0.5f, 0},   // Colour Bars
    {5, 128, 128, 0, 0, 0, 0, 0, 1.0f, 1, 0.5f, 0, 0.3f, 0},   // Dead Pixel Sweep
    {4, 128, 128, 0, 0, 0, 0, 1, 1.0f, 1, 0.5f, 0, 0.15f, 0},  // RGBW Solid Cycle
    {3, 128, 128, 0, 0, 0, 0, 1, 1.0f, 1, 0.5f, 0, 0.5f, 0},   // RGBW Ramps
    {6, 128, 128, 0, 0, 0, 0, 1, 1.0f, 1, 0.5f, 0, 0.5f, 0},   // 1px Pixel Checker
}};

}  // namespace

const std::array<PresetRow, kPresetCount>& PresetTable() { return kPresets; }

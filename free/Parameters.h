// The sixteen parameters the host sees: index, name, type, default, range and
// option elements, as constant data that the constructor registers and that
// tools can list.
#pragma once

#include <array>
#include <cstddef>

#include "host/FFGL.h"
#include "free/shaders/ShaderConstants.h"
#include "host/ParameterDefinition.h"

enum ParamIndex : FFUInt32 {
  kParamPreset = 0,
  kParamPattern = 1,
  kParamPanelWidth = 2,
  kParamPanelHeight = 3,
  kParamOffsetX = 4,
  kParamOffsetY = 5,
  kParamPanelLabel = 6,
  kParamMovingElement = 7,
  kParamShowResolution = 8,
  kParamBrightness = 9,
  kParamLineWidth = 10,
  kParamNumberSize = 11,
  kParamSolidColour = 12,
  kParamSpeed = 13,
  kParamBackground = 14,
  kParamCredit = 15,
};

constexpr std::size_t kParamCount = 16;

using ParamDefinition = ParameterDefinition;

// The definitions in index order.
const std::array<ParamDefinition, kParamCount>& ParameterDefinitions();

// The whole numbers a frame clamps the parameter's value to (its definition's).
WholeRange WholeNumberRange(ParamIndex index);

// The "Background" option's element values ("Opaque", "Transparent").
enum BackgroundElement : int { kBackgroundOpaque = 0, kBackgroundTransparent = 1 };

// Pattern numbers as the "Pattern" option's element values (the shader
// shares them: free/shaders/ShaderConstants.h).
enum PatternNumber : int {
  kPatternPanelGrid = glsl::PATTERN_GRID,
  kPatternFullRaster = glsl::PATTERN_RASTER,
  kPatternColourBars = glsl::PATTERN_BARS,
  kPatternGradients = glsl::PATTERN_GRADIENTS,
  kPatternSolidColour = glsl::PATTERN_SOLID,
  kPatternLineSweep = glsl::PATTERN_SWEEP,
  kPatternPixelChecker = glsl::PATTERN_CHECKER,
};

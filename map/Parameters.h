// The MAP plug-in's parameters as the host sees them: index, name, type,
// default and range, as constant data that the constructor registers and
// that tests and tools can list.
#pragma once

#include <array>
#include <cstddef>

#include "host/FFGL.h"
#include "host/ParameterDefinition.h"

enum MapParam : FFUInt32 {
  kMapFile = 0,
  kMapScreen,
  kMapLineWidth,
  kMapBrightness,
  kMapShowLabels,
  kMapShowCoordinates,
  kMapShowOrientation,
  kMapShowArrows,
  kMapShowHatch,  // gaps grey, overlaps red
  kMapShowInfo,
  // Appended: saved projects store indices.
  kMapFrameCodes,     // every cabinet carries the region code of its index
  kMapOutputNumber,   // the output number its codes carry, as SYNC's
  kMapCodeCellSize,   // the codes' cell size asked for, output pixels
  kMapParamCount
};

using MapParamDefinition = ParameterDefinition;

// The definitions in index order.
const std::array<MapParamDefinition, kMapParamCount>& MapParameterDefinitions();

// "Code Cell px" by default: a code of 13 cells of 6 px fits a cabinet of
// about 200 px beside its label.
constexpr int kDefaultMapCodeCellSize = 6;

// The layout formats the file parameter offers (codes 43 and 44), lower case
// and without the dot.
constexpr std::array<const char*, 3> kMapFileExtensions = {"csv", "json", "xml"};

// A path longer than this is refused with a message rather than cut (a cut
// path would name another file).
constexpr std::size_t kMaxMapPathBytes = 4096;

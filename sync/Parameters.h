// The SYNC plug-in's parameters as the host sees them: index, name, type,
// default, range, option elements and text defaults, as constant data that
// the constructor registers and that tests and tools can list.
#pragma once

#include <array>
#include <cstddef>

#include "framestamp/RegionCode.h"
#include "host/FFGL.h"
#include "host/ParameterDefinition.h"

enum SyncParam : FFUInt32 {
  kSyncLabel = 0,
  kSyncOutputNumber,
  kSyncClockSource,
  kSyncStartTime,
  kSyncTimeZone,
  kSyncTimecodeRate,
  kSyncCellSize,
  kSyncQrModule,
  kSyncFlashEvery,
  kSyncFlashArea,
  kSyncBrightness,
  kSyncShowFrameNumber,
  kSyncShowTime,
  kSyncShowTimecode,
  kSyncShowStrip,
  kSyncShowQr,
  kSyncShowMarkers,
  kSyncShowFlash,
  kSyncShowRuler,
  kSyncShowTracks,
  kSyncShowLabel,
  // Appended after the first release: saved projects store indices.
  kSyncRegionCodes,
  kSyncRegionColumns,
  kSyncRegionRows,
  kSyncRegionCellSize,
  kSyncParamCount
};

// "Clock Source" elements: what the render tool and the validator choose by
// name ("Host Time") to make frames depend on code 20 alone.
enum ClockSource : int { kClockSystem = 0, kClockHostTime = 1 };
enum FlashArea : int { kFlashBox = 0, kFlashWholeOutput = 1 };

using SyncParamDefinition = ParameterDefinition;

// "Region Columns" and "Region Rows": the grid the output is cut into when
// "Region Codes" is on; "Region Cell px": the code's cell size asked for.
constexpr int kMaxRegionGridSide = 64;
constexpr int kDefaultRegionColumns = 4, kDefaultRegionRows = 2;
// The cell sizes offered are framestamp/RegionCode.h's.
constexpr int kDefaultRegionCellSize = 8;

// The definitions in index order.
const std::array<SyncParamDefinition, kSyncParamCount>& SyncParameterDefinitions();

// Text parameters keep at most this many bytes of what the host sends (cut
// on a UTF-8 boundary): a label longer than this cannot be shown anyway.
constexpr std::size_t kMaxSyncTextBytes = 1024;

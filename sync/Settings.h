// The SYNC plug-in's stored parameter values (exactly what the host sent)
// turned into what a frame uses. Defined for any float (host/ValueConversion.h)
// and any text.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "clock/WallClock.h"
#include "framestamp/Timecode.h"
#include "sync/Parameters.h"

struct ShownElements {
  bool frameNumber = true, timeOfDay = true, timecode = true, strip = true, qr = true,
       markers = true, flash = true, ruler = true, tracks = true, label = true;
};

// "Region Codes": the output cut into columns x rows regions, each carrying
// its region code (framestamp/RegionCode.h) in place of the usual picture.
struct RegionCodeSettings {
  bool on = false;
  int columns = kDefaultRegionColumns, rows = kDefaultRegionRows;
  int cellSize = kDefaultRegionCellSize;  // asked for; the grid may need smaller
};

struct SyncSettings {
  std::string label;
  std::uint32_t output = 0;
  ClockSource clock = kClockSystem;
  std::int64_t startMillisecond = 0;
  bool startTimeValid = true;  // false: the text was malformed and 0 is used
  TimeZone zone = TimeZone::Local;
  TimecodeRate rate = TimecodeRate::Fps25;
  int cellSize = 16;
  int qrModule = 4;
  int flashEverySeconds = 1;
  FlashArea flashArea = kFlashBox;
  float brightness = 1.0f;
  ShownElements shown;
  RegionCodeSettings regions;
};

SyncSettings ConvertSyncSettings(const std::array<float, kSyncParamCount>& values,
                                 const std::string& label, const std::string& startTime);

// What one photo of a wall says: every region's offset in frames from the
// reference (the frame most regions show, or the one most regions of a chosen
// output show), a table for people and the JSON for programs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/sync-read/RollingShutter.h"
#include "tools/sync-read/WallReader.h"

struct RegionVerdict {
  WallRegion region;
  // Frames shown minus the reference's: -1 is a frame late (an older frame).
  // For a region caught in a frame change, 0 when the reference lies within
  // the frames it showed, else the distance to the nearer of them.
  int offsetFrames = 0;
  // From a clip: milliseconds, drift, drops and repeats; empty from a photo.
  std::optional<RegionTiming> timing;
  bool off = false;  // late or early: a frame off, or from a clip a millisecond
};

struct WallVerdict {
  std::vector<RegionVerdict> regions;  // by output, then region
  std::optional<std::uint16_t> reference;  // the counter taken as on time
  bool transitionCaught = false;           // any region caught in a frame change
  bool anyOff = false;                     // any region late or early
  // From a clip: the camera's line time (negative: the sensor reads bottom
  // to top), and the reference's frame time.
  std::optional<double> lineTimeUs;
  double frameMs = 0;
};

// The verdict over `reading`; with `referenceOutput`, the reference is the
// frame most of that output's regions show (empty when it has none).
WallVerdict JudgeWall(const WallReading& reading, std::optional<std::uint32_t> referenceOutput);

// One line per region, and a closing line.
std::string WallTable(const WallVerdict& verdict);

// {"regions": [{"output", "region", "cabinet", "port", "frame", "offset_frames",
// "offset_ms", "drift_ms_per_s", "dropped", "repeated", "box"}], "reference",
// "line_time_us", "scan", "transition_caught"}: what the input cannot tell
// (from a photo: milliseconds, drift, drops) is null.
std::string WallJson(const WallVerdict& verdict);

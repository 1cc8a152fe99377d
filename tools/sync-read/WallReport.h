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
  // With a layout: the cabinet's ID and its port ("A".."L", empty for none);
  // the ID is empty for a region the layout could not place.
  std::string cabinet, port;
  // From a clip: milliseconds, drift, drops and repeats; empty from a photo.
  std::optional<RegionTiming> timing;
  bool off = false;  // late or early: a frame off, or from a clip a millisecond
};

// A region read that the layout could not name, and why.
struct UnplacedRegion {
  std::uint32_t output = 0, region = 0;
  std::string why;
};

struct WallVerdict {
  std::vector<RegionVerdict> regions;  // by output, then region
  std::optional<std::uint16_t> reference;  // the counter taken as on time
  bool transitionCaught = false;           // any region caught in a frame change
  bool anyOff = false;                     // any region late or early
  // With a layout (tools/sync-read/WallLayout.h): what it could not name, and
  // the IDs of the shown screens' cabinets no region was read from.
  bool onLayout = false;
  std::vector<UnplacedRegion> unplaced;
  std::vector<std::string> unseenCabinets;
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
// (cabinet and port without a layout or where it placed none; from a photo:
// milliseconds, drift, drops) is null. With a layout, also
// "unplaced": [{"output", "region", "why"}] and "unseen_cabinets": [ID...].
std::string WallJson(const WallVerdict& verdict);

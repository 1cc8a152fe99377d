// veltrima-sync-read --wall PHOTO|CLIP: the region codes in one photo of a wall
// (or a clip of it: WallClip.h),
// each region's offset in frames from the reference, as a table on standard
// output and, with a path, as JSON. Answers the exit status: 0 when every
// region agrees, 1 when any is late or early, 2 when nothing could be read
// (with one line on standard error saying why and what the reader needs).
// With a layout, regions are named by their cabinets and ports
// (tools/sync-read/WallLayout.h); what it cannot place is said on standard
// error and in the JSON, and leaves the exit status as the offsets make it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct WallOptions {
  std::string photo;
  std::string json;     // empty: none written
  std::string picture;  // the photo with every region outlined; empty: none
  std::optional<std::uint32_t> referenceOutput;
  std::optional<double> lineTimeUs;  // a clip's camera line time, given rather than fitted
  // Set by initialiser so that callers that name only the fields above still
  // build without a missing-initialiser warning.
  std::string layout = {};         // MAP's layout file naming the regions; empty: none
  std::optional<int> screen = {};  // with a layout: the screen every region must be on
};

constexpr int kWallAgrees = 0, kWallOff = 1, kWallUnread = 2;

int RunWall(const WallOptions& options);

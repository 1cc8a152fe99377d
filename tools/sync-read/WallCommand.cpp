#include "tools/sync-read/WallCommand.h"

#include <cstdio>
#include <fstream>

#include "map/layout/LayoutFile.h"
#include "tools/sync-read/WallClip.h"
#include "tools/sync-read/WallLayout.h"
#include "tools/sync-read/WallPhoto.h"
#include "tools/sync-read/WallPicture.h"
#include "tools/sync-read/WallReader.h"
#include "tools/sync-read/WallReport.h"

namespace {

constexpr char kProgram[] = "veltrima-sync-read";
using LoadedLayout = std::optional<layout::Result<layout::Layout>>;

int Unread(const std::string& why) {
  std::fprintf(stderr, "%s: %s\n", kProgram, why.c_str());
  return kWallUnread;
}

// With a layout, `verdict`'s regions named by their cabinets and ports, and
// what could not be placed said on standard error; then the table, the JSON
// and the picture of `verdict` read from `grey`.
int Report(const WallOptions& options, const LoadedLayout& wall, WallVerdict verdict, const cv::Mat& grey) {
  if (wall) {
    const std::string error = PlaceOnLayout(verdict, wall->value(), options.screen);
    if (!error.empty()) return Unread(options.layout + ": " + error);
    const std::string notes = PlacementNotes(verdict);
    for (std::size_t at = 0, end; (end = notes.find('\n', at)) != std::string::npos; at = end + 1)
      std::fprintf(stderr, "%s: %s\n", kProgram, notes.substr(at, end - at).c_str());
  }
  std::fputs(WallTable(verdict).c_str(), stdout);
  if (!options.json.empty()) {
    std::ofstream file(options.json, std::ios::binary);
    file << WallJson(verdict);
    if (!file) return Unread("cannot write " + options.json);
  }
  if (!options.picture.empty()) {
    const std::string error = WriteWallPicture(grey, verdict, options.picture);
    if (!error.empty()) return Unread(error);
  }
  return verdict.anyOff ? kWallOff : kWallAgrees;
}

}  // namespace

int RunWall(const WallOptions& options) {
  // The layout first: a wrong path is said before a large photo is read.
  LoadedLayout wall;
  if (!options.layout.empty()) {
    wall = layout::LoadLayoutFile(options.layout);
    if (!wall->ok()) return Unread(options.layout + ": " + wall->error().Message());
    const std::string error = ScreenError(wall->value(), options.screen);
    if (!error.empty()) return Unread(options.layout + ": " + error);
  }
  if (LooksLikeVideo(options.photo)) {
    const WallClip clip = ReadWallClip(options.photo, {options.referenceOutput, options.lineTimeUs});
    if (!clip.error.empty()) return Unread(clip.error);
    return Report(options, wall, clip.verdict, clip.firstFrame);
  }
  const WallPhoto photo = LoadWallPhoto(options.photo);
  if (photo.grey.empty()) return Unread(options.photo + ": " + photo.error);
  const WallReading reading = ReadWall(photo.grey);
  if (reading.regions.empty()) {
    if (reading.quadrilaterals == 0)
      return Unread(options.photo + ": no region codes found (nothing square enough, " +
                    std::to_string(static_cast<int>(kMinWallCellPixels)) +
                    " camera pixels per cell at the least)");
    char cells[32];
    std::snprintf(cells, sizeof cells, "%.1f", reading.largestCellPixels);
    return Unread(options.photo + ": " + std::to_string(reading.quadrilaterals) +
                  " squares of up to " + cells +
                  " camera pixels per cell found, none read as a region code; codes are read "
                  "from 4 camera pixels per cell, in focus, the whole code in the photo");
  }
  WallVerdict verdict = JudgeWall(reading, options.referenceOutput);
  if (!verdict.reference)
    return Unread("no region of output " + std::to_string(*options.referenceOutput) +
                  " was read to take as the reference");
  return Report(options, wall, verdict, photo.grey);
}

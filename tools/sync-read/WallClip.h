// veltrima-sync-read --wall CLIP: a phone's video of a wall (60 fps or more;
// 240 for milliseconds) read through the shared capture reading. The regions
// are found in the clip's first frames (the camera held still), then every
// frame samples each region's counter and the rows of its transition
// stripe; RollingShutter.h turns the stripe flips into each region's offset
// in ms, its drift and its dropped and repeated frames, the camera's own
// rolling shutter taken out.
//
// The stripe's level is taken against its own code's black and white on the
// same rows, so the dark bands an LED wall's refresh leaves across a rolling
// shutter dim both and move nothing. The time within a camera frame comes
// from how much of the exposure saw the new frame: the reader takes the
// exposure as the whole frame time (a shutter of 1/240 s at 240 fps), where
// every change is caught by one frame.
#pragma once

#include <opencv2/core.hpp>

#include <optional>
#include <string>

#include "tools/sync-read/WallReport.h"

// A video's frames, by the file's first bytes: not PNG or JPEG.
bool LooksLikeVideo(const std::string& path);

struct WallClipOptions {
  std::optional<std::uint32_t> referenceOutput;
  std::optional<double> lineTimeUs;  // given: not fitted
};

struct WallClip {
  WallVerdict verdict;
  cv::Mat firstFrame;  // 8-bit grey, upright as the file's rotation says
  std::string error;   // why nothing could be read; empty when read
};

WallClip ReadWallClip(const std::string& path, const WallClipOptions& options);

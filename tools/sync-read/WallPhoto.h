// One photo of a wall, loaded for veltrima-sync-read --wall: PNG or JPEG
// through OpenCV's imgcodecs, as 8-bit grey. A photo larger than
// kMaxWallPhotoPixels (read from its header before any pixel) is refused.
#pragma once

#include <opencv2/core.hpp>

#include <cstdint>
#include <string>

// 64 megapixels: twice a large phone's sensor.
constexpr std::int64_t kMaxWallPhotoPixels = std::int64_t{64} << 20;

struct WallPhoto {
  cv::Mat grey;       // CV_8UC1; empty when the photo could not be read
  std::string error;  // why not, for the technician
};

WallPhoto LoadWallPhoto(const std::string& path);

// The picture a technician sends to the processor's operator: the photo with
// every region read outlined in the colour of its offset (green on time, red
// late, blue early, amber caught in a frame change while on time), its
// output.region (or its cabinet's ID, placed on a layout) and offset (from a
// clip, in ms) written in it, and a legend. PNG, through OpenCV.
#pragma once

#include <opencv2/core.hpp>

#include <string>

#include "tools/sync-read/WallReport.h"

// Writes the picture of `verdict` over `grey` (the photo it was read from) to
// `path`; the error, or empty when it was written.
std::string WriteWallPicture(const cv::Mat& grey, const WallVerdict& verdict, const std::string& path);

// The region codes (framestamp/RegionCode.h) in one photo of a wall, as a
// pipeline of named stages: threshold (Otsu's level over the photo), outlines
// (OpenCV's contours), quadrilaterals (outlines that simplify to four
// convex corners), codes (each quadrilateral taken as a code's outer edge and
// as its border ring, mapped square by a homography, every cell's level
// taken between the border ring's black and the quiet ring's white, decoded).
// OpenCV does the geometry; no plug-in links this.
#pragma once

#include <opencv2/core.hpp>

#include <array>
#include <optional>
#include <vector>

#include "framestamp/RegionCode.h"

// Codes with fewer camera pixels per cell than this are not looked for.
constexpr double kMinWallCellPixels = 2.0;

struct WallRegion {
  RegionCodeReading code;
  // The code's outer corners in the photo, from its upright top-left corner
  // clockwise.
  std::array<cv::Point2f, 4> box{};
  double cellPixels = 0;  // camera pixels per code cell along its sides, on average
};

struct WallReading {
  std::vector<WallRegion> regions;  // one per identity, in the order found
  int quadrilaterals = 0;           // outlines that had four corners
  double largestCellPixels = 0;     // of any quadrilateral taken as a code
};

// Every region code in `grey` (8-bit, one channel).
WallReading ReadWall(const cv::Mat& grey);

// The stages a clip reads each frame with, once the regions are placed.
// The code whose outer corners are `outer` (clockwise on the photo), mapped
// square: kSquareCell pixels per cell; and the mean of the middle of one of
// its cells.
constexpr int kSquareCell = 8;
constexpr int kSquareSide = kRegionCodeSide * kSquareCell;
cv::Mat SquaredCode(const cv::Mat& grey, const std::array<cv::Point2f, 4>& outer);
double SquaredCellMean(const cv::Mat& square, int row, int column);
// The code at `outer`; empty where it does not decode.
std::optional<RegionCodeReading> ReadRegionAt(const cv::Mat& grey, const std::array<cv::Point2f, 4>& outer);
// The code in `square`, a SquaredCode.
std::optional<RegionCodeReading> ReadSquaredCode(const cv::Mat& square);

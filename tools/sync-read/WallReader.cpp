#include "tools/sync-read/WallReader.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Between the quiet ring's white and the border ring's black, at least this
// many levels of 255, else the quadrilateral is not a code.
constexpr double kMinContrast = 24.0;

double Median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 2), values.end());
  return values[values.size() / 2];
}

}  // namespace

cv::Mat SquaredCode(const cv::Mat& grey, const std::array<cv::Point2f, 4>& outer) {
  const cv::Point2f square[4] = {{0, 0},
                                 {static_cast<float>(kSquareSide), 0},
                                 {static_cast<float>(kSquareSide), static_cast<float>(kSquareSide)},
                                 {0, static_cast<float>(kSquareSide)}};
  const cv::Mat toSquare = cv::getPerspectiveTransform(outer.data(), square);
  cv::Mat code;
  cv::warpPerspective(grey, code, toSquare, {kSquareSide, kSquareSide}, cv::INTER_LINEAR,
                      cv::BORDER_REPLICATE);
  return code;
}

double SquaredCellMean(const cv::Mat& square, int row, int column) {
  const int q = kSquareCell / 4;
  const cv::Rect middle(column * kSquareCell + q, row * kSquareCell + q, kSquareCell / 2, kSquareCell / 2);
  return cv::mean(square(middle))[0];
}

std::optional<RegionCodeReading> ReadRegionAt(const cv::Mat& grey, const std::array<cv::Point2f, 4>& outer) {
  return ReadSquaredCode(SquaredCode(grey, outer));
}

std::optional<RegionCodeReading> ReadSquaredCode(const cv::Mat& code) {
  std::vector<double> white, black;
  for (int i = 0; i < kRegionCodeSide - 1; ++i) {
    // Walk each ring once round: top, right, bottom, left edges.
    const int last = kRegionCodeSide - 1;
    white.push_back(SquaredCellMean(code, 0, i));
    white.push_back(SquaredCellMean(code, i, last));
    white.push_back(SquaredCellMean(code, last, last - i));
    white.push_back(SquaredCellMean(code, last - i, 0));
    if (i >= 1 && i < last - 1) {
      black.push_back(SquaredCellMean(code, 1, i));
      black.push_back(SquaredCellMean(code, i, last - 1));
      black.push_back(SquaredCellMean(code, last - 1, last - i));
      black.push_back(SquaredCellMean(code, last - i, 1));
    }
  }
  const double w = Median(white), b = Median(black);
  if (w - b < kMinContrast) return std::nullopt;
  RegionCodeLevels levels{};
  for (int r = 0; r < kRegionCodeDataSide; ++r)
    for (int c = 0; c < kRegionCodeDataSide; ++c)
      levels[static_cast<std::size_t>(r * kRegionCodeDataSide + c)] = static_cast<float>(
          (SquaredCellMean(code, r + kRegionCodeRings, c + kRegionCodeRings) - b) / (w - b));
  return DecodeRegionCode(levels);
}

namespace {

// `corners` (cell coordinates `from` and `to` along each side) extended to
// the code's outer corners (0 and 13).
std::array<cv::Point2f, 4> OuterCorners(const std::array<cv::Point2f, 4>& corners, float from, float to) {
  const cv::Point2f at[4] = {{from, from}, {to, from}, {to, to}, {from, to}};
  const cv::Mat toPhoto = cv::getPerspectiveTransform(at, corners.data());
  const float s = static_cast<float>(kRegionCodeSide);
  std::vector<cv::Point2f> outer = {{0, 0}, {s, 0}, {s, s}, {0, s}}, mapped;
  cv::perspectiveTransform(outer, mapped, toPhoto);
  return {mapped[0], mapped[1], mapped[2], mapped[3]};
}

double MeanSide(const std::array<cv::Point2f, 4>& q) {
  double sum = 0;
  for (int i = 0; i < 4; ++i) sum += cv::norm(q[static_cast<std::size_t>(i)] - q[static_cast<std::size_t>((i + 1) % 4)]);
  return sum / 4;
}

}  // namespace

namespace {

// Stages 1 to 4 on one picture, adding the codes not read before.
void ReadPass(const cv::Mat& grey, WallReading& reading) {
  // Stage 1: threshold.
  cv::Mat binary;
  cv::threshold(grey, binary, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
  // Stage 2: outlines of every light area and every hole in one.
  std::vector<std::vector<cv::Point>> outlines;
  cv::findContours(binary, outlines, cv::RETR_LIST, cv::CHAIN_APPROX_SIMPLE);
  const double minSide = kMinWallCellPixels * (kRegionCodeSide - 2);
  for (const auto& outline : outlines) {
    // Stage 3: quadrilaterals.
    const double perimeter = cv::arcLength(outline, true);
    if (perimeter < 4 * minSide) continue;
    std::vector<cv::Point> corners;
    cv::approxPolyDP(outline, corners, 0.04 * perimeter, true);
    if (corners.size() != 4 || !cv::isContourConvex(corners)) continue;
    if (std::abs(cv::contourArea(corners)) < minSide * minSide) continue;
    ++reading.quadrilaterals;
    std::array<cv::Point2f, 4> quad;
    for (std::size_t i = 0; i < 4; ++i) quad[i] = cv::Point2f(corners[i]);
    // Clockwise on the photo (y down), so that no code is read mirrored.
    if (cv::contourArea(corners, true) < 0) std::swap(quad[1], quad[3]);
    // Stage 4: codes. The outline is the quiet ring's outer edge or the
    // border ring's (a light ring's hole); whichever decodes.
    for (const auto& [from, to] : {std::pair<float, float>{0.0f, 13.0f}, {1.0f, 12.0f}}) {
      const std::array<cv::Point2f, 4> outer = from == 0.0f ? quad : OuterCorners(quad, from, to);
      const double cellPixels = MeanSide(outer) / kRegionCodeSide;
      reading.largestCellPixels = std::max(reading.largestCellPixels, cellPixels);
      const auto code = ReadRegionAt(grey, outer);
      if (!code) continue;
      const bool seen = std::any_of(reading.regions.begin(), reading.regions.end(), [&](const WallRegion& r) {
        return r.code.identity == code->identity;
      });
      if (seen) break;
      WallRegion region;
      region.code = *code;
      for (std::size_t i = 0; i < 4; ++i)
        region.box[i] = outer[(i + static_cast<std::size_t>(code->quarterTurns)) % 4];
      region.cellPixels = cellPixels;
      reading.regions.push_back(region);
      break;
    }
  }
}

}  // namespace

WallReading ReadWall(const cv::Mat& grey) {
  WallReading reading;
  if (grey.empty() || grey.type() != CV_8UC1) return reading;
  ReadPass(grey, reading);
  // Close up to a photo: the dark gaps between LEDs cut the rings apart. A
  // second pass on the photo with dark lines of up to two pixels filled.
  cv::Mat closed;
  cv::morphologyEx(grey, closed, cv::MORPH_CLOSE, cv::getStructuringElement(cv::MORPH_RECT, {3, 3}));
  ReadPass(closed, reading);
  return reading;
}

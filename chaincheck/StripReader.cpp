#include "chaincheck/StripReader.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace chaincheck {
namespace {

struct Run {
  int start, length;
  bool bright;
};

std::vector<Run> RowRuns(const GreyImage& image, int y, int threshold) {
  std::vector<Run> runs;
  for (int x = 0; x < image.width; ++x) {
    const bool bright = image.At(x, y) > threshold;
    if (runs.empty() || runs.back().bright != bright)
      runs.push_back({x, 1, bright});
    else
      ++runs.back().length;
  }
  return runs;
}

bool Near(double length, double expected, double tolerance) {
  return std::abs(length - expected) <= tolerance;
}

// The mean over the middle of cell k: half its width, the rows given.
double CellMean(const GreyImage& image, double left, double cell, int k, int y0, int y1) {
  const double centre = left + (k + 0.5) * cell;
  const int x0 = std::clamp(static_cast<int>(std::lround(centre - cell / 4)), 0, image.width - 1);
  const int x1 = std::clamp(static_cast<int>(std::lround(centre + cell / 4)), x0 + 1, image.width);
  double sum = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) sum += image.At(x, y);
  return sum / (static_cast<double>(x1 - x0) * (y1 - y0));
}

// Stages 3-6 from a start guard at runs[i] on row y; NotFound when no end
// guard fits.
StripReading ReadFrom(const GreyImage& image, const std::vector<Run>& runs, std::size_t i, int y,
                      int threshold) {
  StripReading reading;
  const double unit = (runs[i].length + runs[i + 1].length + runs[i + 2].length) / 4.0;
  const double left = runs[i].start;
  const double expectedRight = left + kStripCells * unit;
  const Run* end = nullptr;
  for (std::size_t j = i + 3; j < runs.size(); ++j) {
    if (!runs[j].bright) continue;
    const double right = runs[j].start + runs[j].length;
    if (!Near(right, expectedRight, 2 * unit)) continue;
    if (!end || std::abs(right - expectedRight) <
                    std::abs(end->start + end->length - expectedRight))
      end = &runs[j];
  }
  if (!end || !Near(end->length, 2 * unit, 0.6 * unit)) return reading;
  const double right = end->start + end->length;
  const double cell = (right - left) / kStripCells;

  // The strip's rows, found along the middle of its first cell.
  const int probe = std::clamp(static_cast<int>(left + cell / 2), 0, image.width - 1);
  int top = y, bottom = y + 1;
  while (top > 0 && image.At(probe, top - 1) > threshold) --top;
  while (bottom < image.height && image.At(probe, bottom) > threshold) ++bottom;
  const int quarter = (bottom - top) / 4;
  const int y0 = top + quarter, y1 = std::max(bottom - quarter, y0 + 1);

  double white = 0, black = 0;
  int whites = 0, blacks = 0;
  std::array<double, kStripCells> means{};
  for (int k = 0; k < kStripCells; ++k) {
    means[static_cast<std::size_t>(k)] = CellMean(image, left, cell, k, y0, y1);
    if (!IsGuardCell(k)) continue;
    (GuardCellWhite(k) ? white : black) += means[static_cast<std::size_t>(k)];
    ++(GuardCellWhite(k) ? whites : blacks);
  }
  white /= whites;
  black /= blacks;
  reading.left = left;
  reading.right = right;
  reading.cell = cell;
  reading.top = top;
  reading.bottom = bottom;
  reading.black = black;
  reading.white = white;
  reading.status = StripReading::Status::Unreadable;
  if (white - black < image.maxValue / 16.0) return reading;
  StripCells cells{};
  for (int k = 0; k < kStripCells; ++k)
    cells[static_cast<std::size_t>(k)] = means[static_cast<std::size_t>(k)] > (white + black) / 2;
  const StripDecode decoded = DecodeStrip(cells);
  if (decoded.fault != StripFault::None) return reading;
  reading.status = StripReading::Status::Decoded;
  reading.content = decoded.content;
  return reading;
}

}  // namespace

StripReading ReadStrip(const GreyImage& image) {
  StripReading best;
  if (!image.Valid()) return best;
  // The smallest cell a strip is read at: the guard's one-unit runs must be
  // told from a pixel or two of blur.
  constexpr double kMinUnit = 3.0;
  for (int y = 0; y < image.height; ++y) {
    int low = image.maxValue, high = 0;
    for (int x = 0; x < image.width; ++x) {
      low = std::min<int>(low, image.At(x, y));
      high = std::max<int>(high, image.At(x, y));
    }
    if (high - low < image.maxValue / 16) continue;
    const int threshold = (low + high) / 2;
    const std::vector<Run> runs = RowRuns(image, y, threshold);
    for (std::size_t i = 0; i + 3 < runs.size(); ++i) {
      if (!runs[i].bright || (i > 0 && runs[i - 1].bright)) continue;
      const double unit = (runs[i].length + runs[i + 1].length + runs[i + 2].length) / 4.0;
      if (unit < kMinUnit || !Near(runs[i].length, 2 * unit, 0.5 * unit) ||
          !Near(runs[i + 1].length, unit, 0.4 * unit) || !Near(runs[i + 2].length, unit, 0.4 * unit) ||
          runs[i + 3].length < 0.6 * unit)
        continue;
      StripReading reading = ReadFrom(image, runs, i, y, threshold);
      if (reading.status == StripReading::Status::Decoded) return reading;
      if (reading.status == StripReading::Status::Unreadable) best = reading;
    }
  }
  return best;
}

}  // namespace chaincheck

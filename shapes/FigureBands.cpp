#include "shapes/FigureBands.h"

#include <algorithm>
#include <cmath>

namespace shapes {
namespace {

// The output pixels a figure may touch, widened by a pixel on every side
// (a pixel is covered when its centre is inside, so a row or column that the
// figure's edges reach is counted whatever the rounding). Rectangle kinds
// span their rectangle; a segment or an arrowhead spans its two points and
// half its width across. Anything not finite may reach anywhere.
struct Span {
  double left, top, right, bottom;
};

Span FigureSpan(const FigureList& list, std::size_t index, int width, int height) {
  const float* f = list.InstanceData().data() + index * kFloatsPerFigure;
  const FigureKind kind = list.KindAt(index);
  double left, top, right, bottom;
  if (kind == FigureKind::Segment || kind == FigureKind::ArrowHead) {
    const double half = std::fabs(static_cast<double>(f[13])) * 0.5;
    left = std::min(f[0], f[2]) - half;
    right = std::max(f[0], f[2]) + half;
    top = std::min(f[1], f[3]) - half;
    bottom = std::max(f[1], f[3]) + half;
  } else {
    left = std::min(f[0], f[2]);
    right = std::max(f[0], f[2]);
    top = std::min(f[1], f[3]);
    bottom = std::max(f[1], f[3]);
  }
  if (!std::isfinite(left) || !std::isfinite(right) || !std::isfinite(top) ||
      !std::isfinite(bottom))
    return {0, 0, static_cast<double>(width), static_cast<double>(height)};
  return {std::max(0.0, std::floor(left) - 1), std::max(0.0, std::floor(top) - 1),
          std::min(static_cast<double>(width), std::ceil(right) + 1),
          std::min(static_cast<double>(height), std::ceil(bottom) + 1)};
}

}  // namespace

BandedFigures CutIntoBands(const FigureList& list, int width, int height, double budgetPixels,
                           std::size_t wholeBelow, std::size_t aimBands) {
  BandedFigures out;
  if (width <= 0 || height <= 0) return out;
  const std::size_t count = list.Count();
  std::vector<Span> spans;
  spans.reserve(count);
  for (std::size_t i = 0; i < count; ++i) spans.push_back(FigureSpan(list, i, width, height));

  // The work of each row: the figures' widths across it, and each figure's
  // set-up in its top row.
  std::vector<double> rowWork(static_cast<std::size_t>(height), 0.0);
  for (const Span& s : spans) {
    if (s.right <= s.left || s.bottom <= s.top) continue;
    const auto top = static_cast<std::size_t>(s.top);
    const auto bottom = static_cast<std::size_t>(s.bottom);
    rowWork[top] += kFigureSetupPixels;
    for (std::size_t row = top; row < bottom; ++row) rowWork[row] += s.right - s.left;
  }

  double totalWork = 0;
  for (double w : rowWork) totalWork += w;
  if (aimBands > 0)
    budgetPixels = std::max(budgetPixels, totalWork / static_cast<double>(aimBands));

  // Rows gathered from the top while their work fits the budget. A short
  // list is one band unless its pixels are many budgets' work (words on a
  // plate the output's size), which would cost that one frame a fill.
  constexpr double kWholeMostBudgets = 16;
  std::vector<std::size_t> bandOfRow(static_cast<std::size_t>(height), 0);
  const bool whole = count <= wholeBelow && totalWork <= kWholeMostBudgets * budgetPixels;
  double work = 0;
  for (int row = 0; row < height; ++row) {
    const double rowCost = rowWork[static_cast<std::size_t>(row)];
    if (out.bands.empty() || (!whole && work > 0 && work + rowCost > budgetPixels)) {
      out.bands.push_back({row, row, 0, 0});
      work = 0;
    }
    out.bands.back().bottom = row + 1;
    work += rowCost;
    bandOfRow[static_cast<std::size_t>(row)] = out.bands.size() - 1;
  }

  // Each band's figures in the list's order.
  std::vector<std::vector<std::size_t>> members(out.bands.size());
  for (std::size_t i = 0; i < count; ++i) {
    const Span& s = spans[i];
    if (s.right <= s.left || s.bottom <= s.top) continue;
    const std::size_t firstBand = bandOfRow[static_cast<std::size_t>(s.top)];
    const std::size_t lastBand = bandOfRow[static_cast<std::size_t>(s.bottom) - 1];
    for (std::size_t b = firstBand; b <= lastBand; ++b) members[b].push_back(i);
  }
  std::size_t total = 0;
  for (const auto& m : members) total += m.size();
  out.figures.Reserve(total);
  for (std::size_t b = 0; b < out.bands.size(); ++b) {
    out.bands[b].first = out.figures.Count();
    for (std::size_t i : members[b]) out.figures.AddCopy(list, i);
    out.bands[b].count = members[b].size();
  }
  return out;
}

}  // namespace shapes

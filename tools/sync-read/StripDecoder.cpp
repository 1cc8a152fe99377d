#include "tools/sync-read/StripDecoder.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace {

// Guard white and guard black must differ by this much (of 255) for a row
// to be read at all: below it, noise decides the bits.
constexpr int kMinContrast = 32;
// Narrower cells cannot be sampled reliably between their blurred edges.
constexpr double kMinCellPixels = 1.75;
// From the start guard's white cell to the end guard's white cell.
constexpr int kGuardSpan = kStripCells - 1;
// A guard's white run may be this far from one cell wide (blur, scaling),
// and a run's edge this far from a cell boundary, as parts of a cell.
constexpr double kRunWidthTolerance = 0.3;
constexpr double kEdgeTolerance = 0.3;
// Narrower white specks between the guards are noise, not cells.
constexpr double kSpeckWidth = 0.25;

struct Run {
  double start = 0, end = 0;  // sub-pixel edges, in pixels from the row's left
};

struct Candidate {
  double x = 0, cell = 0;  // left edge of cell 0, cell width
};

// Where a row crosses `threshold` between pixel centres x - 1 and x.
double Crossing(const std::uint8_t* row, int x, double threshold) {
  const double a = row[x - 1], b = row[x];
  return x - 0.5 + (threshold - a) / (b - a);
}

std::vector<Run> WhiteRuns(const std::uint8_t* row, int width) {
  std::vector<Run> runs;
  const auto [low, high] = std::minmax_element(row, row + width);
  if (*high - *low < kMinContrast) return runs;
  const double threshold = (*low + *high) / 2.0;
  bool white = false;
  Run run;
  for (int x = 0; x < width; ++x) {
    const bool now = row[x] > threshold;
    if (now == white) continue;
    if (now) {
      run.start = x == 0 ? 0.0 : Crossing(row, x, threshold);
    } else {
      run.end = Crossing(row, x, threshold);
      runs.push_back(run);
    }
    white = now;
  }
  if (white) {
    run.end = width;
    runs.push_back(run);
  }
  return runs;
}

bool AboutOneCell(const Run& run, double cell) {
  const double width = run.end - run.start;
  return std::abs(width - cell) <= kRunWidthTolerance * cell;
}

bool OnCellBoundary(double position, double origin, double cell) {
  const double cells = (position - origin) / cell;
  return std::abs(cells - std::round(cells)) * cell <= std::max(0.75, kEdgeTolerance * cell);
}

// Whether every white run from `first` to `last` starts and ends on the
// grid of cells that the guards define: a pair of white cells that merely
// happen to lie the right distance apart has data runs off that grid.
bool RunsOnGrid(const std::vector<Run>& runs, std::size_t first, std::size_t last, double cell) {
  const double origin = runs[first].start;
  for (std::size_t k = first; k <= last; ++k) {
    const Run& run = runs[k];
    if (run.end - run.start < kSpeckWidth * cell) continue;
    if (!OnCellBoundary(run.start, origin, cell) || !OnCellBoundary(run.end, origin, cell))
      return false;
  }
  return true;
}

// Pairs of isolated one-cell white runs 67 cells apart, with black before
// the first and after the second (the band), the guards' black cells inside
// and every white run between them on the cells' grid.
std::vector<Candidate> Candidates(const std::uint8_t* row, int width) {
  std::vector<Candidate> found;
  const std::vector<Run> runs = WhiteRuns(row, width);
  // A guard has at least half a cell of black on both sides, and its cell is
  // at least its run's width / (1 + tolerance): runs closer to their
  // neighbours than that are no guards, which spares the pairing below most
  // of the runs of a noisy or busy row.
  std::vector<char> isolated(runs.size());
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const double gap = (runs[i].end - runs[i].start) / (2 * (1 + kRunWidthTolerance));
    isolated[i] = (i == 0 || runs[i].start - runs[i - 1].end >= gap) &&
                  (i + 1 == runs.size() || runs[i + 1].start - runs[i].end >= gap);
  }
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (!isolated[i]) continue;
    const Run& a = runs[i];
    const double guess = a.end - a.start;
    if (guess < kMinCellPixels * (1 - kRunWidthTolerance)) continue;
    const double nearest = a.start + kGuardSpan * guess / (1 + kRunWidthTolerance);
    const double farthest = a.start + kGuardSpan * guess / (1 - kRunWidthTolerance);
    const auto from = std::lower_bound(runs.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                       runs.end(), nearest,
                                       [](const Run& run, double x) { return run.start < x; });
    for (auto j = static_cast<std::size_t>(from - runs.begin());
         j < runs.size() && runs[j].start <= farthest; ++j) {
      if (!isolated[j]) continue;
      const Run& b = runs[j];
      const double cell = (b.start - a.start) / kGuardSpan;
      if (cell < kMinCellPixels || !AboutOneCell(a, cell) || !AboutOneCell(b, cell)) continue;
      const double gap = cell / 2;
      if (i > 0 && runs[i - 1].end > a.start - gap) continue;                // band before
      if (i + 1 < runs.size() && runs[i + 1].start < a.end + gap) continue;  // guard black
      if (runs[j - 1].end > b.start - gap) continue;                         // guard black
      if (j + 1 < runs.size() && runs[j + 1].start < b.end + gap) continue;  // band after
      if (!RunsOnGrid(runs, i, j, cell)) continue;
      found.push_back({a.start, cell});
    }
  }
  return found;
}

bool SameStrip(const Candidate& a, const Candidate& b) {
  return std::abs(a.x - b.x) <= std::max(1.0, a.cell / 4) &&
         std::abs(a.cell - b.cell) <= std::max(0.1, 0.03 * a.cell);
}

class Search {
 public:
  explicit Search(const LumaImage& image)
      : image_(image), rows_(static_cast<std::size_t>(image.height)) {}

  const std::vector<Candidate>& RowCandidates(int y) {
    auto& slot = rows_[static_cast<std::size_t>(y)];
    if (!slot)
      slot = Candidates(image_.luma.data() + static_cast<std::size_t>(y) * image_.width,
                        image_.width);
    return *slot;
  }

  // The highest row above `bottom` up to which the strip's guards still
  // match, row after row.
  int TopOf(const Candidate& strip, int bottom) {
    int top = bottom;
    while (top > 0) {
      const auto& above = RowCandidates(top - 1);
      if (std::none_of(above.begin(), above.end(),
                       [&](const Candidate& c) { return SameStrip(strip, c); }))
        break;
      --top;
    }
    return top;
  }

  // The mean level over the middle half of cell `index` (-1 and 68 are the
  // band's ends), horizontally, between rows `top` and `bottom`; empty when
  // the cell lies outside the image.
  std::optional<double> Sample(const Candidate& strip, int index, int top, int bottom) const {
    const double centre = strip.x + (index + 0.5) * strip.cell;
    int first = static_cast<int>(std::ceil(centre - strip.cell / 4 - 0.5));
    int last = static_cast<int>(std::floor(centre + strip.cell / 4 - 0.5));
    if (last < first) first = last = static_cast<int>(std::floor(centre));
    first = std::max(first, 0);
    last = std::min(last, image_.width - 1);
    top = std::max(top, 0);
    bottom = std::min(bottom, image_.height - 1);
    if (first > last || top > bottom) return std::nullopt;
    long sum = 0, count = 0;
    for (int y = top; y <= bottom; ++y)
      for (int x = first; x <= last; ++x, ++count) sum += image_.At(x, y);
    return static_cast<double>(sum) / static_cast<double>(count);
  }

  // Whether the band's rows above and below the cells are dark along the
  // whole strip, as far as they lie in the image: text drawn on a grid of
  // the same pitch can show guards and grid-aligned runs on one row, but not
  // a dark row above them. The row above must be there.
  bool OnDarkBand(const Candidate& strip, int top, int bottom, double leftThreshold,
                  double rightThreshold) const {
    const int margin = std::max(1, static_cast<int>(std::lround(strip.cell / 4)));
    const int cellRows = std::max(1, static_cast<int>(std::lround(strip.cell)));
    const int aboveFrom = top - cellRows + margin, aboveTo = top - margin;
    const int belowFrom = bottom + margin, belowTo = bottom + cellRows - margin;
    if (aboveTo < 0) return false;
    for (int index = -1; index <= kStripCells; ++index) {
      const double along = static_cast<double>(index) / (kStripCells - 1);
      const double threshold = leftThreshold + (rightThreshold - leftThreshold) * along;
      for (const auto& rows : {std::pair{aboveFrom, aboveTo}, std::pair{belowFrom, belowTo}}) {
        if (rows.first > rows.second) continue;
        const auto level = Sample(strip, index, rows.first, rows.second);
        if (level && *level > threshold) return false;
      }
    }
    return true;
  }

  StripReading Read(const Candidate& strip, int top, int bottom) const {
    StripReading reading;
    reading.x = strip.x;
    reading.cell = strip.cell;
    reading.top = top;
    reading.bottom = bottom;
    const int height = bottom - top + 1;
    const int rowsFrom = top + height / 4, rowsTo = std::max(rowsFrom, bottom - height / 4);
    const auto sample = [&](int index) {
      return Sample(strip, index, rowsFrom, rowsTo).value_or(0.0);
    };
    const double leftWhite = sample(0), leftBlack = sample(1);
    const double rightBlack = sample(kStripCells - 2), rightWhite = sample(kStripCells - 1);
    if (leftWhite - leftBlack < kMinContrast || rightWhite - rightBlack < kMinContrast)
      return reading;
    const double leftThreshold = (leftWhite + leftBlack) / 2;
    const double rightThreshold = (rightWhite + rightBlack) / 2;
    if (!OnDarkBand(strip, top, bottom, leftThreshold, rightThreshold)) return reading;
    std::uint64_t word = 0;
    for (int i = 0; i < kStripDataCells; ++i) {
      const int index = kStripGuardCells + i;
      const double along = static_cast<double>(index) / (kStripCells - 1);
      const double threshold = leftThreshold + (rightThreshold - leftThreshold) * along;
      word = word << 1 | (sample(index) > threshold ? 1u : 0u);
    }
    reading.word = word;
    const auto stamp = DecodeStamp(word);
    reading.status = stamp ? StripReading::Status::Decoded : StripReading::Status::CrcMismatch;
    if (stamp) reading.stamp = *stamp;
    return reading;
  }

 private:
  const LumaImage& image_;
  std::vector<std::optional<std::vector<Candidate>>> rows_;
};

struct Tried {
  Candidate strip;
  int top = 0;
};

}  // namespace

StripReading ReadStrip(const LumaImage& image) {
  StripReading mismatch;
  if (image.width < 1 || image.height < 1 ||
      image.luma.size() != static_cast<std::size_t>(image.width) * image.height)
    return mismatch;
  Search search(image);
  std::vector<Tried> tried;
  for (int y = image.height - 1; y >= 0; --y) {
    for (const Candidate& strip : search.RowCandidates(y)) {
      const bool seen = std::any_of(tried.begin(), tried.end(), [&](const Tried& t) {
        return y >= t.top && SameStrip(t.strip, strip);
      });
      if (seen) continue;
      const int top = search.TopOf(strip, y);
      tried.push_back({strip, top});
      // Cells are square: a match only a few rows high is something else.
      if (y - top + 1 < std::max(1.0, strip.cell / 2)) continue;
      const StripReading reading = search.Read(strip, top, y);
      if (reading.status == StripReading::Status::Decoded) return reading;
      if (reading.status == StripReading::Status::CrcMismatch &&
          mismatch.status == StripReading::Status::NotFound)
        mismatch = reading;
    }
  }
  return mismatch;
}

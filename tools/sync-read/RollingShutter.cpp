#include "tools/sync-read/RollingShutter.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace {

using ChangeKey = std::pair<int, std::int64_t>;  // region, frame

std::map<ChangeKey, std::vector<const StripeFlip*>> ByChange(const std::vector<StripeFlip>& flips) {
  std::map<ChangeKey, std::vector<const StripeFlip*>> changes;
  for (const StripeFlip& f : flips) changes[{f.region, f.frame}].push_back(&f);
  return changes;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

std::optional<double> FitLineTime(const std::vector<StripeFlip>& flips) {
  // Seen = began - row * lineTime within each change: one slope over every
  // change's rows about their own means.
  double rowRow = 0, rowSeen = 0;
  for (const auto& [key, group] : ByChange(flips)) {
    if (group.size() < 2) continue;
    double meanRow = 0, meanSeen = 0;
    for (const StripeFlip* f : group) {
      meanRow += f->row;
      meanSeen += f->seenMs;
    }
    meanRow /= static_cast<double>(group.size());
    meanSeen /= static_cast<double>(group.size());
    for (const StripeFlip* f : group) {
      rowRow += (f->row - meanRow) * (f->row - meanRow);
      rowSeen += (f->row - meanRow) * (f->seenMs - meanSeen);
    }
  }
  // Less than a row's spread in all: the slope would be noise.
  if (rowRow < 1.0) return std::nullopt;
  return -rowSeen / rowRow;
}

std::vector<RegionChanges> RegionChangeTimes(const std::vector<StripeFlip>& flips, double lineTimeMs,
                                             std::size_t regions) {
  std::vector<RegionChanges> changes(regions);
  for (const auto& [key, group] : ByChange(flips)) {
    if (key.first < 0 || static_cast<std::size_t>(key.first) >= regions) continue;
    std::vector<double> began;
    for (const StripeFlip* f : group) began.push_back(f->seenMs + f->row * lineTimeMs);
    // The median: a cell misread in one frame does not move the change.
    changes[static_cast<std::size_t>(key.first)].began.push_back({key.second, Median(began)});
  }
  return changes;
}

namespace {

// The least-squares line value = a + b * t through `points` (t, value).
std::pair<double, double> Line(const std::vector<std::pair<double, double>>& points) {
  double meanT = 0, meanV = 0;
  for (const auto& [t, v] : points) {
    meanT += t;
    meanV += v;
  }
  meanT /= static_cast<double>(points.size());
  meanV /= static_cast<double>(points.size());
  double tt = 0, tv = 0;
  for (const auto& [t, v] : points) {
    tt += (t - meanT) * (t - meanT);
    tv += (t - meanT) * (v - meanV);
  }
  const double slope = tt > 0 ? tv / tt : 0;
  return {meanV - slope * meanT, slope};
}

}  // namespace

ClipTiming TimeRegions(const std::vector<RegionChanges>& changes, const std::vector<bool>& reference,
                       double cameraFrameMs) {
  ClipTiming timing;
  timing.regions.resize(changes.size());
  std::map<std::int64_t, std::vector<double>> began;
  for (std::size_t i = 0; i < changes.size(); ++i)
    if (i < reference.size() && reference[i])
      for (const auto& [frame, ms] : changes[i].began) began[frame].push_back(ms);
  // Frames that most of the reference saw: at the clip's ends a frame is
  // seen only on the rows read last (or first), and a median of the few
  // regions there could be a late one's.
  std::size_t most = 0;
  for (const auto& [frame, times] : began) most = std::max(most, times.size());
  std::map<std::int64_t, double> onTime;
  for (const auto& [frame, times] : began)
    if (4 * times.size() >= 3 * most) onTime[frame] = Median(times);
  std::vector<double> frameTimes;
  for (auto it = onTime.begin(); it != onTime.end() && std::next(it) != onTime.end(); ++it) {
    const auto next = std::next(it);
    frameTimes.push_back((next->second - it->second) / static_cast<double>(next->first - it->first));
  }
  if (frameTimes.empty()) return timing;
  timing.frameMs = Median(frameTimes);
  // A frame shorter than this may fall between two camera frames unseen.
  const bool dropsSeen = timing.frameMs >= 1.5 * cameraFrameMs;

  for (std::size_t i = 0; i < changes.size(); ++i) {
    const RegionChanges& c = changes[i];
    RegionTiming& t = timing.regions[i];
    std::vector<std::pair<double, double>> offsets;  // (reference time, reference - region)
    for (const auto& [frame, ms] : c.began)
      if (const auto ref = onTime.find(frame); ref != onTime.end()) offsets.push_back({ref->second, ref->second - ms});
    if (offsets.size() >= 2) {
      const auto [atStart, perMs] = Line(offsets);
      t.timed = true;
      t.offsetMs = atStart;
      t.driftMsPerS = perMs * 1000;
    }
    for (std::size_t j = 1; j < c.began.size(); ++j) {
      const std::int64_t advanced = c.began[j].first - c.began[j - 1].first;
      const long refreshes = std::lround((c.began[j].second - c.began[j - 1].second) / timing.frameMs);
      if (refreshes > advanced) t.repeated += static_cast<int>(refreshes - advanced);
    }
    if (dropsSeen)
      for (std::size_t j = 1; j < c.shown.size(); ++j)
        if (c.shown[j] > c.shown[j - 1] + 1) t.dropped += static_cast<int>(c.shown[j] - c.shown[j - 1] - 1);
  }
  return timing;
}

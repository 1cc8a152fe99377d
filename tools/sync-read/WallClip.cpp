#include "tools/sync-read/WallClip.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <stdexcept>

#include "tools/capture/CaptureSources.h"
#include "tools/sync-read/RollingShutter.h"
#include "tools/sync-read/WallReader.h"

namespace {

// The regions are looked for in this many first frames: a region caught in
// a change in one is read in the next.
constexpr int kFindingFrames = 4;
constexpr double kMinClipFps = 60;
// Frames read at most (a minute at 240 fps): every region's stripe levels
// are kept for each, and the 16-bit counters unwrap only within 9 minutes.
constexpr long long kMaxClipFrames = 240 * 60;
// The stripe is the data square's middle column: code cells (row, 6) for
// rows 2 to 10. Each row's level is taken against the quiet ring's white
// (columns 0 and 12) and the border ring's black (1 and 11) on that row.
constexpr int kStripeColumn = kRegionCodeRings + kRegionCodeDataSide / 2;
constexpr int kFirstStripeRow = kRegionCodeRings, kStripeRows = kRegionCodeDataSide;
constexpr double kMinRowContrast = 8;  // levels of 255 between that white and black
// A region off by less than this, and drifting less per second, agrees.
constexpr double kAgreeMs = 1.0;

const double kNotSeen = std::numeric_limits<double>::quiet_NaN();

// The frame's luma (Y', or G' of RGB) as 8-bit grey, as the sensor read it.
cv::Mat Grey(const CaptureFrame& frame) {
  cv::Mat grey(frame.height, frame.width, CV_8UC1);
  const auto& plane = frame.planes[frame.colour == CaptureColour::Rgb ? 1 : 0];
  const int shift = frame.bits - 8;
  for (std::size_t i = 0; i < plane.size(); ++i) grey.data[i] = static_cast<std::uint8_t>(plane[i] >> shift);
  return grey;
}

cv::Mat Upright(const cv::Mat& grey, int clockwise) {
  if (clockwise == 0) return grey;
  cv::Mat turned;
  cv::rotate(grey, turned,
             clockwise == 90 ? cv::ROTATE_90_CLOCKWISE
                             : clockwise == 180 ? cv::ROTATE_180 : cv::ROTATE_90_COUNTERCLOCKWISE);
  return turned;
}

cv::Point2f UprightPoint(cv::Point2f p, cv::Size sensor, int clockwise) {
  const float w = static_cast<float>(sensor.width - 1), h = static_cast<float>(sensor.height - 1);
  if (clockwise == 90) return {h - p.y, p.x};
  if (clockwise == 180) return {w - p.x, h - p.y};
  if (clockwise == 270) return {p.y, w - p.x};
  return p;
}

// One region through the clip.
struct Track {
  WallRegion found;
  std::array<double, kStripeRows> row{};              // sensor row of each stripe cell
  std::vector<std::array<double, kStripeRows>> level;  // per camera frame: 0 black, 1 white
  std::map<long long, std::uint16_t> counter;          // per camera frame where it read one frame
};

void Place(Track& t) {
  const float s = static_cast<float>(kRegionCodeSide);
  const cv::Point2f cells[4] = {{0, 0}, {s, 0}, {s, s}, {0, s}};
  const cv::Mat toPhoto = cv::getPerspectiveTransform(cells, t.found.box.data());
  std::vector<cv::Point2f> centres, seen;
  for (int r = 0; r < kStripeRows; ++r)
    centres.push_back({kStripeColumn + 0.5f, static_cast<float>(kFirstStripeRow + r) + 0.5f});
  cv::perspectiveTransform(centres, seen, toPhoto);
  for (int r = 0; r < kStripeRows; ++r) t.row[static_cast<std::size_t>(r)] = seen[static_cast<std::size_t>(r)].y;
}

void Sample(Track& t, const cv::Mat& grey, long long frame) {
  const cv::Mat square = SquaredCode(grey, t.found.box);
  std::array<double, kStripeRows> levels{};
  for (int r = 0; r < kStripeRows; ++r) {
    const int row = kFirstStripeRow + r, last = kRegionCodeSide - 1;
    const double white = (SquaredCellMean(square, row, 0) + SquaredCellMean(square, row, last)) / 2;
    const double black = (SquaredCellMean(square, row, 1) + SquaredCellMean(square, row, last - 1)) / 2;
    levels[static_cast<std::size_t>(r)] =
        white - black < kMinRowContrast ? kNotSeen
                                        : (SquaredCellMean(square, row, kStripeColumn) - black) / (white - black);
  }
  t.level.push_back(levels);
  const auto code = ReadSquaredCode(square);
  if (code && !code->changeCaught && code->identity == t.found.code.identity) t.counter[frame] = code->firstFrame;
}

// The flips of every stripe row of `t` (region `index`), with the frame each
// began, timed from how much of each camera frame's exposure saw the new
// state. `unwrap` takes a 16-bit counter to the clip's running count.
template <typename Unwrap>
void Flips(const Track& t, int index, double frameMs, Unwrap unwrap, std::vector<StripeFlip>& flips) {
  const long long frames = static_cast<long long>(t.level.size());
  for (int r = 0; r < kStripeRows; ++r) {
    const auto level = [&](long long k) { return t.level[static_cast<std::size_t>(k)][static_cast<std::size_t>(r)]; };
    for (long long k = 1; k < frames; ++k) {
      const double before = level(k - 1), after = level(k);
      if (std::isnan(before) || std::isnan(after) || (before > 0.5) == (after > 0.5)) continue;
      const bool white = after > 0.5;
      // Which frame: a counter of the new state's parity (white on odd
      // frames) read before this row flips again.
      std::optional<std::int64_t> frame;
      for (long long j = k; j < frames && !frame; ++j) {
        if (j > k && !std::isnan(level(j)) && (level(j) > 0.5) != white) break;
        if (const auto c = t.counter.find(j); c != t.counter.end() && (c->second % 2 == 1) == white)
          frame = unwrap(c->second);
      }
      if (!frame) continue;
      const auto fresh = [&](double l) { return std::clamp(white ? l : 1 - l, 0.0, 1.0); };
      StripeFlip f;
      f.region = index;
      f.frame = *frame;
      f.row = t.row[static_cast<std::size_t>(r)];
      f.seenMs = static_cast<double>(k - 1) * frameMs + frameMs * (1 - fresh(before)) + frameMs * (1 - fresh(after));
      flips.push_back(f);
    }
  }
}

}  // namespace

bool LooksLikeVideo(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  unsigned char head[4] = {};
  if (!file.read(reinterpret_cast<char*>(head), sizeof head)) return false;
  const bool png = head[0] == 0x89 && head[1] == 'P', jpeg = head[0] == 0xFF && head[1] == 0xD8;
  return !png && !jpeg;
}

WallClip ReadWallClip(const std::string& path, const WallClipOptions& options) {
  WallClip clip;
  std::unique_ptr<CaptureSource> source;
  try {
    source = OpenVideoCaptures(path);
  } catch (const std::exception& e) {
    clip.error = e.what();
    return clip;
  }
  const DeclaredTags tags = source->Declared();
  if (tags.framesPerSecond < kMinClipFps) {
    char fps[32];
    std::snprintf(fps, sizeof fps, "%.2f", tags.framesPerSecond);
    clip.error = path + ": a clip of " + fps + " frames per second; milliseconds need 60 or more (240 for 1 ms)";
    return clip;
  }
  const double frameMs = 1000 / tags.framesPerSecond;

  std::vector<Track> tracks;
  std::vector<cv::Mat> finding;  // the first frames, kept until the regions are placed
  cv::Size sensor;
  long long frames = 0;
  WallReading found;
  CapturedInput input;
  bool capped = false;
  while (source->Next(input)) {
    if (frames == kMaxClipFrames) {
      capped = true;
      break;
    }
    if (!input.error.empty()) {
      clip.error = input.name + ": " + input.error;
      return clip;
    }
    const cv::Mat grey = Grey(input.frame);
    if (frames == 0) {
      sensor = grey.size();
      clip.firstFrame = Upright(grey, tags.clockwiseDegrees).clone();
    }
    if (grey.size() != sensor) {
      clip.error = input.name + ": the frame size changes within the clip";
      return clip;
    }
    if (frames < kFindingFrames) {
      for (const WallRegion& r : ReadWall(grey).regions)
        if (std::none_of(found.regions.begin(), found.regions.end(),
                         [&](const WallRegion& f) { return f.code.identity == r.code.identity; }))
          found.regions.push_back(r);
      finding.push_back(grey);
      if (frames + 1 == kFindingFrames) {
        for (const WallRegion& r : found.regions) {
          tracks.push_back({r, {}, {}, {}});
          Place(tracks.back());
        }
        for (std::size_t k = 0; k < finding.size(); ++k)
          for (Track& t : tracks) Sample(t, finding[k], static_cast<long long>(k));
        finding.clear();
      }
    } else {
      for (Track& t : tracks) Sample(t, grey, frames);
    }
    ++frames;
  }
  if (!capped && tags.listedFrames > 0 && frames < tags.listedFrames) {
    clip.error = path + ": the video is cut short: " + std::to_string(frames) + " of its " +
                 std::to_string(tags.listedFrames) + " frames decode";
    return clip;
  }
  if (frames < kFindingFrames + 2) {
    clip.error = path + ": " + std::to_string(frames) + " frames; a clip needs a few frame changes (a second or more)";
    return clip;
  }
  if (found.regions.empty()) {
    clip.error = path + ": no region codes found in its first frames";
    return clip;
  }

  // One running count for every region, from the first counter read.
  std::optional<std::uint16_t> first;
  for (const Track& t : tracks)
    if (!t.counter.empty() && !first) first = t.counter.begin()->second;
  const auto unwrap = [&](std::uint16_t c) {
    return static_cast<std::int64_t>(*first) + static_cast<std::int16_t>(static_cast<std::uint16_t>(c - *first));
  };
  std::vector<StripeFlip> flips;
  if (first)
    for (std::size_t i = 0; i < tracks.size(); ++i) Flips(tracks[i], static_cast<int>(i), frameMs, unwrap, flips);
  const std::optional<double> lineTimeMs =
      options.lineTimeUs ? std::optional<double>(*options.lineTimeUs / 1000) : FitLineTime(flips);
  std::vector<RegionChanges> changes = RegionChangeTimes(flips, lineTimeMs.value_or(0), tracks.size());
  std::vector<bool> reference(tracks.size());
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    reference[i] = !options.referenceOutput || tracks[i].found.code.identity.output == *options.referenceOutput;
    for (const auto& [k, c] : tracks[i].counter)
      if (changes[i].shown.empty() || changes[i].shown.back() != unwrap(c)) changes[i].shown.push_back(unwrap(c));
  }
  const ClipTiming timing = TimeRegions(changes, reference, frameMs);

  for (WallRegion& r : found.regions)
    for (cv::Point2f& p : r.box) p = UprightPoint(p, sensor, tags.clockwiseDegrees);
  clip.verdict = JudgeWall(found, options.referenceOutput);
  if (!clip.verdict.reference) {
    clip.error = "no region of output " + std::to_string(*options.referenceOutput) +
                 " was read to take as the reference";
    return clip;
  }
  if (lineTimeMs) clip.verdict.lineTimeUs = *lineTimeMs * 1000;
  clip.verdict.frameMs = timing.frameMs;
  clip.verdict.anyOff = false;
  for (RegionVerdict& v : clip.verdict.regions) {
    for (std::size_t i = 0; i < tracks.size(); ++i)
      if (tracks[i].found.code.identity == v.region.code.identity) v.timing = timing.regions[i];
    if (!v.timing || !v.timing->timed || timing.frameMs <= 0) {
      v.timing.reset();
    } else {
      v.offsetFrames = static_cast<int>(std::lround(v.timing->offsetMs / timing.frameMs));
      v.off = std::abs(v.timing->offsetMs) >= kAgreeMs || std::abs(v.timing->driftMsPerS) >= kAgreeMs ||
              v.timing->dropped > 0 || v.timing->repeated > 0;
    }
    clip.verdict.anyOff |= v.off;
  }
  return clip;
}

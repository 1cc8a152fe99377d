// A clip's timing, from the transition stripes of its region codes. A phone
// reads its sensor row by row: row y of camera frame k is exposed from
// t(k) + y * lineTime, so a region low in the picture is seen changing later
// than one high in it although both changed together. Each stripe cell of a
// region is a row of its own, and all of one region's cells change at the
// same instant: their seen change times, against their rows, line up on a
// slope that is the line time (negative when the sensor reads bottom to
// top). With the line time taken out, each region's change into each of its
// frames has a time on one clock, and the regions are compared frame by frame.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// One stripe cell seen changing: the region's frame `frame` (its counter,
// unwrapped) began at `seenMs` on the clock of camera frames' first rows, on
// sensor row `row`.
struct StripeFlip {
  int region = 0;
  std::int64_t frame = 0;
  double row = 0;
  double seenMs = 0;
};

// The line time in ms per sensor row that lines up the flips of each
// (region, frame) best in the least-squares sense; empty when no change was
// seen on rows far enough apart to tell.
std::optional<double> FitLineTime(const std::vector<StripeFlip>& flips);

// What one region did over the clip.
struct RegionChanges {
  // When each of its frames began, ms on the clip's clock (row 0 of camera
  // frame 0 at 0), the line time taken out.
  std::vector<std::pair<std::int64_t, double>> began;  // by frame
  // The counters it was read showing, unwrapped, in the order shown.
  std::vector<std::int64_t> shown;
};

// Every region's changes from `flips`, with `lineTimeMs` taken out.
std::vector<RegionChanges> RegionChangeTimes(const std::vector<StripeFlip>& flips, double lineTimeMs,
                                             std::size_t regions);

struct RegionTiming {
  bool timed = false;       // false: too few changes seen to time it
  double offsetMs = 0;      // at the clip's start; negative: late (shows each frame later)
  double driftMsPerS = 0;   // how fast the offset grows
  int dropped = 0;          // frames its counter skipped
  int repeated = 0;         // refreshes a frame stayed on beyond its one
};

struct ClipTiming {
  std::vector<RegionTiming> regions;
  double frameMs = 0;  // the reference's frame time; 0 when unknown
};

// The regions' timing against the reference: for each frame, the median
// time at which the regions marked in `reference` began it. `cameraFrameMs`
// is the clip's frame time: a counter that skips a frame shorter than about
// one and a half of it may have been missed by the camera, so then no drop
// is counted.
ClipTiming TimeRegions(const std::vector<RegionChanges>& changes, const std::vector<bool>& reference,
                       double cameraFrameMs);

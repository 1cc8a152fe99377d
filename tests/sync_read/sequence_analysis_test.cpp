// Drops, repeats, frames out of order and undecodable frames counted over
// sequences of frame numbers, across the strip's 2^24 wrap, with latency
// from the capture's frame rate.
#include <gtest/gtest.h>

#include <vector>

#include "framestamp/StampCode.h"
#include "framestamp/TimeOfDay.h"
#include "tools/sync-read/SequenceAnalysis.h"

namespace {

constexpr std::int64_t kWrap = kStampFrameModulus;
constexpr std::int64_t kUndecodable = -1;

FrameReading Read(std::int64_t frame, CodeRead code = CodeRead::Strip) {
  FrameReading reading;
  if (frame == kUndecodable) return reading;
  reading.code = code;
  reading.frame = static_cast<std::uint64_t>(frame);
  // Shown at 60 fps from midnight, as the render tool draws frame n.
  reading.millisecondOfDay = (frame % kWrap) * 1000 / 60 % kMillisecondsPerDay;
  return reading;
}

struct Case {
  const char* name;
  std::vector<std::int64_t> frames;
  std::int64_t dropped, repeated, outOfOrder, undecodable;
};

const Case kCases[] = {
    {"clean run", {0, 1, 2, 3, 4}, 0, 0, 0, 0},
    {"two dropped", {0, 1, 4, 5}, 2, 0, 0, 0},
    {"two separate gaps", {10, 12, 13, 15}, 2, 0, 0, 0},
    {"one repeated twice", {0, 1, 1, 1, 2}, 0, 2, 0, 0},
    {"dropped then repeated", {0, 1, 3, 3, 4}, 1, 1, 0, 0},
    {"swapped pair", {1, 2, 4, 3, 5}, 0, 0, 1, 0},
    {"late frame fills its gap", {1, 2, 3, 5, 6, 4, 7}, 0, 0, 1, 0},
    {"going back repeats old numbers", {5, 6, 7, 5, 6}, 0, 0, 1, 0},
    {"undecodable frames are not drops", {0, kUndecodable, 2, kUndecodable}, 1, 0, 0, 2},
    {"repeat across an undecodable frame", {0, 1, kUndecodable, 1, 2}, 0, 1, 0, 1},
    {"across the wrap", {kWrap - 2, kWrap - 1, 0, 1}, 0, 0, 0, 0},
    {"a drop at the wrap", {kWrap - 2, kWrap - 1, 1, 2}, 1, 0, 0, 0},
    {"out of order at the wrap", {kWrap - 1, 1, 0, 2}, 0, 0, 1, 0},
    {"nothing decodable", {kUndecodable, kUndecodable}, 0, 0, 0, 2},
    {"nothing at all", {}, 0, 0, 0, 0},
};

TEST(SequenceAnalysis, CountsDropsRepeatsAndOrder) {
  for (const Case& c : kCases) {
    SequenceAnalysis analysis;
    for (std::size_t i = 0; i < c.frames.size(); ++i)
      analysis.Add(static_cast<std::int64_t>(i), Read(c.frames[i]));
    const SequenceSummary s = analysis.Summary();
    EXPECT_EQ(s.frames, static_cast<std::int64_t>(c.frames.size())) << c.name;
    EXPECT_EQ(s.dropped, c.dropped) << c.name;
    EXPECT_EQ(s.repeated, c.repeated) << c.name;
    EXPECT_EQ(s.outOfOrder, c.outOfOrder) << c.name;
    EXPECT_EQ(s.undecodable, c.undecodable) << c.name;
    EXPECT_EQ(s.strip + s.undecodable, s.frames) << c.name;
  }
}

TEST(SequenceAnalysis, MarksEachFrameWithWhatHappenedBeforeIt) {
  const std::vector<std::int64_t> frames{kWrap - 1, 2, 2, 1, 5};
  struct Expected {
    std::int64_t sequence, missingBefore;
    bool repeat, outOfOrder;
  };
  const Expected expected[] = {
      {kWrap - 1, 0, false, false},
      {kWrap + 2, 2, false, false},  // 0 and 1 missing, across the wrap
      {kWrap + 2, 0, true, false},
      {kWrap + 1, 0, false, true},
      {kWrap + 5, 2, false, false},  // 3 and 4
  };
  SequenceAnalysis analysis;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const FrameEvent event = analysis.Add(static_cast<std::int64_t>(i), Read(frames[i]));
    EXPECT_TRUE(event.decoded);
    EXPECT_EQ(event.sequence, expected[i].sequence) << "frame " << i;
    EXPECT_EQ(event.missingBefore, expected[i].missingBefore) << "frame " << i;
    EXPECT_EQ(event.repeat, expected[i].repeat) << "frame " << i;
    EXPECT_EQ(event.outOfOrder, expected[i].outOfOrder) << "frame " << i;
    EXPECT_FALSE(event.latencyMs) << "no rate, no latency";
  }
  // Of the numbers skipped only kWrap + 1 arrived, late: three stay missing.
  EXPECT_EQ(analysis.Summary().dropped, 3);
}

// A QR frame's whole number and a strip frame's low 24 bits are the same
// frame: mixing the two codes is no jump.
TEST(SequenceAnalysis, StripAndQrNumbersAgreeAcrossTheWrap) {
  SequenceAnalysis analysis;
  analysis.Add(0, Read(kWrap - 1, CodeRead::Strip));
  analysis.Add(1, Read(kWrap, CodeRead::Qr));
  const FrameEvent last = analysis.Add(2, Read(1, CodeRead::Strip));
  EXPECT_EQ(last.sequence, kWrap + 1);
  const SequenceSummary s = analysis.Summary();
  EXPECT_EQ(s.dropped, 0);
  EXPECT_EQ(s.strip, 2);
  EXPECT_EQ(s.qr, 1);
}

// Captured at 60 fps: a repeated frame arrives one frame later than its
// time says, a dropped one one frame earlier; a capture at half the rate
// of the shown frames runs early by a frame each frame.
TEST(SequenceAnalysis, LatencyAgainstTheFirstFrame) {
  struct LatencyCase {
    const char* name;
    FrameRate rate;
    std::vector<std::int64_t> frames;
    std::vector<double> latency;
  };
  const LatencyCase cases[] = {
      {"in step", {60, 1}, {0, 1, 2, 3}, {0, 0, 0, 0}},
      {"a repeat", {60, 1}, {0, 1, 1, 2}, {0, 0, 16.7, 16.7}},
      {"a drop", {60, 1}, {0, 1, 3, 4}, {0, 0, -16.7, -16.7}},
      {"capture at 30 fps", {30, 1}, {10, 11, 12}, {0, 16.7, 33.3}},
      {"undecodable first", {60, 1}, {kUndecodable, 1, 2}, {0, 0}},
  };
  for (const LatencyCase& c : cases) {
    SequenceAnalysis analysis(c.rate);
    std::vector<double> latency;
    for (std::size_t i = 0; i < c.frames.size(); ++i) {
      const FrameEvent event = analysis.Add(static_cast<std::int64_t>(i), Read(c.frames[i]));
      if (event.latencyMs) latency.push_back(*event.latencyMs);
    }
    ASSERT_EQ(latency.size(), c.latency.size()) << c.name;
    // Shown times are whole milliseconds: within one of the exact value.
    for (std::size_t i = 0; i < latency.size(); ++i)
      EXPECT_NEAR(latency[i], c.latency[i], 1.0) << c.name << ", frame " << i;
  }
}

TEST(SequenceAnalysis, ShownTimeCountsOnAcrossMidnight) {
  SequenceAnalysis analysis(FrameRate{50, 1});
  FrameReading reading;
  reading.code = CodeRead::Strip;
  const std::int64_t times[] = {kMillisecondsPerDay - 40, kMillisecondsPerDay - 20, 0, 20};
  for (std::int64_t i = 0; i < 4; ++i) {
    reading.frame = static_cast<std::uint64_t>(i);
    reading.millisecondOfDay = times[i];
    EXPECT_NEAR(*analysis.Add(i, reading).latencyMs, 0.0, 1e-9) << "frame " << i;
  }
}

}  // namespace

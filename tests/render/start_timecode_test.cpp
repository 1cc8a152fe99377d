// The file's start timecode and the SYNC label are one truth: for every rate
// the SYNC plug-in offers, and across midnight, the tag the render tool
// writes is the label the frame shows (with ';' for drop-frame), and its
// hours stay within the day.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "framestamp/FrameRate.h"
#include "framestamp/Timecode.h"
#include "tools/UsageError.h"
#include "tools/render/StartTime.h"

namespace {

constexpr std::int64_t kMidnight = 86'400'000;

// The label with drop-frame's separator, as a file's tag writes it.
std::string LabelAsTag(std::int64_t ms, TimecodeRate rate) {
  std::string label = FormatTimecode(TimecodeAt(ms, rate));
  if (RateInfo(rate).dropFrame) label[8] = ';';
  return label;
}

TEST(StartTimecode, IsTheSyncLabelAcrossMidnightAtEveryRate) {
  for (int i = 0; i < kTimecodeRateCount; ++i) {
    const TimecodeRate rate = RateFromIndex(i);
    const TimecodeRateInfo& info = RateInfo(rate);
    SCOPED_TRACE(info.name);
    const FrameRate fps{info.numerator, info.denominator};
    // The last two seconds of the day, every millisecond, and the first one
    // of the next (a start time is within the day, so midnight is 00:00).
    for (std::int64_t ms = kMidnight - 2000; ms < kMidnight + 1000; ++ms) {
      const std::int64_t startMs = ms % kMidnight;
      const std::string tag = StartTimecode(StartTime{startMs}, fps);
      ASSERT_EQ(tag, LabelAsTag(startMs, rate)) << startMs << " ms";
      ASSERT_LT(std::stoi(tag.substr(0, 2)), 24) << tag;
    }
  }
}

// The cases a user met: the label said 23:59:59:29 while the tag said
// 24:00:00;00, and 00:00:00:01 against 24:00:00;01.
TEST(StartTimecode, StaysWithinTheDayAtTheLastFramesBeforeMidnight) {
  const FrameRate ntsc{30000, 1001};
  EXPECT_EQ(StartTimecode(StartTime{kMidnight - 100}, ntsc), "23:59:59;29");
  EXPECT_EQ(StartTimecode(StartTime{kMidnight - 50}, ntsc), "00:00:00;01");
  EXPECT_EQ(StartTimecode(StartTime{kMidnight - 1}, FrameRate{60, 1}), "23:59:59:59");
  EXPECT_EQ(StartTimecode(StartTime{kMidnight - 1}, FrameRate{120, 1}), "23:59:59:119");
}

TEST(StartTimecode, RatesNoTimecodeCountsAreRefused) {
  for (const FrameRate& fps : {FrameRate{25, 2}, FrameRate{7, 1001}}) {
    SCOPED_TRACE(fps.Text());
    EXPECT_THROW(StartTimecode(StartTime{0}, fps), UsageError);
  }
}

}  // namespace

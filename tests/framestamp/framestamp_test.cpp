// The frame stamp's pieces that the SYNC plug-in draws and the reader decodes:
// CRC, word layout, strip geometry, time of day, timecode, flash rule, QR text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "framestamp/Crc8.h"
#include "framestamp/StampCode.h"
#include "framestamp/StampText.h"
#include "framestamp/SyncFlash.h"
#include "framestamp/TimeOfDay.h"
#include "framestamp/Timecode.h"

TEST(Crc8, CheckValueOfTheStandardString) {
  const char* text = "123456789";
  EXPECT_EQ(Crc8(reinterpret_cast<const std::uint8_t*>(text), std::strlen(text)), 0xF4);
}

TEST(StampCode, RoundTripsAndPlacesEachField) {
  const FrameStamp stamps[] = {{0, 0, 0},
                               {kStampFrameModulus - 1, 86'399'999, 31},
                               {123456, 45'296'789, 7}};
  for (const FrameStamp& s : stamps) {
    const std::uint64_t word = EncodeStamp(s);
    EXPECT_EQ(word >> 40, s.frame);
    EXPECT_EQ((word >> 13) & ((1u << 27) - 1), s.millisecondOfDay);
    EXPECT_EQ((word >> 8) & 0x1F, s.output);
    const auto back = DecodeStamp(word);
    ASSERT_TRUE(back);
    EXPECT_TRUE(*back == s);
  }
  // The frame number wraps at 2^24.
  EXPECT_EQ(DecodeStamp(EncodeStamp({kStampFrameModulus + 5, 1, 2}))->frame, 5u);
}

TEST(StampCode, EveryFlippedBitFailsTheCrc) {
  const std::uint64_t word = EncodeStamp({987654, 12'345'678, 19});
  for (int bit = 0; bit < 64; ++bit)
    EXPECT_FALSE(DecodeStamp(word ^ (std::uint64_t{1} << bit))) << "bit " << bit;
}

TEST(StampCode, MillisecondsBeyondTheDayAreRejectedEvenWithAGoodCrc) {
  const std::uint64_t upper = std::uint64_t{kMillisecondsPerDay} << 13;
  std::uint8_t bytes[7];
  for (int i = 0; i < 7; ++i) bytes[i] = static_cast<std::uint8_t>(upper >> (56 - 8 * i));
  EXPECT_FALSE(DecodeStamp(upper | Crc8(bytes, 7)));
}

TEST(StampCode, CellSizeShrinksToTheWidthAndVanishesBelowOnePixel) {
  struct Case { int requested, width, expected; } cases[] = {
      {16, 1920, 16}, {16, 1120, 16}, {16, 1119, 15}, {64, 3840, 54}, {2, 1920, 4},
      {100, 8000, 64}, {16, 70, 1}, {16, 69, 0}, {16, 0, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(StripCellSize(c.requested, c.width), c.expected)
        << c.requested << " at width " << c.width;
}

TEST(StampCode, GuardsAndDataCells) {
  const std::uint64_t word = 0x8000000000000001ull;
  const bool expected[] = {true, false, true, false};  // cells 0, 1, 2 (bit 63), 3 (bit 62)
  for (int i = 0; i < 4; ++i) EXPECT_EQ(StripCellIsWhite(word, i), expected[i]) << i;
  EXPECT_TRUE(StripCellIsWhite(word, 65));   // bit 0
  EXPECT_FALSE(StripCellIsWhite(word, 66));  // end guard black
  EXPECT_TRUE(StripCellIsWhite(word, 67));   // end guard white
  EXPECT_EQ(StripCell(16, 1080, 0).x, 16);
  EXPECT_EQ(StripCell(16, 1080, 0).y, 1080 - 32);
  EXPECT_EQ(StripBand(16, 1080).y, 1080 - 48);
  EXPECT_EQ(StripBand(16, 1080).width, 70 * 16);
}

TEST(TimeOfDay, FormatsParsesAndRejects) {
  EXPECT_EQ(FormatTimeOfDay(0), "00:00:00.000");
  EXPECT_EQ(FormatTimeOfDay(86'399'999), "23:59:59.999");
  EXPECT_EQ(FormatTimeOfDay(86'400'001), "00:00:00.001");
  EXPECT_EQ(FormatTimeOfDay(-1), "23:59:59.999");
  EXPECT_EQ(ParseTimeOfDay("12:34:56.789"), 45'296'789);
  EXPECT_EQ(ParseTimeOfDay("12:34:56"), 45'296'000);
  EXPECT_EQ(ParseTimeOfDay("00:00:01.5"), 1500);
  for (const char* bad : {"", "24:00:00.000", "12:60:00", "12:00:60", "1:00:00", "12:00:00.",
                          "12:00:00.1234", "12-00-00", " 12:00:00", "12:00:00.5x"})
    EXPECT_FALSE(ParseTimeOfDay(bad)) << bad;
}

TEST(TimeOfDay, ClockReadingsAreFlooredWithoutBinaryRoundingSlips) {
  EXPECT_EQ(TimeOfDayAfter(0, 0.3), 300);  // 0.3 * 1000 is just below 300 in binary
  EXPECT_EQ(TimeOfDayAfter(0, 2.0 / 3.0), 666);
  EXPECT_EQ(TimeOfDayAfter(86'399'000, 1.5), 500);  // across midnight
  for (double bad : {std::nan(""), std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity(), 1e300})
    EXPECT_EQ(TimeOfDayAfter(1000, bad), 1000);
  // n / fps for a whole minute of 59.94 frames lands on the exact millisecond.
  for (int n = 0; n < 3600; ++n) {
    const std::int64_t exact = n * 1001LL * 1000 / 60000;
    EXPECT_EQ(TimeOfDayAfter(0, n * 1001.0 / 60000.0), exact) << n;
  }
}

TEST(Timecode, NonDropRatesCountFramesSinceMidnight) {
  EXPECT_EQ(FormatTimecode(TimecodeAt(0, TimecodeRate::Fps25)), "00:00:00:00");
  EXPECT_EQ(FormatTimecode(TimecodeAt(45'296'789, TimecodeRate::Fps25)), "12:34:56:19");
  EXPECT_EQ(FormatTimecode(TimecodeAt(86'399'999, TimecodeRate::Fps60)), "23:59:59:59");
  EXPECT_EQ(FormatTimecode(TimecodeAt(86'400'000, TimecodeRate::Fps24)), "00:00:00:00");
  // 23.976 labels 24 frames a second but counts at 24000/1001.
  EXPECT_EQ(FormatTimecode(TimecodeAt(1001, TimecodeRate::Fps23_976)), "00:00:01:00");
  EXPECT_EQ(FormatTimecode(TimecodeAt(1000, TimecodeRate::Fps23_976)), "00:00:00:23");
}

TEST(Timecode, DropFrameSkipsLabelsAtEachMinuteButEveryTenth) {
  struct Case { std::int64_t ms; TimecodeRate rate; const char* expected; } cases[] = {
      {60'059, TimecodeRate::Fps29_97DropFrame, "00:00:59:29"},
      {60'060, TimecodeRate::Fps29_97DropFrame, "00:01:00:02"},
      {599'999, TimecodeRate::Fps29_97DropFrame, "00:09:59:29"},
      {600'000, TimecodeRate::Fps29_97DropFrame, "00:10:00:00"},
      {60'060, TimecodeRate::Fps59_94DropFrame, "00:01:00:04"},
      {60'059, TimecodeRate::Fps59_94DropFrame, "00:00:59:59"},
      {3'600'000, TimecodeRate::Fps29_97DropFrame, "01:00:00:00"},
      // A drop-frame day has 2,589,408 labels, 86.4 ms short of a day: the
      // last 2.6 frames before midnight start the next day's labels.
      {86'399'999, TimecodeRate::Fps29_97DropFrame, "00:00:00:02"},
      {86'399'900, TimecodeRate::Fps29_97DropFrame, "23:59:59:29"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FormatTimecode(TimecodeAt(c.ms, c.rate)), c.expected)
        << c.ms << " ms at " << RateInfo(c.rate).name;
}

TEST(Timecode, LabelsNeverRepeatOrSkipExceptTheDroppedOnes) {
  // Over the first eleven minutes at 29.97 DF, consecutive frames differ by
  // one label, or by three at a dropping minute.
  int previous = -1;
  for (std::int64_t count = 0; count < 11 * 1800; ++count) {
    const std::int64_t ms = (count * 1001000 + 29999) / 30000;  // first ms of the frame
    const Timecode t = TimecodeAt(ms, TimecodeRate::Fps29_97DropFrame);
    const int label = ((t.hours * 60 + t.minutes) * 60 + t.seconds) * 30 + t.frames;
    if (previous >= 0) {
      const bool dropping = t.frames == 2 && t.seconds == 0 && t.minutes % 10 != 0;
      EXPECT_EQ(label - previous, dropping ? 3 : 1) << FormatTimecode(t);
    }
    previous = label;
  }
}

TEST(SyncFlash, FirstFrameAtOrAfterEachBoundary) {
  EXPECT_TRUE(FlashDue(std::nullopt, 5000, 1000));
  EXPECT_FALSE(FlashDue(std::nullopt, 5001, 1000));
  EXPECT_TRUE(FlashDue(4990, 5007, 1000));
  EXPECT_FALSE(FlashDue(5007, 5023, 1000));
  EXPECT_TRUE(FlashDue(4999, 5000, 1000));
  EXPECT_FALSE(FlashDue(5000, 5000, 1000));  // the same time again flashes once
  EXPECT_TRUE(FlashDue(86'399'990, 7, 1000));  // through midnight
  EXPECT_FALSE(FlashDue(9000, 5500, 1000));    // backwards, not on a boundary
  EXPECT_TRUE(FlashDue(9000, 5000, 1000));
  EXPECT_FALSE(FlashDue(1000, 4000, 5000));
  EXPECT_TRUE(FlashDue(4999, 5016, 5000));
  // 7 s periods restart at midnight, which is always a boundary.
  EXPECT_TRUE(FlashDue(86'399'000, 10, 7000));
}

TEST(StampText, ComposesAndParsesWithAnyLabel) {
  StampText s{1234567, "23:59:59.999", "23:59:59:29", 31, "OUTPUT 1 = LEFT / ÄÖ"};
  const std::string text = ComposeStampText(s);
  EXPECT_EQ(text, "VELTRIMA F=1234567 T=23:59:59.999 TC=23:59:59:29 O=31 L=OUTPUT 1 = LEFT / ÄÖ");
  const auto back = ParseStampText(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->frame, s.frame);
  EXPECT_EQ(back->time, s.time);
  EXPECT_EQ(back->timecode, s.timecode);
  EXPECT_EQ(back->output, s.output);
  EXPECT_EQ(back->label, s.label);
  EXPECT_EQ(ParseStampText("VELTRIMA F=0 T=00:00:00.000 TC=00:00:00:00 O=0 L=")->label, "");
  for (const char* bad :
       {"", "HELLO", "VELTRIMA F=01 T=00:00:00.000 TC=00:00:00:00 O=0 L=",
        "VELTRIMA F=1 T=00:00:00 TC=00:00:00:00 O=0 L=x",
        "VELTRIMA F=1 T=00:00:00.000 TC=00:00:00 O=0 L=x",
        "VELTRIMA F=1 T=00:00:00.000 TC=00:00:00:00 O=32 L=x",
        "VELTRIMA F=1 T=00:00:00.000 TC=00:00:00:00 O=3"})
    EXPECT_FALSE(ParseStampText(bad)) << bad;
}

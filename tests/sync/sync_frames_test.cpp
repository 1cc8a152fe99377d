// SYNC frames read back as a camera or capture would: for every frame of a
// 600-frame clip the strip decodes to the frame number, the time and the
// output, and so does the QR code read by zxing's reader; the parity squares and the colour bar step with
// every frame. Driven through the built module's plugMain, loaded as a host
// loads it, with the clock following code 20 as the render tool drives it.
#include <cstring>
#include <set>

#include "framestamp/StampText.h"
#include "framestamp/TimeOfDay.h"
#include "framestamp/Timecode.h"
#include "sync/Layout.h"
#include "sync/MarkerColours.h"
#include "tests/sync/SyncKit.h"

namespace {

using synckit::ClipTime;

std::uint8_t Byte(float v) { return static_cast<std::uint8_t>(v * 255.0f + 0.5f); }

class SyncClip : public SyncSuite {};

TEST_F(SyncClip, EveryFrameSaysWhichFrameWhenAndWhere) {
  const struct {
    int width, height, cellSize, expectedCell;
    std::uint32_t output;
    TimecodeRate rate;
  } cases[] = {
      {1920, 1080, 16, 16, 3, TimecodeRate::Fps25},
      {1280, 720, 8, 8, 31, TimecodeRate::Fps29_97DropFrame},
      {700, 400, 16, 10, 0, TimecodeRate::Fps59_94DropFrame},  // 70 * 16 > 700: S shrinks
      {69, 400, 16, 0, 7, TimecodeRate::Fps60},                 // not even 1-pixel cells fit
  };
  constexpr int kFrames = 600, kFps = 60;
  const char* const start = "23:59:55.000";  // the clip crosses midnight at frame 300
  const std::int64_t startMs = *ParseTimeOfDay(start);
  const std::string label = "WALL A \xC2\xB7 2";
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " S=" +
                 std::to_string(c.cellSize));
    const hostkit::PluginLibrary& module = Module();
    auto host = HostTimeInstance(module, c.width, c.height, start);
    host->Set(kSyncCellSize, static_cast<float>(c.cellSize));
    host->Set(kSyncOutputNumber, static_cast<float>(c.output));
    host->Set(kSyncTimecodeRate, static_cast<float>(c.rate));
    module.SetTextParameter(host->Id(), kSyncLabel, label.c_str());
    const SyncLayout layout = ComputeSyncLayout(c.width, c.height, c.cellSize, 4);
    ASSERT_EQ(layout.cellSize, c.expectedCell);
    int stripsRead = 0, codesRead = 0;
    for (int n = 0; n < kFrames; ++n) {
      module.SetTime(host->Id(), ClipTime(n, kFps));
      ASSERT_EQ(host->RunFrames(1), FF_SUCCESS);
      const std::int64_t ms = TimeOfDayAfter(startMs, ClipTime(n, kFps));
      const auto stamp = synckit::DecodeStrip(host->Target(), layout.cellSize);
      if (c.expectedCell == 0) {
        EXPECT_FALSE(stamp.has_value()) << "frame " << n;
      } else {
        ASSERT_TRUE(stamp.has_value()) << "frame " << n << ": no strip read";
        EXPECT_EQ(stamp->frame, static_cast<std::uint32_t>(n));
        EXPECT_EQ(stamp->millisecondOfDay, static_cast<std::uint32_t>(ms)) << "frame " << n;
        EXPECT_EQ(stamp->output, c.output);
        ++stripsRead;
      }
      if (layout.qrModule > 0) {
        const auto text = synckit::DecodeQr(host->Target(), layout.qr);
        ASSERT_TRUE(text.has_value()) << "frame " << n << ": no QR code read";
        const auto parsed = ParseStampText(*text);
        ASSERT_TRUE(parsed.has_value()) << *text;
        EXPECT_EQ(parsed->frame, static_cast<std::uint64_t>(n));
        EXPECT_EQ(parsed->time, FormatTimeOfDay(ms));
        EXPECT_EQ(parsed->timecode, FormatTimecode(TimecodeAt(ms, c.rate)));
        EXPECT_EQ(parsed->output, c.output);
        EXPECT_EQ(parsed->label, label);
        ++codesRead;
      }
      if (layout.parityA.Empty() || c.width < 1280) continue;
      const auto a = synckit::PixelAt(host->Target(), synckit::Centre(layout.parityA));
      const auto b = synckit::PixelAt(host->Target(), synckit::Centre(layout.parityB));
      const std::uint8_t aExpected = n % 2 == 0 ? 255 : 0;
      EXPECT_EQ(a[0], aExpected) << "parity A, frame " << n;
      EXPECT_EQ(b[0], 255 - aExpected) << "parity B, frame " << n;
      const auto bar = synckit::PixelAt(host->Target(), synckit::Centre(layout.colourBar));
      const shapes::Colour& want = MarkerColours()[static_cast<std::size_t>(n % 16)].colour;
      EXPECT_EQ((std::array<std::uint8_t, 3>{bar[0], bar[1], bar[2]}),
                (std::array<std::uint8_t, 3>{Byte(want.r), Byte(want.g), Byte(want.b)}))
          << "colour bar, frame " << n;
    }
    EXPECT_EQ(stripsRead, c.expectedCell > 0 ? kFrames : 0);
    EXPECT_EQ(codesRead, layout.qrModule > 0 ? kFrames : 0);
  }
}

TEST_F(SyncClip, ColourTableHoldsSixteenDistinctColours) {
  std::set<std::array<std::uint8_t, 3>> seen;
  for (const auto& entry : MarkerColours())
    EXPECT_TRUE(seen.insert({Byte(entry.colour.r), Byte(entry.colour.g), Byte(entry.colour.b)}).second)
        << entry.name;
}

TEST_F(SyncClip, StripCarriesTheTwentyFourBitWrapAndTheQrTheWholeCount) {
  auto host = HostTimeInstance(1280, 720, "12:00:00.000");
  const SyncLayout layout = ComputeSyncLayout(1280, 720, kStripDefaultCellSize, 4);
  const std::uint64_t first = kStampFrameModulus - 2;
  Instance(*host).StartCountingAt(first);
  for (std::uint64_t k = 0; k < 4; ++k) {
    ASSERT_EQ(host->RunFrames(1), FF_SUCCESS);
    const auto stamp = synckit::DecodeStrip(host->Target(), layout.cellSize);
    ASSERT_TRUE(stamp.has_value());
    EXPECT_EQ(stamp->frame, static_cast<std::uint32_t>((first + k) % kStampFrameModulus));
    const auto text = synckit::DecodeQr(host->Target(), layout.qr);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(ParseStampText(*text)->frame, first + k);
  }
}

// Times and timecodes the clip shows at chosen moments: across a drop-frame
// minute, a tenth minute (no labels dropped), and midnight.
TEST_F(SyncClip, TimecodeAcrossDropFrameMinutesAndMidnight) {
  const struct {
    const char* start;
    double seconds;
    TimecodeRate rate;
    const char* time;
    const char* timecode;
  } cases[] = {
      {"00:00:00.000", 0.0, TimecodeRate::Fps25, "00:00:00.000", "00:00:00:00"},
      {"12:34:56.000", 0.789, TimecodeRate::Fps25, "12:34:56.789", "12:34:56:19"},
      {"23:59:59.990", 0.02, TimecodeRate::Fps25, "00:00:00.010", "00:00:00:00"},
      // 29.97 drop frame: 1800 frames take 60.06 s, so 00:01:00;02 arrives
      // after 60.06 s of real time, having skipped ;00 and ;01.
      {"00:01:00.000", 0.06, TimecodeRate::Fps29_97DropFrame, "00:01:00.060", "00:01:00:02"},
      {"00:01:00.000", 0.0, TimecodeRate::Fps29_97DropFrame, "00:01:00.000", "00:00:59:28"},
      // The tenth minute keeps its first labels.
      {"00:10:00.000", 0.0, TimecodeRate::Fps29_97DropFrame, "00:10:00.000", "00:10:00:00"},
      {"00:10:00.000", 0.6, TimecodeRate::Fps29_97DropFrame, "00:10:00.600", "00:10:00:18"},
      {"23:59:59.999", 0.001, TimecodeRate::Fps60, "00:00:00.000", "00:00:00:00"},
  };
  for (const auto& c : cases) {
    auto host = HostTimeInstance(1280, 720, c.start);
    host->Set(kSyncTimecodeRate, static_cast<float>(c.rate));
    Plugin().SetTime(host->Id(), c.seconds);
    ASSERT_EQ(host->RunFrames(1), FF_SUCCESS);
    const SyncLayout layout = ComputeSyncLayout(1280, 720, kStripDefaultCellSize, 4);
    const auto text = synckit::DecodeQr(host->Target(), layout.qr);
    ASSERT_TRUE(text.has_value()) << c.start;
    const auto parsed = ParseStampText(*text);
    ASSERT_TRUE(parsed.has_value()) << *text;
    EXPECT_EQ(parsed->time, c.time) << c.start << " + " << c.seconds;
    EXPECT_EQ(parsed->timecode, c.timecode) << c.start << " + " << c.seconds;
  }
}

}  // namespace

// What each SYNC element does over time and by parameter: the flash on the
// first frame at or after each period, from code 20 and from the real-time
// clock (injected); every element switched off and on; label texts of every
// kind drawn without a crash, with the placeholder where the font lacks a
// glyph; a malformed start time read as midnight.
#include <cstring>
#include <vector>

#include "clock/WallClock.h"
#include "framestamp/TimeOfDay.h"
#include "glyphs/GlyphTable.h"
#include "sync/Layout.h"
#include "tests/sync/SyncKit.h"

namespace {

constexpr int kWidth = 1280, kHeight = 720;

SyncLayout DefaultLayout() { return ComputeSyncLayout(kWidth, kHeight, kStripDefaultCellSize, 4); }

// The flash box's centre: white while it flashes.
bool FlashLit(const hostkit::HostInstance& host) {
  return synckit::PixelAt(host.Target(), synckit::Centre(DefaultLayout().flash))[0] == 255;
}

class SyncElements : public SyncSuite {};

TEST_F(SyncElements, FlashOnTheFirstFrameAtOrAfterEachPeriod) {
  const struct {
    const char* start;
    int fps, every;
    std::vector<int> lit;  // frames 0..59 that flash
  } cases[] = {
      // Frame 0 lies exactly on a second; then every 24th frame does.
      {"00:00:00.000", 24, 1, {0, 24, 48}},
      // 990 ms: frame 0 is not on a second (and has no frame before it), frame
      // 1 (1031 ms) is the first after one, and so on.
      {"00:00:00.990", 24, 1, {1, 25, 49}},
      // Every two seconds, counted from midnight: 2 s at frame 25 (2.032 s).
      {"00:00:00.990", 24, 2, {25}},
      // Across midnight: 23:59:59.980 + 1/50 s is midnight exactly.
      {"23:59:59.980", 50, 1, {1, 51}},
  };
  for (const auto& c : cases) {
    auto host = HostTimeInstance(kWidth, kHeight, c.start);
    host->Set(kSyncFlashEvery, static_cast<float>(c.every));
    std::vector<int> lit;
    for (int n = 0; n < 60; ++n) {
      Plugin().SetTime(host->Id(), synckit::ClipTime(n, c.fps));
      ASSERT_EQ(host->RunFrames(1), FF_SUCCESS);
      if (FlashLit(*host)) lit.push_back(n);
    }
    EXPECT_EQ(lit, c.lit) << c.start << " at " << c.fps << " fps, every " << c.every << " s";
  }
}

TEST_F(SyncElements, FlashCanLightTheWholeOutput) {
  auto host = HostTimeInstance(kWidth, kHeight, "00:00:00.000");
  host->Set(kSyncFlashArea, static_cast<float>(kFlashWholeOutput));
  // A pixel between elements: background.
  const int x = 2, y = 2;
  const std::uint8_t expected[] = {255, 0, 255};  // frames at 0, 0.5 s, 1 s
  for (int n = 0; n < 3; ++n) {
    Plugin().SetTime(host->Id(), 0.5 * n);
    ASSERT_EQ(host->RunFrames(1), FF_SUCCESS);
    EXPECT_EQ(synckit::PixelAt(host->Target(), x, y)[0], expected[n]) << "frame " << n;
  }
}

// The real-time clock, injected: the frame shows the moment it was drawn.
std::int64_t g_wallNanoseconds = 0;
std::int64_t ReadFakeWallClock() { return g_wallNanoseconds; }

TEST_F(SyncElements, SystemClockShowsTheMomentOfDrawing) {
  SetWallClockReader(&ReadFakeWallClock);
  hostkit::HostInstance host(Plugin(), kWidth, kHeight, hostkit::PixelFormat::RGBA8);
  host.Set(kSyncTimeZone, 1.0f);  // UTC: the same on every test machine
  const SyncLayout layout = DefaultLayout();
  // 2024-06-11 23:59:59.500 UTC, then steps of 250 ms across midnight.
  const std::int64_t base = 1718150399LL * 1'000'000'000 + 500'000'000;
  const struct {
    std::int64_t offsetMs;
    std::uint32_t shown;
    bool flash;
  } steps[] = {{0, 86'399'500, false}, {250, 86'399'750, false}, {500, 0, true},
               {750, 250, false},      {1499, 999, false},      {1500, 1000, true}};
  for (const auto& s : steps) {
    g_wallNanoseconds = base + s.offsetMs * 1'000'000;
    ASSERT_EQ(host.RunFrames(1), FF_SUCCESS);
    const auto stamp = synckit::DecodeStrip(host.Target(), layout.cellSize);
    ASSERT_TRUE(stamp.has_value());
    EXPECT_EQ(stamp->millisecondOfDay, s.shown) << "offset " << s.offsetMs;
    EXPECT_EQ(FlashLit(host), s.flash) << "offset " << s.offsetMs;
  }
  SetWallClockReader(nullptr);
}

TEST_F(SyncElements, EachElementSwitchesOffAndOn) {
  const SyncLayout l = DefaultLayout();
  const struct {
    SyncParam flag;
    shapes::Rect region;
  } cases[] = {
      {kSyncShowLabel, l.label},         {kSyncShowFrameNumber, l.frameNumber},
      {kSyncShowTime, l.timeOfDay},      {kSyncShowTimecode, l.timecode},
      {kSyncShowQr, l.qr},               {kSyncShowFlash, l.flash},
      {kSyncShowMarkers, l.parityA},     {kSyncShowMarkers, l.colourBar},
      {kSyncShowRuler, l.ruler},         {kSyncShowTracks, l.tracks[3]},
      {kSyncShowTracks, l.trackLabels[0]}, {kSyncShowStrip, l.stripBand},
  };
  for (const auto& c : cases) {
    auto host = HostTimeInstance(kWidth, kHeight, "01:02:03.456");
    ASSERT_EQ(host->RunFrames(1), FF_SUCCESS);
    EXPECT_FALSE(synckit::AllBlack(host->Target(), c.region)) << "parameter " << c.flag << " on";
    host->Set(c.flag, 0.0f);
    ASSERT_EQ(host->RunFrames(1), FF_SUCCESS);
    // An odd frame: parity A is black anyway, so the colour bar tells.
    EXPECT_TRUE(synckit::AllBlack(host->Target(), c.region)) << "parameter " << c.flag << " off";
  }
}

TEST_F(SyncElements, BrightnessDimsTextButNeverTheStrip) {
  auto host = HostTimeInstance(kWidth, kHeight, "00:00:00.000");
  host->Set(kSyncBrightness, 0.5f);
  ASSERT_EQ(host->RunFrames(1), FF_SUCCESS);
  const SyncLayout l = DefaultLayout();
  const auto pixels = synckit::ReadRegion(host->Target(), l.label);
  std::uint8_t brightest = 0;
  for (std::size_t i = 0; i < pixels.size(); i += 4) brightest = std::max(brightest, pixels[i]);
  EXPECT_EQ(brightest, 128);
  // The start guard's first cell is white at full strength.
  const StripRect cell = StripCell(l.cellSize, kHeight, 0);
  EXPECT_EQ(synckit::PixelAt(host->Target(), cell.x + 1, cell.y + 1),
            (std::array<std::uint8_t, 4>{255, 255, 255, 255}));
}

// The first glyph of the label as drawn: whether its pixel (column, row) is lit.
bool FirstGlyphPixel(const hostkit::HostInstance& host, int column, int row) {
  const SyncLayout l = DefaultLayout();
  const int s = l.labelScale;
  return synckit::PixelAt(host.Target(), l.label.x0 + column * s + s / 2,
                          l.label.y0 + row * s + s / 2)[0] == 255;
}

TEST_F(SyncElements, LabelsOfAnyKindAreDrawnNeverCrash) {
  const std::string longText(65536, 'W');
  const struct {
    const char* what;
    const char* text;
    std::size_t readBack;       // bytes the parameter keeps
    std::int32_t firstGlyph;    // -1: the label draws nothing
  } cases[] = {
      {"64 KiB", longText.c_str(), kMaxSyncTextBytes, 32},
      {"empty", "", 0, -1},
      {"null", nullptr, 0, -1},
      {"non-ASCII", "\xC3\x89T\xC3\x89", 5, kGlyphPlaceholder},
      {"middle dot", "\xC2\xB7" "A", 3, kGlyphMiddleDot},
      {"invalid UTF-8", "\xFF\xFE\x80", 3, kGlyphPlaceholder},
      {"cut sequence", "\xE2\x82", 2, kGlyphPlaceholder},
      {"lower case", "x1", 2, kGlyphCapitalA + ('X' - 'A')},  // a letter, not a size's x
  };
  for (const auto& c : cases) {
    auto host = HostTimeInstance(kWidth, kHeight, "00:00:00.000");
    ASSERT_EQ(Plugin().SetTextParameter(host->Id(), kSyncLabel, c.text), FF_SUCCESS) << c.what;
    ASSERT_EQ(host->RunFrames(1), FF_SUCCESS) << c.what;
    const char* stored = static_cast<const char*>(Plugin().GetParameter(host->Id(), kSyncLabel).PointerValue);
    ASSERT_NE(stored, nullptr) << c.what;
    EXPECT_EQ(std::strlen(stored), c.readBack) << c.what;
    for (int row = 0; row < kGlyphRows; ++row)
      for (int column = 0; column < kGlyphColumns; ++column)
        EXPECT_EQ(FirstGlyphPixel(*host, column, row),
                  c.firstGlyph >= 0 && GlyphPixel(c.firstGlyph, column, row))
            << c.what << ": column " << column << " row " << row;
  }
}

TEST_F(SyncElements, MalformedStartTimeCountsAsMidnight) {
  for (const char* start : {"25:00:00.000", "12:3", "", "noon", "12:00:00.0000"}) {
    auto host = HostTimeInstance(kWidth, kHeight, start);
    Plugin().SetTime(host->Id(), 1.25);
    ASSERT_EQ(host->RunFrames(2), FF_SUCCESS);
    const auto stamp = synckit::DecodeStrip(host->Target(), DefaultLayout().cellSize);
    ASSERT_TRUE(stamp.has_value()) << start;
    EXPECT_EQ(stamp->millisecondOfDay, 1250u) << start;
  }
}

}  // namespace

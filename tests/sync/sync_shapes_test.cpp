// SYNC drawn at the shapes LED outputs come in (pillars, portrait, ribbons,
// 5:4, small 16:9, 8K), read back as pixels: each element drawn alone lights
// only pixels inside its own rectangle, no two texts' lit pixels meet, the
// ruler's numbers stand apart, the tracks move exactly 1, 2, 4 and 8 pixels
// a frame along the longer side, and the strip and the QR code of every
// frame of a short clip read with the project's reader and with zxing's.
// What a small output has no room for is left out and said in the log.
#include <algorithm>
#include <string>
#include <vector>

#include "sync/Layout.h"
#include "tests/sync/SyncKit.h"
#include "tools/sync-read/LumaImage.h"
#include "tools/sync-read/QrDecoder.h"
#include "tools/sync-read/StripDecoder.h"

namespace {

using shapes::Rect;

struct Shape {
  int width, height;
};
const Shape kShapes[] = {{256, 2048}, {512, 2048}, {1080, 1920}, {3840, 540},
                         {7680, 1080}, {1280, 1024}, {640, 360}, {7680, 2160}};

std::string Where(const Shape& s) { return std::to_string(s.width) + "x" + std::to_string(s.height); }

constexpr SyncParam kSwitches[] = {kSyncShowLabel,  kSyncShowFrameNumber, kSyncShowTime,
                                   kSyncShowTimecode, kSyncShowStrip,     kSyncShowQr,
                                   kSyncShowMarkers,  kSyncShowFlash,     kSyncShowRuler,
                                   kSyncShowTracks};

// The whole output as RGBA8, rows top-down.
struct Frame {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgba;
  const std::uint8_t* At(int x, int y) const {
    return &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
  }
  bool Lit(int x, int y) const {
    const std::uint8_t* p = At(x, y);
    return p[0] != 0 || p[1] != 0 || p[2] != 0;
  }
  bool White(int x, int y) const {
    const std::uint8_t* p = At(x, y);
    return p[0] == 255 && p[1] == 255 && p[2] == 255;
  }
};

Frame ReadFrame(const hostkit::HostInstance& host) {
  const auto& t = host.Target();
  return {t.Width(), t.Height(), synckit::ReadRegion(t, {0, 0, t.Width(), t.Height()})};
}

// The smallest rectangle around the lit pixels of `within`; empty if none.
Rect LitBox(const Frame& f, const Rect& within) {
  Rect box{within.x1, within.y1, within.x0, within.y0};
  for (int y = within.y0; y < within.y1; ++y)
    for (int x = within.x0; x < within.x1; ++x)
      if (f.Lit(x, y)) box = {std::min(box.x0, x), std::min(box.y0, y), std::max(box.x1, x + 1), std::max(box.y1, y + 1)};
  return box.Empty() ? Rect{} : box;
}

class SyncShapes : public SyncSuite, public testing::WithParamInterface<Shape> {
 protected:
  // An instance with only `on` of the element switches on.
  static std::unique_ptr<hostkit::HostInstance> Only(const Shape& s, std::vector<SyncParam> on) {
    auto host = HostTimeInstance(s.width, s.height, "01:02:03.456");
    for (SyncParam p : kSwitches)
      host->Set(p, std::find(on.begin(), on.end(), p) != on.end() ? 1.0f : 0.0f);
    return host;
  }
};

TEST_P(SyncShapes, EachElementStaysInsideItsRectangleAndNoTextsMeet) {
  const Shape s = GetParam();
  {
    const SyncLayout l = ComputeSyncLayout(s.width, s.height, kStripDefaultCellSize, 4);
    std::vector<Rect> trackRects(l.tracks.begin(), l.tracks.end());
    trackRects.insert(trackRects.end(), l.trackLabels.begin(), l.trackLabels.end());
    const struct {
      const char* name;
      SyncParam on;
      std::vector<Rect> rects;
      bool text;
    } cases[] = {
        {"label", kSyncShowLabel, {l.label}, true},
        {"frame number", kSyncShowFrameNumber, {l.frameNumber}, true},
        {"time of day", kSyncShowTime, {l.timeOfDay}, true},
        {"timecode", kSyncShowTimecode, {l.timecode}, true},
        {"QR code", kSyncShowQr, {l.qr}, false},
        {"flash box", kSyncShowFlash, {l.flash}, false},
        {"markers", kSyncShowMarkers, {l.parityA, l.parityB, l.colourBar}, false},
        {"ruler", kSyncShowRuler, {l.ruler}, false},
        {"tracks", kSyncShowTracks, trackRects, false},
        {"code strip", kSyncShowStrip, {l.stripBand}, false},
    };
    std::vector<std::pair<std::string, Rect>> texts;
    for (const auto& c : cases) {
      auto host = Only(s, {c.on});
      ASSERT_EQ(host->RunFrames(1), FF_SUCCESS);
      const Frame f = ReadFrame(*host);
      int outside = 0, lit = 0;
      for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) {
          if (!f.Lit(x, y)) continue;
          ++lit;
          const bool inside = std::any_of(c.rects.begin(), c.rects.end(),
                                          [&](const Rect& r) { return r.Contains(x, y); });
          if (!inside && outside++ == 0)
            ADD_FAILURE() << c.name << " lights (" << x << ", " << y << ") outside its rectangle";
        }
      EXPECT_EQ(outside, 0) << c.name;
      EXPECT_GT(lit, 0) << c.name << " draws nothing";
      if (c.text) texts.emplace_back(c.name, LitBox(f, c.rects[0]));
      if (c.on == kSyncShowTracks)
        for (std::size_t i = 0; i < kMotionTrackCount; ++i)
          texts.emplace_back("track label " + std::to_string(i), LitBox(f, l.trackLabels[i]));
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
      EXPECT_FALSE(texts[i].second.Empty()) << texts[i].first << " draws no text";
      for (std::size_t j = i + 1; j < texts.size(); ++j)
        EXPECT_FALSE(texts[i].second.Overlaps(texts[j].second)) << texts[i].first << " meets " << texts[j].first;
    }
  }
}

// The numbers under the ticks, as runs of white columns: glyphs of one
// number are at most three glyph pixels apart, numbers a whole glyph
// advance; so touching numbers would count as one.
TEST_P(SyncShapes, RulerNumbersThinOutAndNeverTouch) {
  const Shape s = GetParam();
  {
    const SyncLayout l = ComputeSyncLayout(s.width, s.height, kStripDefaultCellSize, 4);
    ASSERT_TRUE(l.rulerStepMs == 100 || l.rulerStepMs == 200 || l.rulerStepMs == 500);
    auto host = Only(s, {kSyncShowRuler});
    ASSERT_EQ(host->RunFrames(1), FF_SUCCESS);
    const Frame f = ReadFrame(*host);
    const Rect rows = RulerNumberBox(l, 0);
    std::vector<int> runs;  // gap before each run, in pixels
    int gap = 1 << 30, count = 0;
    for (int x = l.ruler.x0; x < l.ruler.x1; ++x) {
      bool white = false;
      for (int y = rows.y0; y < rows.y1 && !white; ++y) white = f.White(x, y);
      if (!white) {
        ++gap;
        continue;
      }
      if (gap > 3 * l.rulerTextScale) ++count;
      gap = 0;
    }
    EXPECT_EQ(count, (999 + l.rulerStepMs) / l.rulerStepMs) << "every " << l.rulerStepMs << " ms";
  }
}

// The bar's leading edge along each track, frame after frame.
TEST_P(SyncShapes, TracksRunAlongTheLongerSideAtTheirSpeeds) {
  const Shape s = GetParam();
  {
    const SyncLayout l = ComputeSyncLayout(s.width, s.height, kStripDefaultCellSize, 4);
    EXPECT_EQ(l.tracksAlongHeight, s.height > s.width);
    auto host = Only(s, {kSyncShowTracks});
    std::array<int, kMotionTrackCount> previous{};
    for (int n = 0; n < 5; ++n) {
      ASSERT_EQ(host->RunFrames(1), FF_SUCCESS);
      const Frame f = ReadFrame(*host);
      for (std::size_t i = 0; i < kMotionTrackCount; ++i) {
        const Rect& t = l.tracks[i];
        const int length = l.tracksAlongHeight ? t.Height() : t.Width();
        int edge = -1;
        for (int k = 0; k < length && edge < 0; ++k)
          if (l.tracksAlongHeight ? f.White((t.x0 + t.x1) / 2, t.y0 + k) : f.White(t.x0 + k, (t.y0 + t.y1) / 2))
            edge = k;
        ASSERT_GE(edge, 0) << "track " << i << " frame " << n << ": no bar";
        if (n > 0) {
          EXPECT_EQ(edge - previous[i], 1 << i) << "track " << i << " frame " << n;
        }
        previous[i] = edge;
      }
    }
  }
}

TEST_P(SyncShapes, StripAndQrCodeReadOnEveryFrameOfAClip) {
  constexpr int kFrames = 4, kFps = 60;
  const Shape s = GetParam();
  {
    const SyncLayout l = ComputeSyncLayout(s.width, s.height, kStripDefaultCellSize, 4);
    auto host = HostTimeInstance(s.width, s.height, "23:59:59.980");
    host->Set(kSyncOutputNumber, 9.0f);
    for (int n = 0; n < kFrames; ++n) {
      Plugin().SetTime(host->Id(), synckit::ClipTime(n, kFps));
      ASSERT_EQ(host->RunFrames(1), FF_SUCCESS);
      const std::uint32_t ms = static_cast<std::uint32_t>((86'399'980 + n * 1000 / kFps) % 86'400'000);
      // zxing's reader on the QR code's square, and a reader of cell centres.
      const auto zxing = synckit::DecodeQr(host->Target(), l.qr);
      ASSERT_TRUE(zxing.has_value()) << "frame " << n << ": zxing reads no QR code";
      EXPECT_EQ(zxing->rfind("VELTRIMA F=" + std::to_string(n) + " ", 0), 0u) << *zxing;
      const auto strip = synckit::DecodeStrip(host->Target(), l.cellSize);
      ASSERT_TRUE(strip.has_value()) << "frame " << n;
      EXPECT_EQ(strip->frame, static_cast<std::uint32_t>(n));
      EXPECT_EQ(strip->millisecondOfDay, ms);
      // The project's reader on the whole frame, finding both itself.
      const Frame f = ReadFrame(*host);
      const LumaImage luma = LumaFromRgba8(f.rgba.data(), f.width, f.height);
      const StripReading read = ReadStrip(luma);
      ASSERT_EQ(read.status, StripReading::Status::Decoded) << "frame " << n;
      EXPECT_EQ(read.stamp.frame, static_cast<std::uint32_t>(n));
      EXPECT_EQ(read.stamp.millisecondOfDay, ms);
      EXPECT_EQ(read.stamp.output, 9u);
      const QrReading qr = ReadQr(luma);
      ASSERT_EQ(qr.status, QrReading::Status::Decoded) << "frame " << n;
      EXPECT_EQ(qr.stamp.frame, static_cast<std::uint64_t>(n));
      EXPECT_EQ(qr.stamp.output, 9u);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(WallShapes, SyncShapes, testing::ValuesIn(kShapes),
                         [](const testing::TestParamInfo<Shape>& shape) { return Where(shape.param); });

std::vector<std::string> g_log;
class SyncLeftOut : public SyncSuite {};

TEST_F(SyncLeftOut, ElementsLeftOutAreLoggedOnce) {
  g_log.clear();
  Plugin().SetLogCallback([](const char* text) { g_log.emplace_back(text); });
  auto host = HostTimeInstance(320, 180, "00:00:00.000");
  ASSERT_EQ(host->RunFrames(3), FF_SUCCESS);
  Plugin().SetLogCallback(nullptr);
  const SyncLayout l = ComputeSyncLayout(320, 180, kStripDefaultCellSize, 4);
  ASSERT_FALSE(l.leftOut.empty());
  ASSERT_EQ(g_log.size(), l.leftOut.size());
  for (std::size_t i = 0; i < g_log.size(); ++i)
    EXPECT_EQ(g_log[i], "OVNVeltrima SYNC at 320x180: " + l.leftOut[i]);
  EXPECT_NE(std::find(g_log.begin(), g_log.end(),
                      "OVNVeltrima SYNC at 320x180: QR code left out: needs 106x106 pixels (modules of 2 "
                      "pixels and the quiet zone), has 40x40"),
            g_log.end());
  // Nothing was drawn where the QR code would have been: no sliver of it.
  EXPECT_TRUE(l.qr.Empty());
}

}  // namespace

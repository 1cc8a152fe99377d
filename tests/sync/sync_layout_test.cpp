// Where the SYNC elements go: from 1280x720 up (landscape, portrait, 5:4
// and a wide strip) no two elements share a
// pixel, all lie inside the output, the text rows have room for their
// longest texts, and the QR code's square holds every symbol the plug-in
// makes; below that, any size is laid out without a fault. At every shape a
// wall has (pillars, ribbons, 5:4, 8K) each element keeps its minimum size
// or is left out with a reason, and no text meets another.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "framestamp/StampCode.h"
#include "framestamp/TimeOfDay.h"
#include "shapes/GlyphText.h"
#include "sync/Layout.h"
#include "sync/LayoutRules.h"
#include "sync/QrSymbol.h"
#include "sync/Settings.h"
#include "sync/SyncFrame.h"

namespace {

struct Size {
  int width, height;
};
const Size kSizes[] = {{1280, 720}, {1920, 1080}, {3840, 2160}, {1080, 1920}, {1280, 1024}, {3840, 720}, {720, 1280}};
const int kCellSizes[] = {4, 16, 64};
const int kModules[] = {1, 4, 32};

TEST(SyncLayout, ElementsAreDisjointAndInsideFrom720pUp) {
  for (const Size& size : kSizes)
    for (int cell : kCellSizes)
      for (int module : kModules) {
        const SyncLayout l = ComputeSyncLayout(size.width, size.height, cell, module);
        const auto elements = LayoutElements(l);
        const std::string where = std::to_string(size.width) + "x" + std::to_string(size.height) +
                                  " S=" + std::to_string(cell) + " module " + std::to_string(module);
        for (std::size_t i = 0; i < elements.size(); ++i) {
          const auto& [name, r] = elements[i];
          EXPECT_FALSE(r.Empty()) << name << " is empty at " << where;
          EXPECT_TRUE(r.x0 >= 0 && r.y0 >= 0 && r.x1 <= size.width && r.y1 <= size.height)
              << name << " leaves the output at " << where;
          for (std::size_t j = i + 1; j < elements.size(); ++j)
            EXPECT_FALSE(r.Overlaps(elements[j].second))
                << name << " meets " << elements[j].first << " at " << where;
        }
        EXPECT_EQ(l.cellSize, StripCellSize(cell, size.width)) << where;
        EXPECT_GE(l.qrModule, kMinQrModule) << where;
        EXPECT_LE(l.qrModule, std::max(module, kMinQrModule)) << where;
      }
}

TEST(SyncLayout, RowsHoldTheirLongestTexts) {
  for (const Size& size : kSizes) {
    const SyncLayout l = ComputeSyncLayout(size.width, size.height, kStripDefaultCellSize, 4);
    EXPECT_LE(shapes::TextWidth(kFrameNumberDesignDigits, l.frameScale), l.frameNumber.Width());
    EXPECT_LE(shapes::TextWidth(kTimeDesignGlyphs, l.timeScale), l.timecode.Width());
    EXPECT_LE(shapes::TextWidth(kLabelDesignGlyphs, l.labelScale), l.label.Width());
    EXPECT_GE(l.labelScale, 4) << size.width;
    EXPECT_GE(l.frameScale, l.labelScale) << size.width;
  }
}

// The longest stamp texts the plug-in writes still fit the square the layout
// keeps for the code.
TEST(SyncLayout, ReservedSquareHoldsTheLargestSymbol) {
  SyncSettings s;
  s.label = std::string(300, 'W');
  s.output = 31;
  FrameFacts f;
  f.frame = ~std::uint64_t{0};
  f.millisecondOfDay = kMillisecondsPerDay - 1;
  const auto symbol = EncodeQr(QrTextFor(s, f));
  ASSERT_TRUE(symbol.has_value());
  EXPECT_LE(symbol->size + 2 * kQrQuietModules, kQrReservedModules);
}

// Glyph rectangles do not depend on the scale, so the ruler is the same
// number of rectangles at every size: its background, 101 ticks, the ten
// numbers and the marker. (Numbers that did not fit were once left out at
// 2160p.)
TEST(SyncLayout, RulerShowsItsNumbersAtEverySize) {
  SyncSettings s;
  s.shown = {false, false, false, false, false, false, false, true, false, false};
  FrameFacts f;
  f.millisecondOfDay = 12'345;
  constexpr std::size_t kOutputAndTicks = 1 + 1 + 101 + 1;  // output, ruler, ticks, marker
  std::vector<std::size_t> counts;
  for (const Size& size : kSizes) {
    shapes::ShapeList list;
    ComposeSyncFrame(s, ComputeSyncLayout(size.width, size.height, kStripDefaultCellSize, 4), f,
                     std::nullopt, list);
    counts.push_back(list.RectCount());
    // Each of the ten numbers is at least one rectangle per glyph.
    EXPECT_GE(list.RectCount(), kOutputAndTicks + 28) << size.width;
  }
  EXPECT_EQ(counts[1], counts[0]);
  EXPECT_EQ(counts[2], counts[0]);
}

// The shapes LED outputs come in: pillars, portrait, ribbons, 5:4, small
// 16:9, 8K; and the 16:9 sizes whose pictures must not change.
const Size kWallShapes[] = {{256, 2048}, {512, 2048}, {1080, 1920}, {3840, 540}, {7680, 1080},
                            {1280, 1024}, {640, 360},  {7680, 2160}, {1280, 720}, {1920, 1080},
                            {3840, 2160}, {2048, 256}};

std::string Where(const Size& s) { return std::to_string(s.width) + "x" + std::to_string(s.height); }

// Every text the frame draws, as the box it covers, with the element it
// belongs to: the four text rows at their longest, the ruler's numbers and
// the track labels' lines.
struct TextBox {
  std::string name;
  shapes::Rect box, element;
};
std::vector<TextBox> TextBoxes(const SyncLayout& l) {
  std::vector<TextBox> boxes;
  auto row = [&](const char* name, const shapes::Rect& r, int scale, int glyphs) {
    if (!r.Empty())
      boxes.push_back({name, shapes::RectAt(r.x0, r.y0, shapes::TextWidth(glyphs, scale), shapes::TextHeight(scale)), r});
  };
  row("label", l.label, l.labelScale, kLabelDesignGlyphs);
  row("frame number", l.frameNumber, l.frameScale, kFrameNumberDesignDigits);
  row("time of day", l.timeOfDay, l.timeScale, 12);
  row("timecode", l.timecode, l.timeScale, 14);
  for (int ms = 0; l.rulerStepMs > 0 && ms < 1000; ms += l.rulerStepMs)
    boxes.push_back({"ruler " + std::to_string(ms), RulerNumberBox(l, ms), l.ruler});
  for (std::size_t i = 0; i < kMotionTrackCount; ++i) {
    const shapes::Rect& r = l.trackLabels[i];
    const int s = l.trackLabelScale;
    if (l.trackLabelLines == 1) {
      row("track label", r, s, 6);
    } else {
      row("track label", r, s, 1);
      boxes.push_back({"track label line 2",
                       shapes::RectAt(r.x0, r.y0 + shapes::TextHeight(s) + s, shapes::TextWidth(4, s),
                                      shapes::TextHeight(s)),
                       r});
    }
  }
  return boxes;
}

bool Inside(const shapes::Rect& inner, const shapes::Rect& outer) {
  return inner.x0 >= outer.x0 && inner.y0 >= outer.y0 && inner.x1 <= outer.x1 && inner.y1 <= outer.y1;
}

TEST(SyncLayoutShapes, EveryElementKeepsItsMinimumSize) {
  for (const Size& size : kWallShapes) {
    const SyncLayout l = ComputeSyncLayout(size.width, size.height, kStripDefaultCellSize, 4);
    const std::string where = Where(size);
    EXPECT_TRUE(l.leftOut.empty()) << where << ": " << (l.leftOut.empty() ? "" : l.leftOut[0]);
    const auto elements = LayoutElements(l);
    for (std::size_t i = 0; i < elements.size(); ++i) {
      const auto& [name, r] = elements[i];
      EXPECT_FALSE(r.Empty()) << name << " missing at " << where;
      EXPECT_TRUE(Inside(r, {0, 0, size.width, size.height})) << name << " leaves " << where;
      for (std::size_t j = i + 1; j < elements.size(); ++j)
        EXPECT_FALSE(r.Overlaps(elements[j].second)) << name << " meets " << elements[j].first << " at " << where;
    }
    for (int scale : {l.labelScale, l.frameScale, l.timeScale, l.trackLabelScale, l.rulerTextScale})
      EXPECT_GE(scale, 2) << where;
    EXPECT_GE(l.qrModule, 2) << where;
    EXPECT_GE(l.qr.Width(), 53 * l.qrModule) << where;
    EXPECT_GE(l.qr.Height(), 53 * l.qrModule) << where;
    EXPECT_GE(std::min(l.flash.Width(), l.flash.Height()), 53 * l.qrModule) << "flash box at " << where;
    for (const shapes::Rect& marker : {l.parityA, l.parityB, l.colourBar})
      EXPECT_GE(std::min(marker.Width(), marker.Height()), 16) << where;
    // The tracks run along the longer side, each long enough for 16 frames.
    EXPECT_EQ(l.tracksAlongHeight, size.height > size.width) << where;
    for (std::size_t i = 0; i < kMotionTrackCount; ++i) {
      const shapes::Rect& t = l.tracks[i];
      const int length = l.tracksAlongHeight ? t.Height() : t.Width();
      const int thickness = l.tracksAlongHeight ? t.Width() : t.Height();
      EXPECT_GE(length - TrackBarLength(t, l.tracksAlongHeight), 16 << i) << "track " << i << " at " << where;
      EXPECT_GE(thickness, kMinTrackThickness) << where;
    }
    EXPECT_TRUE(MinimumSizeFaults(l).empty()) << where;
  }
}

TEST(SyncLayoutShapes, NoTextMeetsAnotherOrLeavesItsElement) {
  for (const Size& size : kWallShapes) {
    const SyncLayout l = ComputeSyncLayout(size.width, size.height, kStripDefaultCellSize, 4);
    const auto boxes = TextBoxes(l);
    EXPECT_NE(l.rulerStepMs, 0) << Where(size);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      EXPECT_TRUE(Inside(boxes[i].box, boxes[i].element)) << boxes[i].name << " at " << Where(size);
      // Not even touching: one pixel around each box stays free.
      const shapes::Rect& b = boxes[i].box;
      const shapes::Rect around{b.x0 - 1, b.y0 - 1, b.x1 + 1, b.y1 + 1};
      for (std::size_t j = i + 1; j < boxes.size(); ++j)
        EXPECT_FALSE(around.Overlaps(boxes[j].box)) << boxes[i].name << " meets " << boxes[j].name << " at " << Where(size);
    }
  }
}

// Pillars stack the texts; ribbons set them side by side.
TEST(SyncLayoutShapes, TextsStackInPortraitAndStandSideBySideOnRibbons) {
  for (const Size& size : {Size{256, 2048}, Size{1080, 1920}}) {
    const SyncLayout l = ComputeSyncLayout(size.width, size.height, kStripDefaultCellSize, 4);
    EXPECT_LT(l.label.y1, l.frameNumber.y0) << Where(size);
    EXPECT_LT(l.timeOfDay.y1, l.timecode.y0) << Where(size);
  }
  for (const Size& size : {Size{3840, 540}, Size{7680, 1080}}) {
    const SyncLayout l = ComputeSyncLayout(size.width, size.height, kStripDefaultCellSize, 4);
    EXPECT_EQ(l.label.y0, l.timecode.y0) << Where(size);
    EXPECT_LT(l.label.x1, l.frameNumber.x0) << Where(size);
    EXPECT_LT(l.timeOfDay.x1, l.timecode.x0) << Where(size);
  }
}

// Where an element has no room for its minimum it is left out whole, and
// the layout says which and why; nothing is drawn at a sliver.
TEST(SyncLayoutShapes, WhatHasNoRoomIsLeftOutWithItsReason) {
  for (const Size& size : {Size{320, 180}, Size{200, 1600}, Size{1600, 200}, Size{100, 100}}) {
    const SyncLayout l = ComputeSyncLayout(size.width, size.height, kStripDefaultCellSize, 4);
    EXPECT_TRUE(MinimumSizeFaults(l).empty()) << Where(size);
    for (const auto& [name, r] : LayoutElements(l)) {
      if (!r.Empty()) continue;
      bool said = false;
      for (const std::string& line : l.leftOut) said = said || line.rfind(name + " left out: ", 0) == 0;
      EXPECT_TRUE(said) << name << " left out without a reason at " << Where(size);
    }
  }
  const SyncLayout small = ComputeSyncLayout(320, 180, kStripDefaultCellSize, 4);
  EXPECT_TRUE(small.qr.Empty());
  EXPECT_EQ(small.qrModule, 0);
  ASSERT_FALSE(small.leftOut.empty());
}

TEST(SyncLayout, AnySizeIsLaidOutWithoutFault) {
  constexpr int kHuge = std::numeric_limits<int>::max();  // a size a fuzzed host announced
  for (int w : {0, 1, 3, 69, 70, 280, 700, 1279, 16384, kHuge})
    for (int h : {0, 1, 7, 47, 48, 400, 719, 16384, kHuge}) {
      const SyncLayout l = ComputeSyncLayout(w, h, 64, 32);
      for (const auto& [name, r] : LayoutElements(l)) {
        if (r.Empty()) continue;
        EXPECT_TRUE(r.x0 >= 0 && r.y0 >= 0 && r.x1 <= std::min(w, kMaxLayoutDimension) &&
                    r.y1 <= std::min(h, kMaxLayoutDimension))
            << name << " leaves the " << w << "x" << h << " output";
      }
    }
}

}  // namespace

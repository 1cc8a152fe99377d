// Where the SYNC elements go: from 1280x720 up (landscape, portrait, 5:4
// and a wide strip) no two elements share a
// pixel, all lie inside the output, the text rows have room for their
// longest texts, and the QR code's square holds every symbol the plug-in
// makes; below that, any size is laid out without a fault.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "framestamp/StampCode.h"
#include "framestamp/TimeOfDay.h"
#include "shapes/GlyphText.h"
#include "sync/Layout.h"
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
        EXPECT_GE(l.qrModule, 1) << where;
        EXPECT_LE(l.qrModule, module) << where;
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

// Where the SYNC elements go: from 1280x720 up no two elements share a
// pixel, all lie inside the output, the text rows have room for their
// longest texts, and the QR code's square holds every symbol the plug-in
// makes; below that, any size is laid out without a fault.
#include <gtest/gtest.h>

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
const Size kSizes[] = {{1280, 720}, {1920, 1080}, {3840, 2160}};
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

TEST(SyncLayout, AnySizeIsLaidOutWithoutFault) {
  for (int w : {0, 1, 3, 69, 70, 280, 700, 1279, 16384})
    for (int h : {0, 1, 7, 47, 48, 400, 719, 16384}) {
      const SyncLayout l = ComputeSyncLayout(w, h, 16, 4);
      for (const auto& [name, r] : LayoutElements(l)) {
        if (r.Empty()) continue;
        EXPECT_TRUE(r.x0 >= 0 && r.y0 >= 0 && r.x1 <= w && r.y1 <= h)
            << name << " leaves the " << w << "x" << h << " output";
      }
    }
}

}  // namespace

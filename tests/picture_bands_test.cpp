// How a large output's new picture is cut into bands: outputs up to
// 1920x1080 at once, larger ones in bands of at most about a band's pixels
// that cover every row once, in order; pieces cut at a band's rows keep
// their features and lose nothing.
#include <gtest/gtest.h>

#include <string>

#include "free/PictureBands.h"

namespace {

struct Output {
  int width, height;
  long long bandPixels;
  bool atOnce;
};

const Output kOutputs[] = {
    {1920, 1080, kBandPixels, true},  {1280, 720, kBandPixels, true},
    {1921, 1080, kBandPixels, false}, {2560, 1440, kBandPixels, false},
    {3840, 2160, kBandPixels, false}, {4096, 2304, kBandPixels, false},
    {7680, 4320, kBandPixels, false}, {160, 96, 160 * 96 / 5, false},
    {160, 96, 160 * 96 / 4, true},    {160, 96, 0, true},               {1, 1, 1, true},
    {5, 3, 1, false},
};

TEST(PictureBands, BandsCoverEveryRowOnceWithinTheirShare) {
  for (const Output& o : kOutputs) {
    const std::string what = std::to_string(o.width) + "x" + std::to_string(o.height) +
                             " in bands of " + std::to_string(o.bandPixels);
    const int count = PictureBandCount(o.width, o.height, o.bandPixels);
    EXPECT_EQ(count == 1, o.atOnce) << what;
    ASSERT_GE(count, 1) << what;
    ASSERT_LE(count, o.height) << what;
    int next = 0;
    for (int index = 0; index < count; ++index) {
      const RowSpan band = PictureBand(o.height, count, index);
      EXPECT_EQ(band.top, next) << what << ", band " << index;
      EXPECT_LT(band.top, band.bottom) << what << ", band " << index;
      // No band holds much more than its share (a row more at most).
      if (count > 1) {
        EXPECT_LE(static_cast<long long>(band.bottom - band.top - 1) * o.width, o.bandPixels)
            << what << ", band " << index;
      }
      next = band.bottom;
    }
    EXPECT_EQ(next, o.height) << what;
  }
}

TEST(PictureBands, PiecesInRowsAreCutAtTheBandAndKeepTheirFeatures) {
  const std::vector<PixelRect> pieces = {
      {0, 0, 10, 4, kRegionLabel}, {0, 4, 10, 9, 0}, {10, 0, 20, 9, kRegionCoords}};
  const std::vector<PixelRect> inside = PiecesInRows(pieces, RowSpan{3, 5});
  ASSERT_EQ(inside.size(), 3u);
  long long area = 0;
  for (const PixelRect& r : inside) {
    EXPECT_GE(r.y0, 3);
    EXPECT_LE(r.y1, 5);
    area += static_cast<long long>(r.x1 - r.x0) * (r.y1 - r.y0);
  }
  EXPECT_EQ(area, 20 * 2);  // every pixel of the band's two rows, once
  EXPECT_EQ(inside[0].features, kRegionLabel);
  EXPECT_EQ(inside[2].features, kRegionCoords);
  EXPECT_TRUE(PiecesInRows(pieces, RowSpan{9, 12}).empty());
}

}  // namespace

// "Region Codes" through the built module: every region's code read back
// from the output's pixels, as a camera square to the wall would, with its
// output, index and frame; codes shrunk to fit small regions or left out
// where none fits; the counter across its wrap with the code linked in.
#include <string>

#include "framestamp/RegionCode.h"
#include "sync/RegionGrid.h"
#include "tests/sync/SyncKit.h"

namespace {

// The code of region `index` as sampled at its cells' centres; each level
// the red channel over 255.
std::optional<RegionCodeReading> ReadCode(const hostkit::RenderTarget& target, const RegionGrid& grid,
                                          int index) {
  const RegionPlace& p = grid.places[static_cast<std::size_t>(index)];
  const int s = grid.cellSize;
  RegionCodeLevels levels{};
  for (int r = 0; r < kRegionCodeDataSide; ++r)
    for (int c = 0; c < kRegionCodeDataSide; ++c) {
      const int x = p.codeX + (c + kRegionCodeRings) * s + s / 2;
      const int y = p.codeY + (r + kRegionCodeRings) * s + s / 2;
      levels[static_cast<std::size_t>(r * kRegionCodeDataSide + c)] =
          synckit::PixelAt(target, x, y)[0] / 255.0f;
    }
  return DecodeRegionCode(levels);
}

std::string Describe(const std::optional<RegionCodeReading>& r) {
  if (!r) return "nothing read";
  return "output " + std::to_string(r->identity.output) + " region " + std::to_string(r->identity.region) +
         " frames " + std::to_string(r->firstFrame) + ".." + std::to_string(r->lastFrame);
}

// Every region read as (output, index, frame); the quiet ring inside the
// region, so neighbouring codes never touch.
void ExpectEveryRegionRead(const hostkit::HostInstance& host, const RegionGrid& grid, unsigned output,
                           std::uint64_t frame) {
  for (int i = 0; i < static_cast<int>(grid.places.size()); ++i) {
    const RegionPlace& p = grid.places[static_cast<std::size_t>(i)];
    const int side = kRegionCodeSide * grid.cellSize;
    EXPECT_TRUE(p.region.Contains(p.codeX, p.codeY) &&
                p.region.Contains(p.codeX + side - 1, p.codeY + side - 1))
        << "region " << i << "'s code reaches outside it";
    const auto read = ReadCode(host.Target(), grid, i);
    ASSERT_TRUE(read) << "region " << i << " frame " << frame << ": " << Describe(read);
    EXPECT_EQ(read->identity.output, output) << "region " << i;
    EXPECT_EQ(read->identity.region, static_cast<std::uint32_t>(i));
    EXPECT_EQ(read->firstFrame, static_cast<std::uint16_t>(frame)) << "region " << i << ": " << Describe(read);
    EXPECT_FALSE(read->changeCaught) << "region " << i;
  }
}

class SyncRegions : public SyncSuite {};

TEST_F(SyncRegions, EveryRegionCarriesItsOwnCode) {
  const struct {
    int width, height, columns, rows, cellSize;
    unsigned output;
    float brightness;
    int expectedCell;  // 0: no codes fit
  } cases[] = {
      {1920, 1080, 4, 2, 8, 0, 1.0f, 8},     // the defaults
      {1920, 1080, 16, 9, 8, 31, 0.5f, 8},   // dimmed: codes stay full strength
      {1280, 720, 7, 3, 12, 5, 1.0f, 12},    // regions of uneven widths
      {1920, 1080, 64, 36, 8, 3, 1.0f, 2},   // 30x30 regions: cells shrink to fit
      {640, 360, 64, 64, 8, 1, 1.0f, 0},     // 10x5 regions: no code fits
      {256, 2048, 2, 16, 6, 9, 1.0f, 6},     // a pillar
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " grid " +
                 std::to_string(c.columns) + "x" + std::to_string(c.rows));
    hostkit::HostInstance host(Module(), c.width, c.height);
    host.Set(kSyncRegionCodes, 1.0f);
    host.Set(kSyncRegionColumns, static_cast<float>(c.columns));
    host.Set(kSyncRegionRows, static_cast<float>(c.rows));
    host.Set(kSyncRegionCellSize, static_cast<float>(c.cellSize));
    host.Set(kSyncOutputNumber, static_cast<float>(c.output));
    host.Set(kSyncBrightness, c.brightness);
    const RegionGrid grid = ComputeRegionGrid(c.width, c.height, c.columns, c.rows, c.cellSize);
    ASSERT_EQ(grid.cellSize, c.expectedCell);
    ASSERT_EQ(static_cast<int>(grid.places.size()), c.columns * c.rows);
    for (std::uint64_t frame = 0; frame < 3; ++frame) {
      ASSERT_EQ(host.RunFrames(1), FF_SUCCESS);
      if (c.expectedCell == 0) {
        // Only the grid's outlines: every region's inside stays black.
        for (const RegionPlace& p : grid.places)
          ASSERT_TRUE(synckit::AllBlack(host.Target(), {p.region.x0, p.region.y0, p.region.x1 - 1,
                                                         p.region.y1 - 1}));
        continue;
      }
      ExpectEveryRegionRead(host, grid, c.output, frame);
    }
  }
}

TEST_F(SyncRegions, TheCounterWrapsWithoutATear) {
  hostkit::HostInstance host(Plugin(), 960, 540);
  host.Set(kSyncRegionCodes, 1.0f);
  const RegionGrid grid = ComputeRegionGrid(960, 540, kDefaultRegionColumns, kDefaultRegionRows,
                                            kDefaultRegionCellSize);
  Instance(host).StartCountingAt(kRegionCounterModulus - 2);
  for (std::uint64_t frame = kRegionCounterModulus - 2; frame < kRegionCounterModulus + 2; ++frame) {
    ASSERT_EQ(host.RunFrames(1), FF_SUCCESS);
    ExpectEveryRegionRead(host, grid, 0, frame);
  }
}

TEST_F(SyncRegions, SwitchedOffTheUsualPictureComesBack) {
  hostkit::HostInstance on(Module(), 1280, 720), off(Module(), 1280, 720);
  on.Set(kSyncRegionCodes, 1.0f);
  on.Set(kSyncClockSource, static_cast<float>(kClockHostTime));
  off.Set(kSyncClockSource, static_cast<float>(kClockHostTime));
  ASSERT_EQ(on.RunFrames(1), FF_SUCCESS);
  ASSERT_EQ(off.RunFrames(1), FF_SUCCESS);
  const shapes::Rect whole{0, 0, 1280, 720};
  EXPECT_NE(synckit::ReadRegion(on.Target(), whole), synckit::ReadRegion(off.Target(), whole));
  on.Set(kSyncRegionCodes, 0.0f);
  ASSERT_EQ(on.RunFrames(1), FF_SUCCESS);
  ASSERT_EQ(off.RunFrames(1), FF_SUCCESS);
  // Both at frame 1 (on counted its region frame), the same host time.
  EXPECT_EQ(synckit::ReadRegion(on.Target(), whole), synckit::ReadRegion(off.Target(), whole));
}

}  // namespace

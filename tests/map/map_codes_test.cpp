// MAP's frame codes read back: the real module draws a layout with "Frame
// Codes" on, and veltrima-sync-read's wall reader finds in the frame every
// shown cabinet's code, with the output number set, the cabinet's index in
// the layout as its region, and one counter for the whole frame that the
// next frame moves on by one. With the switch off no code is drawn.
#include <gtest/gtest.h>

#include <opencv2/core.hpp>

#include <cmath>
#include <fstream>
#include <set>
#include <string>

#include "MapKit.h"
#include "map/layout/Layout.h"
#include "map/layout/LayoutFile.h"
#include "tests/ScratchFolder.h"
#include "tools/sync-read/WallReader.h"

namespace {

// The frame as an 8-bit grey photo, as the reader takes one.
cv::Mat Grey(const Pixels& p) {
  cv::Mat grey(p.Height(), p.Width(), CV_8UC1);
  for (int y = 0; y < p.Height(); ++y)
    for (int x = 0; x < p.Width(); ++x) {
      const Rgba c = p.At(x, y);
      const float level = 0.299f * c.r + 0.587f * c.g + 0.114f * c.b;
      grey.at<std::uint8_t>(y, x) = static_cast<std::uint8_t>(std::lround(255.0f * level));
    }
  return grey;
}

// A wall of columns x rows square cabinets of `side` px, chained on port A.
std::string GeneratedWall(const ScratchFolder& folder, int columns, int rows, int side) {
  const std::string path = (folder.Path() / "generated.csv").string();
  std::ofstream out(path);
  out << "id,x,y,w,h,label,rot,port,chain\n";
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c)
      out << "G" << r * columns + c << "," << c * side << "," << r * side << "," << side << ","
          << side << ",,0,A," << r * columns + c + 1 << "\n";
  return path;
}

struct CodesCase {
  const char* what;
  std::string file;  // empty: the generated wall
  bool codes;
  int output, cell;
};

TEST(MapFrameCodes, EveryCabinetCarriesItsIndexAndTheFrame) {
  ScratchFolder folder("map_codes");
  const std::string generated = GeneratedWall(folder, 23, 22, 100);  // 506 cabinets
  const std::string wall = std::string(VELTRIMA_MAP_EXAMPLES) + "/wall.xml";
  const CodesCase cases[] = {
      {"the example wall", wall, true, 0, 6},
      {"the example wall, output 7, small cells", wall, true, 7, 3},
      {"506 cabinets, output 31", generated, true, 31, 4},
      {"codes off", wall, false, 0, 6},
  };
  for (const CodesCase& c : cases) {
    SCOPED_TRACE(c.what);
    const auto layout = layout::LoadLayoutFile(c.file);
    ASSERT_TRUE(layout.ok());
    const layout::Extent extent = layout::ScreenCanvasExtent(layout.value(), 1);
    const std::size_t cabinets = layout::CabinetsOfScreen(layout.value(), 1).size();
    MapInstance map(static_cast<int>(extent.w), static_cast<int>(extent.h));
    ASSERT_EQ(map.SetFile(c.file), FF_SUCCESS);
    map.Apply({{"Frame Codes", c.codes ? 1.0f : 0.0f},
               {"Output Number", static_cast<float>(c.output)},
               {"Code Cell px", static_cast<float>(c.cell)}});
    int counter = -1;
    for (int frame = 0; frame < 2; ++frame) {
      const WallReading reading = ReadWall(Grey(map.Frame()));
      if (!c.codes) {
        EXPECT_TRUE(reading.regions.empty());
        break;
      }
      ASSERT_EQ(reading.regions.size(), cabinets);
      std::set<std::uint32_t> indices;
      for (const WallRegion& region : reading.regions) {
        EXPECT_EQ(region.code.identity.output, static_cast<std::uint32_t>(c.output));
        EXPECT_FALSE(region.code.changeCaught);
        indices.insert(region.code.identity.region);
        if (counter < 0) counter = region.code.firstFrame;
        EXPECT_EQ(region.code.firstFrame, static_cast<std::uint16_t>(counter + frame))
            << "cabinet " << region.code.identity.region << " in frame " << frame;
      }
      EXPECT_EQ(indices.size(), cabinets);
      EXPECT_EQ(*indices.rbegin(), cabinets - 1);
    }
  }
}

}  // namespace

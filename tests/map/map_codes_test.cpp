// MAP's frame codes read back: the real module draws a layout with "Frame
// Codes" on, and veltrima-sync-read's wall reader finds in the frame every
// shown cabinet's code, with the output number set, the cabinet's index in
// the layout as its region, and one counter for the whole frame that the
// next frame moves on by one. With the switch off no code is drawn. Photos
// of those frames (through the wall tests' camera) read with the layout name
// every cabinet and its port, and a layout that does not match is said.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include <cmath>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "MapKit.h"
#include "map/layout/Layout.h"
#include "map/layout/LayoutFile.h"
#include "tests/ScratchFolder.h"
#include "tests/sync/CameraShot.h"
#include "tools/sync-read/WallCommand.h"
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

// A wall of columns x rows square cabinets of `side` px, row r chained on
// port r % ports (A first).
std::string GeneratedWall(const ScratchFolder& folder, int columns, int rows, int side, int ports = 1) {
  const std::string path = (folder.Path() / ("generated" + std::to_string(ports) + ".csv")).string();
  std::ofstream out(path);
  out << "id,x,y,w,h,label,rot,port,chain\n";
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c)
      out << "G" << r * columns + c << "," << c * side << "," << r * side << "," << side << ","
          << side << ",,0," << static_cast<char>('A' + r % ports) << "," << r / ports * columns + c + 1
          << "\n";
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

// A photo of MAP's frame codes read with --layout: each case draws `drawn`
// (screen `drawnScreen`) and reads it against `read` (with --screen when
// `readScreen` is set). Regions placed must be the read layout's cabinets of
// the screen shown, each once, with its port; the rest are counted.
struct PlacedCase {
  const char* what;
  std::string drawn;
  int drawnScreen;
  std::string read;
  std::optional<int> readScreen;
  Camera camera;
  int exit;
  std::size_t placed, unplaced, unseen;
};

TEST(MapFrameCodes, APhotoReadWithTheLayoutNamesCabinetsAndPorts) {
  ScratchFolder folder("map_codes_layout");
  const std::string big = GeneratedWall(folder, 23, 22, 130, 4);  // 506 cabinets on ports A-D
  const std::string wall = std::string(VELTRIMA_MAP_EXAMPLES) + "/wall.xml";  // 6 + 4 cabinets
  Camera phone;
  phone.width = 4032, phone.height = 3024, phone.cellSize = 6, phone.cellPixels = 6;
  Camera offAxis = phone;
  offAxis.yawDegrees = 25, offAxis.rollDegrees = 5, offAxis.blurSigma = 0.6, offAxis.noiseSigma = 3,
  offAxis.jpegQuality = 80;
  Camera atTheMinimum = phone;
  atTheMinimum.cellSize = 4, atTheMinimum.cellPixels = 4, atTheMinimum.jpegQuality = 80;
  const PlacedCase cases[] = {
      {"example wall, screen 1", wall, 1, wall, std::nullopt, offAxis, 0, 6, 0, 0},
      {"example wall, screen 2 chosen", wall, 2, wall, 2, phone, 0, 4, 0, 0},
      {"506 cabinets at 4 camera pixels per cell", big, 1, big, 1, atTheMinimum, 0, 506, 0, 0},
      {"screen 2 read as screen 1", wall, 2, wall, 1, phone, 0, 0, 4, 6},
      {"506 cabinets read with the example wall", big, 1, wall, std::nullopt, atTheMinimum, 0, 6, 500, 0},
      {"a screen the layout lacks", wall, 1, wall, 3, phone, 2, 0, 0, 0},
  };
  int n = 0;
  for (const PlacedCase& c : cases) {
    SCOPED_TRACE(c.what);
    const auto drawn = layout::LoadLayoutFile(c.drawn);
    const auto read = layout::LoadLayoutFile(c.read);
    ASSERT_TRUE(drawn.ok() && read.ok());
    const layout::Extent extent = layout::ScreenCanvasExtent(drawn.value(), c.drawnScreen);
    MapInstance map(static_cast<int>(extent.w), static_cast<int>(extent.h));
    ASSERT_EQ(map.SetFile(c.drawn), FF_SUCCESS);
    map.Apply({{"Screen", static_cast<float>(c.drawnScreen)},
               {"Frame Codes", 1.0f},
               {"Output Number", 5.0f},
               {"Code Cell px", static_cast<float>(c.camera.cellSize)}});
    const std::string photo = (folder.Path() / ("photo" + std::to_string(n) + ".png")).string();
    const std::string json = (folder.Path() / ("read" + std::to_string(n++) + ".json")).string();
    ASSERT_TRUE(cv::imwrite(photo, CameraShot(Grey(map.Frame()), c.camera)));
    WallOptions options;
    options.photo = photo;
    options.json = json;
    options.layout = c.read;
    options.screen = c.readScreen;
    ASSERT_EQ(RunWall(options), c.exit);
    if (c.exit == 2) continue;

    const nlohmann::json result = nlohmann::json::parse(std::ifstream(json));
    // The read layout's cabinets of the screen shown, by ID, with their ports.
    const int shown = c.readScreen ? *c.readScreen : 1;
    std::map<std::string, std::string> expected;
    for (std::size_t i : layout::CabinetsOfScreen(read.value(), shown))
      expected[read.value().cabinets[i].id] = layout::PortName(read.value().cabinets[i].port);
    std::size_t placed = 0;
    for (const auto& region : result["regions"]) {
      if (region["cabinet"].is_null()) continue;
      ++placed;
      const std::string id = region["cabinet"];
      ASSERT_EQ(expected.count(id), 1u) << id << " placed twice, or not on screen " << shown;
      EXPECT_EQ(region["port"].is_null() ? std::string() : region["port"].get<std::string>(), expected[id]) << id;
      expected.erase(id);
    }
    EXPECT_EQ(placed, c.placed);
    EXPECT_EQ(result["unplaced"].size(), c.unplaced);
    EXPECT_EQ(result["unseen_cabinets"].size(), c.unseen);
    EXPECT_EQ(result["regions"].size(), c.placed + c.unplaced) << "every region is placed or said to be unplaced";
  }
}

}  // namespace

// What the MAP plug-in writes on screen, read from the figures of its last
// frame (the plug-in's code linked in): the error screen of every kind of
// bad file names the file and the fault, in the banner and in the centre
// (a name too long for its line cut, ending in the ellipsis glyph);
// names from a layout show a small x as the letter it is, while the sizes
// the plug-in writes keep the font's small x between their numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "BadFiles.h"
#include "LinkedMap.h"
#include "map/MapFrame.h"
#include "map/Parameters.h"

namespace {

constexpr int kWidth = 960, kHeight = 540;

std::vector<std::string> Texts(const hostkit::HostInstance& map) {
  std::vector<std::string> texts;
  for (const ScreenText& t : TextsOf(map)) texts.push_back(t.text);
  return texts;
}

// `line` writes `expected` whole, or, for a text too long for the line, at
// least its first 40 characters and then the ellipsis glyph.
void ExpectShows(const std::string& line, const std::string& expected, const char* where) {
  const std::string ellipsis = "\xE2\x80\xA6";
  const bool cut = line.size() >= ellipsis.size() &&
                   line.compare(line.size() - ellipsis.size(), ellipsis.size(), ellipsis) == 0;
  const std::string kept = cut ? line.substr(0, line.size() - ellipsis.size()) : line;
  const bool shown = cut ? kept.size() >= 40 && kept.size() < expected.size() &&
                               expected.compare(0, kept.size(), kept) == 0
                         : line == expected;
  EXPECT_TRUE(shown) << where << " shows \"" << line << "\", not \"" << expected.substr(0, 60)
                     << "\"";
}

class MapErrorScreen : public ::testing::TestWithParam<BadFile> {};

TEST_P(MapErrorScreen, NamesTheFileAndTheFault) {
  const BadFile& c = GetParam();
  LinkedMapContext();
  hostkit::HostInstance map(LinkedMap(), kWidth, kHeight);
  ASSERT_EQ(LinkedMap().SetTextParameter(map.Id(), kMapFile, c.make().c_str()), FF_SUCCESS);
  ASSERT_TRUE(Settle(map));
  std::vector<std::string> banner, centre;
  for (const ScreenText& t : TextsOf(map))
    (t.y < BannerHeight(kHeight) ? banner : centre).push_back(t.text);
  ASSERT_EQ(banner.size(), 2u) << "the banner's title and message";
  ASSERT_EQ(centre.size(), 2u) << "the centre's name and message";
  ExpectShows(banner[0], "CANNOT LOAD " + c.shownName, "the banner's title");
  ExpectShows(centre[0], c.shownName, "the centre's first line");
  EXPECT_NE(banner[1].find(c.message), std::string::npos) << banner[1];
  EXPECT_EQ(centre[1], banner[1]) << "both messages";
}

INSTANTIATE_TEST_SUITE_P(Faults, MapErrorScreen, ::testing::ValuesIn(BadFiles()),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(MapScreenText, ASmallXIsALetterInNamesAndASignInSizes) {
  const std::string path = Temp().Write("boxes.json", R"({"screens": ["Box wall"], "cabinets": [
      {"id": "box", "x": 0, "y": 0, "w": 480, "h": 270},
      {"id": "C2", "label": "Max", "x": 480, "y": 0, "w": 480, "h": 270}]})");
  LinkedMapContext();
  hostkit::HostInstance map(LinkedMap(), kWidth, kHeight);
  ASSERT_EQ(LinkedMap().SetTextParameter(map.Id(), kMapFile, path.c_str()), FF_SUCCESS);
  for (FFUInt32 p : {kMapShowCoordinates, kMapShowOrientation, kMapShowArrows, kMapShowHatch})
    ASSERT_EQ(map.Set(p, 0), FF_SUCCESS);
  for (FFUInt32 p : {kMapShowLabels, kMapShowInfo}) ASSERT_EQ(map.Set(p, 1), FF_SUCCESS);
  ASSERT_TRUE(Settle(map));
  EXPECT_EQ(Texts(map), (std::vector<std::string>{
                            "BOX", "NO PORT", "480x270", "MAX", "NO PORT", "480x270",
                            "BOXES.JSON \xC2\xB7 2 CABINETS \xC2\xB7 SCREEN 1 BOX WALL",
                            "CANVAS 960x270, OUTPUT 960x540"}));
}

// A screen the file does not have is said in words, with the screens the
// file names; a file without names says only the first line.
TEST(MapScreenText, AScreenPastTheFilesScreensSaysSo) {
  LinkedMapContext();
  const std::string named = std::string(VELTRIMA_MAP_LAYOUTS) + "/screens.xml";
  const std::string unnamed = std::string(VELTRIMA_MAP_LAYOUTS) + "/mixed.csv";
  const struct {
    const std::string& path;
    float screen;
    std::vector<std::string> texts;
  } cases[] = {
      {named, 5,
       {"SCREENS.XML", "SCREEN 5 OF 2: NO SUCH SCREEN",
        "SCREENS: 1 LEFT \xC2\xB7 2 RIGHT"}},
      {unnamed, 3, {"MIXED.CSV", "SCREEN 3 OF 1: NO SUCH SCREEN"}},
  };
  for (const auto& c : cases) {
    hostkit::HostInstance map(LinkedMap(), kWidth, kHeight);
    ASSERT_EQ(LinkedMap().SetTextParameter(map.Id(), kMapFile, c.path.c_str()), FF_SUCCESS);
    ASSERT_EQ(map.Set(kMapScreen, c.screen), FF_SUCCESS);
    ASSERT_TRUE(Settle(map));
    EXPECT_EQ(Texts(map), c.texts) << c.path << " screen " << c.screen;
  }
}

}  // namespace

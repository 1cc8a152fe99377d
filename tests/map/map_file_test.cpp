// Layout files through the "Map File" parameter of the loaded module: every
// kind of bad file gives the error screen (the red banner) and one logged
// message naming the fault, and never a crash (map_screen_text_test reads
// what that screen writes); a failed read keeps the last
// good layout under the banner; setting the same path again reads the
// edited file; paths may hold any UTF-8.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "BadFiles.h"
#include "MapKit.h"
#include "map/Palette.h"

namespace {

const Rgba kBlack{0, 0, 0, 1};
const Rgba kWhite{1, 1, 1, 1};
// A pixel of the error screen's banner (across the top): the top-right
// corner, where no banner text reaches.
constexpr int kBannerX = 959, kBannerY = 0;

class BadLayoutFile : public ::testing::TestWithParam<BadFile> {};

TEST_P(BadLayoutFile, ShowsTheErrorScreenAndLogsTheFaultOnce) {
  const BadFile& c = GetParam();
  const std::string path = c.make();
  MapInstance map;
  MapLog().clear();
  ASSERT_EQ(map.SetFile(path), FF_SUCCESS);
  Pixels f = map.Frame();
  for (int i = 0; i < 3; ++i) f = map.Frame();
  ExpectAt(f, kBannerX, kBannerY, ToRgba(map_palette::kBanner.colour), "the banner");
  ASSERT_EQ(MapLog().size(), 1u) << "one message for one read, however many frames";
  EXPECT_NE(MapLog()[0].find(c.message), std::string::npos) << MapLog()[0];
  EXPECT_EQ(MapLog()[0].rfind("OVNVeltrima MAP: ", 0), 0u) << MapLog()[0];
  // The rest of the screen is black but for the centred text.
  ExpectAt(f, 0, 539, kBlack, "bottom-left of the error screen");
}

INSTANTIATE_TEST_SUITE_P(Faults, BadLayoutFile, ::testing::ValuesIn(BadFiles()),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(MapFile, AFailedReadKeepsTheLastGoodLayoutUnderTheBanner) {
  MapInstance map;
  ASSERT_EQ(map.SetFile(LayoutPath("mixed.csv")), FF_SUCCESS);
  Pixels f = map.Frame();
  ExpectAt(f, kBannerX, kBannerY, ToRgba(map_palette::PortColour(2).colour), "B2's border, no banner");
  MapLog().clear();
  ASSERT_EQ(map.SetFile(Temp().Write("broken.csv", "id,x,y,w,h\nA,0,0,wide,10\n")), FF_SUCCESS);
  f = map.Frame();
  // Over a map the banner goes where it covers no border or text
  // (map_words_test); here the borders around it stay.
  int banner = 0;
  for (int y = 0; y < 540; ++y)
    for (int x = 0; x < 960; ++x) banner += f.At(x, y) == ToRgba(map_palette::kBanner.colour);
  EXPECT_GT(banner, 0) << "the banner";
  ExpectAt(f, kBannerX, kBannerY, ToRgba(map_palette::PortColour(2).colour), "B2's border");
  ExpectAt(f, 0, 300, ToRgba(map_palette::PortColour(1).colour), "A4's border");
  EXPECT_EQ(MapLog().size(), 1u);
}

TEST(MapFile, SettingTheSamePathAgainReadsTheEditedFile) {
  const std::string path = Temp().Write("edited.csv", "id,x,y,w,h,port\nA,0,0,100,100,A\n");
  MapInstance map;
  ASSERT_EQ(map.SetFile(path), FF_SUCCESS);
  ExpectAt(map.Frame(), 0, 50, ToRgba(map_palette::PortColour(1).colour), "port A before");
  Temp().Write("edited.csv", "id,x,y,w,h,port\nA,0,0,100,100,B\n");
  ExpectAt(map.Frame(), 0, 50, ToRgba(map_palette::PortColour(1).colour),
           "frames never read the file");
  ASSERT_EQ(map.SetFile(path), FF_SUCCESS);
  ExpectAt(map.Frame(), 0, 50, ToRgba(map_palette::PortColour(2).colour), "port B after");
}

TEST(MapFile, APathInUtf8IsRead) {
  std::ifstream in(LayoutPath("mixed.csv"), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string path = Temp().Write("w\xC3\xA4nd-\xE7\x94\xBB\xE9\x9D\xA2.csv", bytes);
  MapLog().clear();
  const Pixels f = RenderMap(path);
  ExpectAt(f, 0, 120, ToRgba(map_palette::PortColour(1).colour), "A1's border");
  EXPECT_TRUE(MapLog().empty()) << MapLog().front();
}

TEST(MapFile, AnEmptyOrNullPathSaysNoFileIsLoaded) {
  for (const char* text : {"", static_cast<const char*>(nullptr)}) {
    MapInstance map;
    MapLog().clear();
    ASSERT_EQ(MapPlugin().SetTextParameter(map.Host().Id(), MapParam("Map File"), text),
              FF_SUCCESS);
    const Pixels f = map.Frame();
    ExpectAt(f, kBannerX, kBannerY, kBlack, "no banner");
    EXPECT_TRUE(MapLog().empty());
    bool textShown = false;
    for (int x = 0; x < 960 && !textShown; ++x)
      for (int y = 200; y < 340 && !textShown; ++y) textShown = f.At(x, y) == kWhite;
    EXPECT_TRUE(textShown) << "the centre says no file is loaded";
    const auto* back = static_cast<const char*>(
        MapPlugin().GetParameter(map.Host().Id(), MapParam("Map File")).PointerValue);
    ASSERT_NE(back, nullptr);
    EXPECT_STREQ(back, "");
  }
}

TEST(MapFile, ThePathReadsBackAsSet) {
  MapInstance map;
  const std::string path = LayoutPath("mixed.csv");
  ASSERT_EQ(map.SetFile(path), FF_SUCCESS);
  const auto* back = static_cast<const char*>(
      MapPlugin().GetParameter(map.Host().Id(), MapParam("Map File")).PointerValue);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(std::string(back), path);
}

}  // namespace

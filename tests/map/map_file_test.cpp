// Layout files through the "Map File" parameter of the loaded module: every
// kind of bad file gives the error screen (the red banner) and one logged
// message naming the fault, and never a crash; a failed read keeps the last
// good layout under the banner; setting the same path again reads the
// edited file; paths may hold any UTF-8.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "MapKit.h"
#include "map/Palette.h"

namespace {

namespace fs = std::filesystem;

const Rgba kBlack{0, 0, 0, 1};
const Rgba kWhite{1, 1, 1, 1};
// A banner pixel: the top-right corner, where no banner text reaches.
constexpr int kBannerX = 959, kBannerY = 0;

// A folder of its own for each test program, removed at the end.
class TempFolder {
 public:
  TempFolder() : path_(fs::temp_directory_path() / ("veltrima-map-" + std::to_string(getpid()))) {
    fs::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& Path() const { return path_; }
  std::string Write(const std::string& name, const std::string& bytes) const {
    const fs::path file = path_ / fs::u8path(name);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
    return file.u8string();
  }

 private:
  fs::path path_;
};

const TempFolder& Temp() {
  static TempFolder folder;
  return folder;
}

std::string Rows(int count) {
  std::string text = "id,x,y,w,h\n";
  for (int i = 0; i < count; ++i) text += "C" + std::to_string(i) + ",0,0,10,10\n";
  return text;
}

struct BadFile {
  const char* name;
  // Makes the file (or leaves it out) and answers the path to set.
  std::function<std::string()> make;
  const char* message;  // what the log line must hold
};
void PrintTo(const BadFile& c, std::ostream* out) { *out << c.name; }

const BadFile kBadFiles[] = {
    {"Missing", [] { return (Temp().Path() / "absent.csv").string(); }, "CANNOT OPEN FILE"},
    {"Folder",
     [] {
       fs::create_directories(Temp().Path() / "folder.csv");
       return (Temp().Path() / "folder.csv").string();
     },
     "CANNOT"},
    {"JsonSyntax", [] { return Temp().Write("syntax.json", "{\"cabinets\": [{\"id\": "); }, "JSON"},
    {"XmlSyntax", [] { return Temp().Write("syntax.xml", "<XmlState><ScreenSetup>"); }, "XML"},
    {"MissingColumn", [] { return Temp().Write("column.csv", "id,x,y,w\nA,0,0,10\n"); },
     "MISSING COLUMN H"},
    {"MissingField", [] { return Temp().Write("field.csv", "id,x,y,w,h\nA,0,0,10,\n"); },
     "LINE 2: H IS MISSING"},
    {"NotANumber", [] { return Temp().Write("nan.csv", "id,x,y,w,h\nA,0,0,wide,10\n"); },
     "LINE 2: W IS NOT A NUMBER"},
    {"NegativeSize", [] { return Temp().Write("negative.csv", "id,x,y,w,h\nA,0,0,-5,10\n"); },
     "LINE 2: W IS NEGATIVE"},
    {"UnknownRotation",
     [] { return Temp().Write("rot.csv", "id,x,y,w,h,rot\nA,0,0,10,10,45\n"); },
     "LINE 2: ROT 45 IS NOT 0 90 180 OR 270"},
    {"JsonPath",
     [] { return Temp().Write("path.json", R"({"cabinets": [{"id": "A", "x": 0, "y": 0, "w": "wide", "h": 1}]})"); },
     "CABINETS[0].W IS NOT A NUMBER"},
    {"TooBig",
     [] { return Temp().Write("big.csv", Rows(1) + std::string(16u << 20, '\n')); },
     "FILE IS LARGER THAN 16 MIB"},
    {"TooManyCabinets", [] { return Temp().Write("many.csv", Rows(10001)); },
     "MORE THAN 10000 CABINETS"},
    {"TooLongLine",
     [] { return Temp().Write("long.csv", "id,x,y,w,h,label\nA,0,0,10,10," + std::string(65537, 'L') + "\n"); },
     "LINE 2 IS LONGER THAN 64 KIB"},
    {"TooLongPath", [] { return std::string(5000, 'p') + ".csv"; },
     "PATH IS LONGER THAN 4096 BYTES"},
};

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

INSTANTIATE_TEST_SUITE_P(Faults, BadLayoutFile, ::testing::ValuesIn(kBadFiles),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(MapFile, AFailedReadKeepsTheLastGoodLayoutUnderTheBanner) {
  MapInstance map;
  ASSERT_EQ(map.SetFile(LayoutPath("mixed.csv")), FF_SUCCESS);
  Pixels f = map.Frame();
  ExpectAt(f, kBannerX, kBannerY, ToRgba(map_palette::PortColour(2).colour), "B2's border, no banner");
  MapLog().clear();
  ASSERT_EQ(map.SetFile(Temp().Write("broken.csv", "id,x,y,w,h\nA,0,0,wide,10\n")), FF_SUCCESS);
  f = map.Frame();
  ExpectAt(f, kBannerX, kBannerY, ToRgba(map_palette::kBanner.colour), "the banner");
  ExpectAt(f, 0, 300, ToRgba(map_palette::PortColour(1).colour), "A4's border below the banner");
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

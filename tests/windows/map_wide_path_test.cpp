// The MAP DLL reading a layout whose path is not ASCII, as a Windows host
// hands it over: "Map File" is UTF-8, and Windows opens such a name only
// through its wide API. A golden layout copied into a folder named with
// umlauts must draw exactly the picture made on Linux from the same layout
// (goldens/MapGoldenCases.h); a missing file whose own name has an umlaut
// must give the error screen, never a crash. The copy keeps the layout's
// file name because the info line shows it: another name is other pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "goldens/MapGoldenCases.h"
#include "MapKit.h"
#include "imaging/PngFile.h"
#include "map/Palette.h"

namespace {

namespace fs = std::filesystem;

// The golden case copied under a wide name: the CSV one.
const MapGoldenCase& CsvCase() {
  for (const MapGoldenCase& c : kMapGoldenCases)
    if (std::string(c.layout) == "mixed.csv") return c;
  ADD_FAILURE() << "no golden case for mixed.csv";
  return kMapGoldenCases[0];
}

// "<temp>/wände-ü/", made for the test program and removed at its end.
class WideFolder {
 public:
  WideFolder() : path_(fs::temp_directory_path() / fs::u8path(u8"w\u00e4nde-\u00fc")) {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
    fs::create_directories(path_);
  }
  ~WideFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  WideFolder(const WideFolder&) = delete;
  WideFolder& operator=(const WideFolder&) = delete;
  // The UTF-8 text a host would send for `name` inside the folder.
  std::string Utf8(const std::string& name) const { return (path_ / fs::u8path(name)).u8string(); }
  fs::path Path(const std::string& name) const { return path_ / fs::u8path(name); }

 private:
  fs::path path_;
};

TEST(MapWidePath, AGoldenLayoutUnderAWideNameDrawsTheLinuxPicture) {
  const MapGoldenCase& c = CsvCase();
  const WideFolder folder;
  const std::string name = c.layout;
  fs::copy_file(fs::u8path(LayoutPath(c.layout)), folder.Path(name));
  const std::string path = folder.Utf8(name);
  ASSERT_NE(path.find(u8"\u00e4"), std::string::npos) << "the path must be UTF-8: " << path;

  const std::string goldenPath = std::string(VELTRIMA_GOLDEN_DIR) + "/" + c.image;
  const Image golden = ReadPng(goldenPath);
  ASSERT_EQ(golden.width, c.width) << goldenPath;
  ASSERT_EQ(golden.height, c.height) << goldenPath;

  MapInstance map(c.width, c.height);
  MapLog().clear();
  ASSERT_EQ(map.SetFile(path), FF_SUCCESS);
  map.Apply({{"Screen", static_cast<float>(c.screen)}});
  ASSERT_EQ(map.Host().RunFrames(1), FF_SUCCESS);
  EXPECT_TRUE(MapLog().empty()) << "the plug-in logged: " << MapLog().front();
  const std::vector<std::uint16_t> frame = ToRgba16(map.Host().Target().ReadOutput());
  ASSERT_EQ(frame.size(), golden.rgba.size());
  std::size_t differing = 0, first = frame.size();
  for (std::size_t i = 0; i < frame.size(); ++i)
    if (frame[i] != golden.rgba[i] && differing++ == 0) first = i;
  const auto width = static_cast<std::size_t>(c.width);
  std::ostringstream where;
  if (differing > 0) where << ", first at (" << (first / 4) % width << "," << (first / 4) / width << ")";
  // Printed for scripts/test-windows.sh's summary.
  std::printf("map wide path: %zu of %zu channels differ from %s%s\n", differing, frame.size(),
              c.image, where.str().c_str());
  EXPECT_EQ(differing, 0u) << path << " against " << goldenPath << where.str();
}

TEST(MapWidePath, AMissingWideNameGivesTheErrorScreen) {
  const WideFolder folder;
  const std::string path = folder.Utf8(u8"fehlt-\u00fc.csv");
  MapInstance map(960, 540);
  MapLog().clear();
  ASSERT_EQ(map.SetFile(path), FF_SUCCESS);
  const Pixels f = map.Frame();
  // The top-right corner, where no banner text reaches.
  ExpectAt(f, 959, 0, ToRgba(map_palette::kBanner.colour), "the banner");
  ASSERT_EQ(MapLog().size(), 1u);
  EXPECT_NE(MapLog()[0].find("CANNOT OPEN FILE"), std::string::npos) << MapLog()[0];
}

}  // namespace

// Golden MAP pictures: one per layout format, the first frame of a fresh
// instance with every parameter at its default but the file and the screen,
// must equal its stored 16-bit PNG in every channel of every pixel. The
// images are made by scripts/update-goldens.sh (make-map-goldens), never by
// this test.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "goldens/MapGoldenCases.h"
#include "MapKit.h"
#include "imaging/PngFile.h"

namespace {

class MapGolden : public ::testing::TestWithParam<MapGoldenCase> {};

TEST_P(MapGolden, MatchesTheStoredImageExactly) {
  const MapGoldenCase& c = GetParam();
  const std::string path = std::string(VELTRIMA_GOLDEN_DIR) + "/" + c.image;
  ASSERT_TRUE(std::filesystem::exists(path))
      << "no golden image " << path << "; make the images with scripts/update-goldens.sh";
  const Image golden = ReadPng(path);
  ASSERT_EQ(golden.width, c.width) << path;
  ASSERT_EQ(golden.height, c.height) << path;

  MapInstance map(c.width, c.height);
  ASSERT_EQ(map.SetFile(LayoutPath(c.layout)), FF_SUCCESS);
  map.Apply({{"Screen", static_cast<float>(c.screen)}});
  map.Frame();  // until the file is read
  const std::vector<std::uint16_t> frame = ToRgba16(map.Host().Target().ReadOutput());
  ASSERT_EQ(frame.size(), golden.rgba.size());
  std::size_t differing = 0, first = frame.size();
  for (std::size_t i = 0; i < frame.size(); ++i)
    if (frame[i] != golden.rgba[i] && differing++ == 0) first = i;
  std::ostringstream where;
  if (differing > 0)
    where << "; first at (" << (first / 4) % static_cast<std::size_t>(c.width) << ","
          << (first / 4) / static_cast<std::size_t>(c.width) << ")";
  EXPECT_EQ(differing, 0u) << c.image << ": " << differing << " channels differ from " << path
                           << where.str()
                           << " (if the change is intended, run scripts/update-goldens.sh)";
}

INSTANTIATE_TEST_SUITE_P(Formats, MapGolden, ::testing::ValuesIn(kMapGoldenCases),
                         [](const auto& test) {
                           std::string name = test.param.layout;
                           for (char& ch : name)
                             if (ch == '.') ch = '_';
                           return name;
                         });

}  // namespace

// What a host sees of the MAP module through plugMain: its registration,
// its parameter table (the file parameter with its extensions, the screen as
// an integer), and that values no host should send (NaN, infinities, huge)
// still give a frame.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <string>

#include "MapKit.h"
#include "map/Palette.h"

namespace {

TEST(MapContract, RegistersAsASourceNamedOVNVeltrimaMAP) {
  const PluginInfoStruct* info = MapPlugin().GetInfo();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(info->PluginUniqueID), 4), "KZRM");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(info->PluginName),
                        strnlen(reinterpret_cast<const char*>(info->PluginName), 16)),
            "OVNVeltrima MAP");
  EXPECT_EQ(info->PluginType, static_cast<FFUInt32>(FF_SOURCE));
  EXPECT_EQ(info->APIMajorVersion, 2u);
  EXPECT_EQ(info->APIMinorVersion, 1u);
  const PluginExtendedInfoStruct* extended = MapPlugin().GetExtendedInfo();
  ASSERT_NE(extended, nullptr);
  EXPECT_EQ(extended->PluginMajorVersion, 1u);
  EXPECT_EQ(extended->PluginMinorVersion, 0u);
}

TEST(MapContract, TheMapFileIsAFileParameterForCsvJsonAndXml) {
  const FFUInt32 file = MapParam("Map File");
  EXPECT_EQ(MapPlugin().GetParameterType(file), static_cast<FFUInt32>(FF_TYPE_FILE));
  std::set<std::string> extensions;
  const FFUInt32 count = MapPlugin().GetFileExtensionCount(file);
  for (FFUInt32 i = 0; i < count; ++i)
    if (const char* e = MapPlugin().GetFileExtension(file, i)) extensions.insert(e);
  EXPECT_EQ(extensions, (std::set<std::string>{"csv", "json", "xml"}));
  EXPECT_EQ(MapPlugin().GetFileExtension(file, count), nullptr) << "past the last extension";
  EXPECT_EQ(MapPlugin().GetFileExtensionCount(MapParam("Screen")), 0u);
  const auto* fallback = static_cast<const char*>(MapPlugin().GetParameterDefault(file).PointerValue);
  ASSERT_NE(fallback, nullptr);
  EXPECT_STREQ(fallback, "") << "no file until the host names one";
}

TEST(MapContract, TheScreenIsAnIntegerFromOne) {
  const FFUInt32 screen = MapParam("Screen");
  EXPECT_EQ(MapPlugin().GetParameterType(screen), static_cast<FFUInt32>(FF_TYPE_INTEGER));
  float lo = 0, hi = 0;
  ASSERT_EQ(MapPlugin().GetRange(screen, lo, hi), FF_SUCCESS);
  EXPECT_EQ(lo, 1.0f);
  EXPECT_GT(hi, 1.0f);
  EXPECT_EQ(hostkit::FloatFromBits(MapPlugin().GetParameterDefault(screen).UIntValue), 1.0f);
}

TEST(MapContract, ValuesNoHostShouldSendStillGiveAFrame) {
  const float hostile[] = {std::numeric_limits<float>::quiet_NaN(),
                           std::numeric_limits<float>::infinity(),
                           -std::numeric_limits<float>::infinity(), 1e30f, -1e30f};
  const FFUInt32 count = MapPlugin().GetNumParameters();
  for (float value : hostile) {
    MapInstance map;
    ASSERT_EQ(map.SetFile(LayoutPath("mixed.csv")), FF_SUCCESS);
    for (FFUInt32 i = 0; i < count; ++i) {
      if (MapPlugin().GetParameterType(i) == FF_TYPE_FILE) continue;
      EXPECT_EQ(map.Host().Set(i, value), FF_SUCCESS) << "parameter " << i;
    }
    // The screen back on the one that has the wall.
    map.Apply({{"Screen", 1.0f}});
    const Pixels f = map.Frame();
    // Whatever the line width became, A1's outermost column is its border,
    // unless brightness went to 0 (then it is black).
    const Rgba seen = f.At(0, 120);
    const Rgba portA = ToRgba(map_palette::PortColour(1).colour);
    EXPECT_TRUE(seen == portA || seen == Rgba(0, 0, 0, 1)) << value << ": " << seen;
  }
}

}  // namespace

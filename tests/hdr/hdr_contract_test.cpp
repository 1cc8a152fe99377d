// What a host sees of the HDR module through plugMain: its registration, its
// parameter table exactly as named, and that values no host should send
// (NaN, infinities, huge) still give a frame of codes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "HdrKit.h"

namespace {

TEST(HdrContract, RegistersAsASourceNamedOVNVeltrimaHDR) {
  const PluginInfoStruct* info = HdrPlugin().GetInfo();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(info->PluginUniqueID), 4), "KZRH");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(info->PluginName),
                        strnlen(reinterpret_cast<const char*>(info->PluginName), 16)),
            "OVNVeltrima HDR");
  EXPECT_EQ(info->PluginType, static_cast<FFUInt32>(FF_SOURCE));
  EXPECT_EQ(info->APIMajorVersion, 2u);
  EXPECT_EQ(info->APIMinorVersion, 1u);
  const PluginExtendedInfoStruct* extended = HdrPlugin().GetExtendedInfo();
  ASSERT_NE(extended, nullptr);
  EXPECT_EQ(extended->PluginMajorVersion, 1u);
  EXPECT_EQ(extended->PluginMinorVersion, 0u);
}

struct Declared {
  const char* name;
  FFUInt32 type;
  float defaultValue, lo, hi;
  std::vector<std::string> elements;
};

TEST(HdrContract, TheParametersAreNamedTypedAndRangedAsAsked) {
  const Declared expected[] = {
      {"Pattern", FF_TYPE_OPTION, 0, 0, 6,
       {"BT.2111 Bars", "PLUGE", "Nit Steps", "Signal Steps", "Ramp", "Patch", "Chain Check"}},
      {"Signal", FF_TYPE_OPTION, 0, 0, 5,
       {"PQ Narrow", "PQ Full", "HLG Narrow", "HLG Full", "SDR Narrow", "SDR Full"}},
      {"Peak nits", FF_TYPE_INTEGER, 1000, 100, 10000, {}},
      {"Steps", FF_TYPE_INTEGER, 11, 2, 64, {}},
      {"Labels", FF_TYPE_BOOLEAN, 1, 0, 1, {}},
      {"Patch Red", FF_TYPE_INTEGER, 512, 0, 1023, {}},
      {"Patch Green", FF_TYPE_INTEGER, 512, 0, 1023, {}},
      {"Patch Blue", FF_TYPE_INTEGER, 512, 0, 1023, {}},
      {"Patch Size %", FF_TYPE_INTEGER, 10, 1, 100, {}},
      {"Background %", FF_TYPE_STANDARD, 0, 0, 1, {}},
      {"Framebuffer Warning", FF_TYPE_BOOLEAN, 1, 0, 1, {}},
      {"Patch Source", FF_TYPE_OPTION, 0, 0, 2, {"Parameters", "Resolve", "ArgyllCMS Web"}},
      {"Server", FF_TYPE_TEXT, 0, 0, 1, {}},
      {"Settle Frames", FF_TYPE_INTEGER, 2, 1, 60, {}},
      {"Status Line", FF_TYPE_BOOLEAN, 1, 0, 1, {}},
      {"Patch Levels", FF_TYPE_OPTION, 0, 0, 1, {"Codes As Sent", "Full Scale To Range"}},
  };
  ASSERT_EQ(HdrPlugin().GetNumParameters(), std::size(expected));
  HdrContext();
  hostkit::HostInstance host(HdrPlugin(), 4, 4);
  for (FFUInt32 i = 0; i < std::size(expected); ++i) {
    const Declared& d = expected[i];
    ASSERT_NE(HdrPlugin().GetParameterName(i), nullptr);
    EXPECT_STREQ(HdrPlugin().GetParameterName(i), d.name);
    EXPECT_EQ(HdrPlugin().GetParameterType(i), d.type) << d.name;
    if (d.type == FF_TYPE_TEXT) {
      // A text's default is empty: the source's own default server.
      const auto* text = static_cast<const char*>(HdrPlugin().GetParameterDefault(i).PointerValue);
      ASSERT_NE(text, nullptr) << d.name;
      EXPECT_STREQ(text, "") << d.name;
      continue;
    }
    EXPECT_EQ(hostkit::FloatFromBits(HdrPlugin().GetParameterDefault(i).UIntValue), d.defaultValue)
        << d.name;
    if (d.type == FF_TYPE_INTEGER) {
      float lo = -1, hi = -1;
      ASSERT_EQ(HdrPlugin().GetRange(i, lo, hi), FF_SUCCESS) << d.name;
      EXPECT_EQ(lo, d.lo) << d.name;
      EXPECT_EQ(hi, d.hi) << d.name;
    }
    std::vector<std::string> elements;
    if (d.type == FF_TYPE_OPTION) {
      const FFUInt32 count = HdrPlugin().GetElementCount(host.Id(), i);
      for (FFUInt32 e = 0; e < count; ++e) {
        const char* name = HdrPlugin().GetElementName(host.Id(), i, e);
        elements.emplace_back(name ? name : "(null)");
        EXPECT_EQ(hostkit::FloatFromBits(HdrPlugin().GetElementValue(host.Id(), i, e).UIntValue),
                  static_cast<float>(e))
            << d.name << " " << e;
      }
    }
    EXPECT_EQ(elements, d.elements) << d.name;
  }
}

TEST(HdrContract, ValuesNoHostShouldSendStillGiveAFrameOfCodes) {
  const float hostile[] = {std::numeric_limits<float>::quiet_NaN(),
                           std::numeric_limits<float>::infinity(),
                           -std::numeric_limits<float>::infinity(), 1e30f, -1e30f};
  const FFUInt32 count = HdrPlugin().GetNumParameters();
  for (float value : hostile)
    for (int pattern = 0; pattern < 7; ++pattern) {
      Settings settings;
      for (FFUInt32 i = 0; i < count; ++i) {
        if (HdrPlugin().GetParameterType(i) == FF_TYPE_TEXT) continue;  // takes no number
        settings.push_back(Value(HdrPlugin().GetParameterName(i), value));
      }
      settings.push_back(Value("Pattern", static_cast<float>(pattern)));
      // RenderHdr fails the test for any pixel that is not a code.
      const CodeFrame f = RenderHdr(settings, 320, 180);
      EXPECT_EQ(f.Width(), 320) << value;
    }
}

// A frame whose picture just changed is drawn directly, later ones are
// copied from the picture kept: the two must be the same, pixel for pixel,
// on a float and on an 8-bit target. (Chain Check's strip changes every
// frame; hdr_chaincheck_test holds the rest of its frames to this.)
TEST(HdrContract, KeptFramesEqualTheFrameDrawnFirst) {
  HdrContext();
  for (hostkit::PixelFormat format : {hostkit::PixelFormat::RGBA32F, hostkit::PixelFormat::RGBA8})
    for (int pattern = 0; pattern < 6; ++pattern) {
      hostkit::HostInstance host(HdrPlugin(), 640, 360, format);
      host.Set(HdrParam("Pattern"), static_cast<float>(pattern));
      ASSERT_EQ(host.RunFrames(1), FF_SUCCESS);
      const std::vector<float> drawn = host.Target().ReadOutput();
      host.Target().Clear(0.5f, 0.5f, 0.5f, 0.5f);
      ASSERT_EQ(host.RunFrames(2), FF_SUCCESS);
      EXPECT_TRUE(host.Target().ReadOutput() == drawn) << "pattern " << pattern;
    }
}

}  // namespace

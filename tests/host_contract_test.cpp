// Registration-wide answers of plugMain: information records, capabilities,
// codes the plug-in does not handle, and the prototype's life.
#include <cstring>
#include <string>

#include "PluginFixture.h"

namespace {

const char kDescription[] =
    "Free LED wall / pixel-map test patterns: numbered panel grid, raster, colour bars, "
    "RGBW ramps, solid colours, line sweep, pixel checker. More effects: https://ovnveltrima.io";
const char kAbout[] =
    "OVNVeltrima FREE 1.0 - free LED wall and pixel-map test patterns. "
    "Download: https://ovnveltrima.io";

TEST(Registration, InformationRecordIsByteExact) {
  const auto* info = Plugin().GetInfo();
  ASSERT_NE(info, nullptr);
  // API 2.1, "KZRB" with no terminator, the 16-character name with no
  // terminator inside its field, source type 1; little-endian.
  const unsigned char expected[32] = {
      2, 0, 0, 0, 1, 0, 0, 0, 'K', 'Z', 'R', 'B', 'O', 'V', 'N', 'V', 'e', 'l', 't', 'r',
      'i', 'm', 'a', ' ', 'F', 'R', 'E', 'E', 1, 0, 0, 0};
  EXPECT_EQ(std::memcmp(info, expected, sizeof expected), 0);
  // The same record every time.
  EXPECT_EQ(Plugin().GetInfo(), info);
}

TEST(Registration, ExtendedInformationRecord) {
  const auto* extended = Plugin().GetExtendedInfo();
  ASSERT_NE(extended, nullptr);
  EXPECT_EQ(extended->PluginMajorVersion, 1u);
  EXPECT_EQ(extended->PluginMinorVersion, 0u);
  ASSERT_NE(extended->Description, nullptr);
  ASSERT_NE(extended->About, nullptr);
  EXPECT_STREQ(extended->Description, kDescription);
  EXPECT_STREQ(extended->About, kAbout);
  EXPECT_EQ(extended->FreeFrameExtendedDataSize, 0u);
  EXPECT_EQ(extended->FreeFrameExtendedDataBlock, nullptr);
}

TEST(Registration, Capabilities) {
  const struct {
    FFUInt32 capability;
    FFUInt32 answer;
  } cases[] = {{5, 1}, {10, 0}, {11, 0}, {16, 0}, {4, 0}, {0, 0}, {1000, 0}, {FF_FAIL, 0}};
  for (const auto& c : cases)
    EXPECT_EQ(Plugin().GetCapability(c.capability), c.answer) << "capability " << c.capability;
  EXPECT_EQ(Plugin().QueryPluginValue().PointerValue, nullptr);
}

TEST(Registration, UnhandledCodesFailAndChangeNothing) {
  const FFUInt32 codes[] = {1, 3, 11, 12, 14, 24, 25, 26, 27, 28, 29, 30, 52, 100, 0xFFFFu,
                            FF_FAIL};
  for (FFUInt32 code : codes) {
    const FFMixed answer = Plugin().Call(code, 0);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(answer.PointerValue), FF_FAIL) << "code " << code;
  }
  EXPECT_EQ(Plugin().GetNumParameters(), 16u);
}

TEST(Registration, PrototypeIsRemadeAfterDeinitialise) {
  ASSERT_EQ(Plugin().GetNumParameters(), 16u);
  EXPECT_EQ(Plugin().Deinitialise(), FF_SUCCESS);
  EXPECT_EQ(Plugin().GetNumParameters(), 16u);
  EXPECT_STREQ(Plugin().GetParameterName(15), "Credit");
  EXPECT_EQ(Plugin().Deinitialise(), FF_SUCCESS);
  EXPECT_EQ(Plugin().Initialise(), FF_SUCCESS);
  EXPECT_EQ(Plugin().Initialise(), FF_SUCCESS);
  EXPECT_EQ(Plugin().GetNumParameters(), 16u);
}

TEST(Registration, ThumbnailIsRefusedWithZeroSize) {
  GetThumbnailStruct thumbnail{7, 9, nullptr};
  EXPECT_EQ(Plugin().GetThumbnail(thumbnail), FF_FAIL);
  EXPECT_EQ(thumbnail.width, 0u);
  EXPECT_EQ(thumbnail.height, 0u);
}

// Codes that read a record through their input pointer answer failure (or
// null for pointer answers) when that pointer is null, instead of crashing.
TEST(Registration, NullRecordsOnPrototypeCodes) {
  for (FFUInt32 code : {FF_GET_PARAM_ELEMENT_DEFAULT, FF_GET_RANGE, FF_GET_THUMBNAIL,
                        FF_GET_SEPARATOR_ELEMENT_INDEX, FF_GET_PARAMETER_GROUP,
                        FF_INSTANTIATE_GL})
    EXPECT_TRUE(IsFailure(Plugin().CallWith(code, nullptr))) << "code " << code;
  for (FFUInt32 code : {FF_GET_PARAM_ELEMENT_NAME, FF_GET_FILE_PARAMETER_EXTENSION})
    EXPECT_EQ(Plugin().CallWith(code, nullptr).PointerValue, nullptr) << "code " << code;

  // A text-buffer record whose buffer pointer is null, or whose size is 0.
  GetStringStruct noBuffer{0, nullptr, 16};
  EXPECT_EQ(Plugin().GetParameterGroup(noBuffer), FF_FAIL);
  char text[4] = {'a', 'b', 'c', 'd'};
  GetStringStruct noRoom{0, text, 0};
  EXPECT_EQ(Plugin().GetParameterGroup(noRoom), FF_FAIL);
}

TEST(Registration, LogCallbackIsStoredAndNeverCalled) {
  static int calls = 0;
  Plugin().SetLogCallback([](const char*) { ++calls; });
  Plugin().SetLogCallback(nullptr);
  Plugin().SetLogCallback([](const char*) { ++calls; });
  EXPECT_EQ(Plugin().GetNumParameters(), 16u);
  Plugin().Call(FF_GET_PARAMETER_NAME, 99);
  Plugin().SetLogCallback(nullptr);
  EXPECT_EQ(calls, 0);
}

}  // namespace

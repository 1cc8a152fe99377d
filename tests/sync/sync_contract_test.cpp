// The SYNC module as a host meets it, loaded with dlopen and driven through
// plugMain: its two exports, its information records, its parameters (texts
// included) with their defaults, and the defined failure for null records,
// unknown IDs, NaN and huge values, and instances that no longer live.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <set>
#include <string>

#include "hostkit/GLContext.h"
#include "hostkit/HostInstance.h"
#include "hostkit/PluginLibrary.h"
#include "hostkit/SafeText.h"
#include "sync/Parameters.h"

namespace {

hostkit::PluginLibrary& Sync() {
  static hostkit::PluginLibrary plugin(VELTRIMA_SYNC_PLUGIN_PATH);
  return plugin;
}

hostkit::GLContext& Context() {
  static hostkit::GLContext context(hostkit::OptionsFromEnvironment());
  context.MakeCurrent();
  return context;
}

bool IsFailure(FFMixed answer) { return reinterpret_cast<std::uintptr_t>(answer.PointerValue) == FF_FAIL; }

TEST(SyncModule, InformationRecordIsByteExact) {
  const auto* info = Sync().GetInfo();
  ASSERT_NE(info, nullptr);
  const unsigned char expected[32] = {2,   0,   0,   0,   1,   0,   0,   0,   'K', 'Z', 'R',
                                      'S', 'O', 'V', 'N', 'V', 'e', 'l', 't', 'r', 'i', 'm',
                                      'a', ' ', 'S', 'Y', 'N', 'C', 1,   0,   0,   0};
  EXPECT_EQ(std::memcmp(info, expected, sizeof expected), 0);
  const auto* extended = Sync().GetExtendedInfo();
  ASSERT_NE(extended, nullptr);
  EXPECT_EQ(extended->PluginMajorVersion, 1u);
  EXPECT_EQ(extended->PluginMinorVersion, 0u);
}

TEST(SyncModule, ParametersAndDefaultsAsDeclared) {
  const auto& definitions = SyncParameterDefinitions();
  ASSERT_EQ(Sync().GetNumParameters(), static_cast<FFUInt32>(kSyncParamCount));
  Context();
  const FFInstanceID instance = Sync().Instantiate({0, 0, 64, 64});
  ASSERT_NE(instance, nullptr);
  for (FFUInt32 id = 0; id < kSyncParamCount; ++id) {
    const auto& d = definitions[id];
    EXPECT_STREQ(Sync().GetParameterName(id), d.name);
    EXPECT_EQ(Sync().GetParameterType(id), d.type) << d.name;
    const FFMixed value = Sync().GetParameter(instance, id);
    if (d.type == FF_TYPE_TEXT) {
      const auto text = hostkit::ReadText(value.PointerValue);
      EXPECT_TRUE(text.ok) << d.name;
      EXPECT_EQ(text.text, d.defaultText) << d.name;
      const auto display = hostkit::ReadText(Sync().GetParameterDisplay(instance, id).PointerValue);
      EXPECT_EQ(display.text, d.defaultText) << d.name;
    } else {
      EXPECT_EQ(hostkit::FloatFromBits(value.UIntValue), d.defaultValue) << d.name;
    }
  }
  // The names the render tool relies on.
  EXPECT_STREQ(Sync().GetParameterName(kSyncClockSource), "Clock Source");
  EXPECT_STREQ(Sync().GetElementName(nullptr, kSyncClockSource, 0), "System Clock");
  EXPECT_STREQ(Sync().GetElementName(nullptr, kSyncClockSource, 1), "Host Time");
  EXPECT_STREQ(Sync().GetParameterName(kSyncStartTime), "Start Time");
  EXPECT_EQ(Sync().Deinstantiate(instance), FF_SUCCESS);
}

TEST(SyncModule, BadInputIsADefinedFailure) {
  Context();
  hostkit::HostInstance host(Sync(), 96, 54);
  const FFInstanceID id = host.Id();
  // Unknown parameter IDs.
  for (FFUInt32 bad : {static_cast<FFUInt32>(kSyncParamCount), 999u, FF_FAIL}) {
    EXPECT_EQ(Sync().SetParameter(id, bad, 1.0f), FF_FAIL) << bad;
    EXPECT_EQ(Sync().GetParameterName(bad), nullptr) << bad;
    EXPECT_EQ(Sync().SetTextParameter(id, bad, "x"), FF_FAIL) << bad;
  }
  // Every numeric parameter takes any float; frames still draw.
  const float values[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity(), 3.4e38f, -3.4e38f, 1e-45f, -1.0f};
  for (float v : values) {
    for (FFUInt32 p = 0; p < kSyncParamCount; ++p) {
      if (SyncParameterDefinitions()[p].type == FF_TYPE_TEXT) continue;
      EXPECT_EQ(host.Set(p, v), FF_SUCCESS) << "parameter " << p;
    }
    EXPECT_EQ(Sync().SetTime(id, static_cast<double>(v)), FF_SUCCESS);
    EXPECT_EQ(host.RunFrames(1), FF_SUCCESS) << v;
  }
  // Host times at the edges of a double, with the host-time clock.
  host.Set(kSyncClockSource, 1.0f);
  for (double t : {std::nan(""), 1e300, -1e300, -0.0, 4e18}) {
    EXPECT_EQ(Sync().SetTime(id, t), FF_SUCCESS);
    EXPECT_EQ(host.RunFrames(1), FF_SUCCESS) << t;
  }
  // Null records.
  for (FFUInt32 code : {FF_PROCESS_OPENGL, FF_SET_PARAMETER, FF_RESIZE})
    EXPECT_TRUE(IsFailure(Sync().CallWith(code, nullptr, id))) << "code " << code;
  EXPECT_TRUE(IsFailure(Sync().CallWith(FF_INSTANTIATE_GL, nullptr)));
  // A null text is stored as empty.
  EXPECT_EQ(Sync().SetTextParameter(id, kSyncLabel, nullptr), FF_SUCCESS);
  EXPECT_EQ(hostkit::ReadText(Sync().GetParameter(id, kSyncLabel).PointerValue).text, "");
  EXPECT_EQ(host.RunFrames(1), FF_SUCCESS);
}

TEST(SyncModule, DeadInstancesAreRefused) {
  Context();
  const FFInstanceID instance = Sync().Instantiate({0, 0, 16, 16});
  ASSERT_NE(instance, nullptr);
  ASSERT_EQ(Sync().Deinstantiate(instance), FF_SUCCESS);
  ProcessOpenGLStruct frame{0, nullptr, 0};
  EXPECT_EQ(Sync().ProcessOpenGL(instance, frame), FF_FAIL);
  EXPECT_EQ(Sync().SetParameter(instance, kSyncOutputNumber, 3.0f), FF_FAIL);
  EXPECT_EQ(Sync().SetTextParameter(instance, kSyncLabel, "x"), FF_FAIL);
  EXPECT_TRUE(IsFailure(Sync().GetParameter(instance, kSyncLabel)) ||
              Sync().GetParameter(instance, kSyncLabel).PointerValue == nullptr);
  EXPECT_EQ(Sync().Deinstantiate(instance), FF_FAIL);
}

}  // namespace

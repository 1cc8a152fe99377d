// The SYNC module as a host meets it, loaded (dlopen on Linux; LoadLibrary on
// a WGL context when the Windows build runs it under Wine) and driven through
// plugMain: its information records, its parameters (texts included) with
// their defaults and the clock-source names, and the defined failure for null
// records, unknown IDs, NaN and huge values, and instances that no longer
// live. One source for both runners; the DLL's export and import tables are
// checked by check-dll-tables.sh.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <set>
#include <string>

#include "hostkit/GLContext.h"
#include "hostkit/HostInstance.h"
#include "hostkit/PluginLibrary.h"
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

// A text the plug-in answers with, read no further than one byte past its
// bound; a null answer reads as "(null)" so that the comparison names it.
std::string Text(FFMixed answer) {
  const auto* text = static_cast<const char*>(answer.PointerValue);
  return text ? std::string(text, strnlen(text, kMaxSyncTextBytes + 1)) : "(null)";
}

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
      EXPECT_EQ(Text(value), d.defaultText) << d.name;
      EXPECT_EQ(Text(Sync().GetParameterDisplay(instance, id)), d.defaultText) << d.name;
    } else {
      EXPECT_EQ(hostkit::FloatFromBits(value.UIntValue), d.defaultValue) << d.name;
    }
  }
  // The names the render tool relies on.
  EXPECT_STREQ(Sync().GetParameterName(kSyncClockSource), "Clock Source");
  EXPECT_STREQ(Sync().GetElementName(nullptr, kSyncClockSource, kClockSystem), "System Clock");
  EXPECT_STREQ(Sync().GetElementName(nullptr, kSyncClockSource, kClockHostTime), "Host Time");
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
  host.Set(kSyncClockSource, static_cast<float>(kClockHostTime));
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
  EXPECT_EQ(Text(Sync().GetParameter(id, kSyncLabel)), "");
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

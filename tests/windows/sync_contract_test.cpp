// The SYNC DLL as a Windows host meets it, through LoadLibrary and plugMain
// on a WGL context: its information records, its parameters (texts
// included) with their defaults and the clock-source names, and the defined
// failure for unknown IDs, NaN and huge values, null records and instances
// that no longer live. The export and import tables are checked by
// check-dll-tables.sh; the whole contract runs on Linux in tests/sync.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
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

void MakeContextCurrent() {
  static hostkit::GLContext context(hostkit::OptionsFromEnvironment());
  context.MakeCurrent();
}

bool IsFailure(FFMixed answer) {
  return reinterpret_cast<std::uintptr_t>(answer.PointerValue) == FF_FAIL;
}

// A text the plug-in answers with; a null answer reads as "(null)" so that
// the comparison names it.
std::string Text(FFMixed answer) {
  const auto* text = static_cast<const char*>(answer.PointerValue);
  return text ? std::string(text, strnlen(text, kMaxSyncTextBytes + 1)) : "(null)";
}

TEST(SyncDll, InformationRecordIsByteExact) {
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

TEST(SyncDll, ParametersAndDefaultsAsDeclared) {
  MakeContextCurrent();
  hostkit::HostInstance host(Sync(), 64, 64);
  ASSERT_EQ(Sync().GetNumParameters(), static_cast<FFUInt32>(kSyncParamCount));
  for (FFUInt32 id = 0; id < kSyncParamCount; ++id) {
    const SyncParamDefinition& d = SyncParameterDefinitions()[id];
    EXPECT_STREQ(Sync().GetParameterName(id), d.name);
    EXPECT_EQ(Sync().GetParameterType(id), d.type) << d.name;
    const FFMixed value = Sync().GetParameter(host.Id(), id);
    if (d.type == FF_TYPE_TEXT) {
      EXPECT_EQ(Text(value), d.defaultText) << d.name;
    } else {
      EXPECT_EQ(hostkit::FloatFromBits(value.UIntValue), d.defaultValue) << d.name;
    }
  }
  EXPECT_STREQ(Sync().GetElementName(nullptr, kSyncClockSource, kClockSystem), "System Clock");
  EXPECT_STREQ(Sync().GetElementName(nullptr, kSyncClockSource, kClockHostTime), "Host Time");
}

TEST(SyncDll, BadInputIsADefinedFailure) {
  MakeContextCurrent();
  hostkit::HostInstance host(Sync(), 96, 54);
  const FFInstanceID id = host.Id();
  for (FFUInt32 bad : {static_cast<FFUInt32>(kSyncParamCount), 999u, FF_FAIL}) {
    EXPECT_EQ(Sync().SetParameter(id, bad, 1.0f), FF_FAIL) << bad;
    EXPECT_EQ(Sync().GetParameterName(bad), nullptr) << bad;
    EXPECT_EQ(Sync().SetTextParameter(id, bad, "x"), FF_FAIL) << bad;
  }
  const float values[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                          -3.4e38f, 1e-45f};
  for (float v : values) {
    for (FFUInt32 p = 0; p < kSyncParamCount; ++p) {
      if (SyncParameterDefinitions()[p].type != FF_TYPE_TEXT) {
        EXPECT_EQ(host.Set(p, v), FF_SUCCESS) << p;
      }
    }
    EXPECT_EQ(host.RunFrames(1), FF_SUCCESS) << v;
  }
  // Host times at the edges of a double, with the host-time clock.
  host.Set(kSyncClockSource, static_cast<float>(kClockHostTime));
  for (double t : {std::nan(""), 1e300, -1e300, 4e18}) {
    EXPECT_EQ(Sync().SetTime(id, t), FF_SUCCESS);
    EXPECT_EQ(host.RunFrames(1), FF_SUCCESS) << t;
  }
  for (FFUInt32 code : {FF_PROCESS_OPENGL, FF_SET_PARAMETER, FF_RESIZE})
    EXPECT_TRUE(IsFailure(Sync().CallWith(code, nullptr, id))) << "code " << code;
  EXPECT_TRUE(IsFailure(Sync().CallWith(FF_INSTANTIATE_GL, nullptr)));
  EXPECT_EQ(Sync().SetTextParameter(id, kSyncLabel, nullptr), FF_SUCCESS);
  EXPECT_EQ(Text(Sync().GetParameter(id, kSyncLabel)), "");
}

TEST(SyncDll, DeadInstancesAreRefused) {
  MakeContextCurrent();
  const FFInstanceID instance = Sync().Instantiate({0, 0, 16, 16});
  ASSERT_NE(instance, nullptr);
  ASSERT_EQ(Sync().Deinstantiate(instance), FF_SUCCESS);
  ProcessOpenGLStruct frame{0, nullptr, 0};
  EXPECT_EQ(Sync().ProcessOpenGL(instance, frame), FF_FAIL);
  EXPECT_EQ(Sync().SetTextParameter(instance, kSyncLabel, "x"), FF_FAIL);
  EXPECT_EQ(Sync().Deinstantiate(instance), FF_FAIL);
}

}  // namespace

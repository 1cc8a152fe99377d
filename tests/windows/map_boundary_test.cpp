// The MAP DLL's boundary as a Windows host meets it, beside the module's own
// contract test (tests/map/map_contract_test.cpp, built into the same
// program): every parameter with the type and default of the plug-in's own
// table, and the defined failure for unknown IDs, null records and
// instances that no longer live. The export and import tables are checked
// by check-dll-tables.sh.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "MapKit.h"
#include "map/Parameters.h"

namespace {

bool IsFailure(FFMixed answer) {
  return reinterpret_cast<std::uintptr_t>(answer.PointerValue) == FF_FAIL;
}

// A text the plug-in answers with; a null answer reads as "(null)" so that
// the comparison names it.
std::string Text(const void* answer) {
  const auto* text = static_cast<const char*>(answer);
  return text ? std::string(text, strnlen(text, kMaxMapPathBytes + 1)) : "(null)";
}

TEST(MapDll, ParametersAndDefaultsAsDeclared) {
  MapInstance map(64, 64);
  ASSERT_EQ(MapPlugin().GetNumParameters(), static_cast<FFUInt32>(kMapParamCount));
  for (FFUInt32 id = 0; id < kMapParamCount; ++id) {
    const MapParamDefinition& d = MapParameterDefinitions()[id];
    EXPECT_STREQ(MapPlugin().GetParameterName(id), d.name);
    EXPECT_EQ(MapPlugin().GetParameterType(id), d.type) << d.name;
    const FFMixed value = MapPlugin().GetParameter(map.Host().Id(), id);
    if (d.type == FF_TYPE_FILE) {
      EXPECT_EQ(Text(value.PointerValue), d.defaultText) << d.name;
    } else {
      EXPECT_EQ(hostkit::FloatFromBits(value.UIntValue), d.defaultValue) << d.name;
    }
  }
  // The extensions in the order the plug-in declares them.
  const FFUInt32 file = kMapFile;
  ASSERT_EQ(MapPlugin().GetFileExtensionCount(file), kMapFileExtensions.size());
  for (FFUInt32 i = 0; i < kMapFileExtensions.size(); ++i)
    EXPECT_STREQ(MapPlugin().GetFileExtension(file, i), kMapFileExtensions[i]) << i;
}

TEST(MapDll, BadInputIsADefinedFailure) {
  MapInstance map(96, 54);
  const FFInstanceID id = map.Host().Id();
  for (FFUInt32 bad : {static_cast<FFUInt32>(kMapParamCount), 999u, FF_FAIL}) {
    EXPECT_EQ(MapPlugin().SetParameter(id, bad, 1.0f), FF_FAIL) << bad;
    EXPECT_EQ(MapPlugin().GetParameterName(bad), nullptr) << bad;
    EXPECT_EQ(MapPlugin().SetTextParameter(id, bad, "x.csv"), FF_FAIL) << bad;
    EXPECT_EQ(MapPlugin().GetFileExtensionCount(bad), 0u) << bad;
    EXPECT_EQ(MapPlugin().GetFileExtension(bad, 0), nullptr) << bad;
  }
  for (FFUInt32 code : {FF_PROCESS_OPENGL, FF_SET_PARAMETER, FF_RESIZE})
    EXPECT_TRUE(IsFailure(MapPlugin().CallWith(code, nullptr, id))) << "code " << code;
  EXPECT_TRUE(IsFailure(MapPlugin().CallWith(FF_INSTANTIATE_GL, nullptr)));
  // A null text is no file: the path reads back empty and frames go on.
  EXPECT_EQ(MapPlugin().SetTextParameter(id, kMapFile, nullptr), FF_SUCCESS);
  EXPECT_EQ(Text(MapPlugin().GetParameter(id, kMapFile).PointerValue), "");
  EXPECT_EQ(map.Host().RunFrames(1), FF_SUCCESS);
}

TEST(MapDll, DeadInstancesAreRefused) {
  MapContext();
  const FFInstanceID instance = MapPlugin().Instantiate({0, 0, 16, 16});
  ASSERT_NE(instance, nullptr);
  ASSERT_EQ(MapPlugin().Deinstantiate(instance), FF_SUCCESS);
  ProcessOpenGLStruct frame{0, nullptr, 0};
  EXPECT_EQ(MapPlugin().ProcessOpenGL(instance, frame), FF_FAIL);
  EXPECT_EQ(MapPlugin().SetTextParameter(instance, kMapFile, "x.csv"), FF_FAIL);
  EXPECT_EQ(MapPlugin().SetParameter(instance, kMapScreen, 2.0f), FF_FAIL);
  EXPECT_EQ(MapPlugin().Deinstantiate(instance), FF_FAIL);
}

}  // namespace

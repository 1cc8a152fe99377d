// The parameter table as a host reads it from the prototype, and the answers
// for parameters that do not exist.
#include <string>
#include <vector>

#include "PluginFixture.h"

namespace {

struct ExpectedParam {
  const char* name;
  FFUInt32 type;
  float defaultValue;
  float minimum;
  float maximum;
  std::vector<std::string> elements;
};

// What a host must see, written out independently of the plug-in's tables.
const std::vector<ExpectedParam>& ExpectedTable() {
  static const std::vector<ExpectedParam> table = {
      {"Preset", 11, 0, 0, 1,
       {"128x128 Grid", "ROE BP2 / 176x176", "ROE CB5 / 104x208", "192x192 Grid",
        "256x256 Raster", "Colour Bars", "Dead Pixel Sweep", "RGBW Solid Cycle", "RGBW Ramps",
        "1px Pixel Checker"}},
      {"Pattern", 11, 0, 0, 1,
       {"Panel Grid", "Full Raster", "Colour Bars", "Gradients", "Solid Colour", "Line Sweep",
        "Pixel Checker"}},
      {"Panel Width px", 13, 128, 16, 512, {}},
      {"Panel Height px", 13, 128, 16, 512, {}},
      {"Offset X px", 13, 0, 0, 2048, {}},
      {"Offset Y px", 13, 0, 0, 2048, {}},
      {"Panel Label", 11, 0, 0, 1, {"Column-Row A1", "Index 1,2,3"}},
      {"Moving Element", 0, 1, 0, 1, {}},
      {"Show Resolution", 0, 1, 0, 1, {}},
      {"Brightness", 10, 1, 0, 1, {}},
      {"Line Width px", 13, 1, 1, 16, {}},
      {"Number Size", 10, 0.5f, 0, 1, {}},
      {"Solid Colour", 11, 0, 0, 1, {"Cycle", "Red", "Green", "Blue", "White", "Black"}},
      {"Speed", 10, 0.5f, 0, 1, {}},
      {"Background", 11, 0, 0, 1, {"Opaque", "Transparent"}},
      {"Credit", 0, 0, 0, 1, {}},
  };
  return table;
}

// Element count a host sees: options their elements, booleans none, the
// float-form types one unnamed element.
FFUInt32 ExpectedElementCount(const ExpectedParam& p) {
  if (p.type == FF_TYPE_OPTION) return static_cast<FFUInt32>(p.elements.size());
  return p.type == FF_TYPE_BOOLEAN ? 0u : 1u;
}

TEST(ParameterTable, EveryDefinitionAsTheHostSeesIt) {
  const auto& table = ExpectedTable();
  ASSERT_EQ(Plugin().GetNumParameters(), table.size());
  for (FFUInt32 id = 0; id < table.size(); ++id) {
    SCOPED_TRACE("parameter " + std::to_string(id));
    const ExpectedParam& p = table[id];
    ASSERT_NE(Plugin().GetParameterName(id), nullptr);
    EXPECT_STREQ(Plugin().GetParameterName(id), p.name);
    EXPECT_EQ(Plugin().GetParameterType(id), p.type);
    EXPECT_EQ(Plugin().GetParameterDefault(id).UIntValue, hostkit::BitsOfFloat(p.defaultValue));
    float minimum = -7, maximum = -7;
    EXPECT_EQ(Plugin().GetRange(id, minimum, maximum), FF_SUCCESS);
    EXPECT_EQ(minimum, p.minimum);
    EXPECT_EQ(maximum, p.maximum);
    EXPECT_EQ(Plugin().GetVisibility(nullptr, id), 1u);
    EXPECT_EQ(Plugin().GetParameterUsage(id), 0u);
    EXPECT_EQ(Plugin().GetFileExtensionCount(id), 0u);
    EXPECT_EQ(Plugin().GetFileExtension(id, 0), nullptr);
    EXPECT_EQ(Plugin().GetElementMarkCount(id), 0u);
    EXPECT_EQ(Plugin().GetElementMark(id, 0), FF_FAIL);

    ASSERT_EQ(Plugin().GetElementCount(nullptr, id), ExpectedElementCount(p));
    for (FFUInt32 e = 0; e < p.elements.size(); ++e) {
      ASSERT_NE(Plugin().GetElementName(nullptr, id, e), nullptr);
      EXPECT_EQ(Plugin().GetElementName(nullptr, id, e), p.elements[e]);
      EXPECT_EQ(AsFloat(Plugin().GetElementValue(nullptr, id, e)), static_cast<float>(e));
    }
    const FFUInt32 count = ExpectedElementCount(p);
    EXPECT_EQ(Plugin().GetElementName(nullptr, id, count), nullptr);
    EXPECT_TRUE(IsFailure(Plugin().GetElementValue(nullptr, id, count)));

    // Every group text is empty: nothing is copied, the answer is success.
    char buffer[8] = {'#', '#', '#', '#', '#', '#', '#', '#'};
    GetStringStruct group{id, buffer, sizeof buffer};
    EXPECT_EQ(Plugin().GetParameterGroup(group), FF_SUCCESS);
    EXPECT_EQ(std::string(buffer, sizeof buffer), "########");
  }
}

TEST(ParameterTable, UnknownParameterAnswers) {
  for (FFUInt32 id : {16u, 99u, 0x7FFFFFFFu, FF_FAIL}) {
    SCOPED_TRACE("parameter " + std::to_string(id));
    EXPECT_EQ(Plugin().GetParameterName(id), nullptr);
    EXPECT_EQ(Plugin().GetParameterType(id), FF_FAIL);
    EXPECT_TRUE(IsFailure(Plugin().GetParameterDefault(id)));
    EXPECT_EQ(Plugin().GetParameterUsage(id), FF_FAIL);
    EXPECT_EQ(Plugin().GetVisibility(nullptr, id), FF_FAIL);
    EXPECT_EQ(Plugin().GetElementCount(nullptr, id), FF_FAIL);
    EXPECT_EQ(Plugin().GetElementName(nullptr, id, 0), nullptr);
    EXPECT_TRUE(IsFailure(Plugin().GetElementValue(nullptr, id, 0)));
    EXPECT_EQ(Plugin().GetFileExtensionCount(id), 0u);
    EXPECT_EQ(Plugin().GetElementMarkCount(id), 0u);
    EXPECT_EQ(Plugin().GetElementMark(id, 0), FF_FAIL);
    float minimum = -7, maximum = -7;
    EXPECT_EQ(Plugin().GetRange(id, minimum, maximum), FF_SUCCESS);
    EXPECT_EQ(minimum, 0.0f);
    EXPECT_EQ(maximum, 1.0f);
    char buffer[4] = {'#', '#', '#', '#'};
    GetStringStruct group{id, buffer, sizeof buffer};
    EXPECT_EQ(Plugin().GetParameterGroup(group), FF_SUCCESS);
    EXPECT_EQ(std::string(buffer, sizeof buffer), "####");
  }
}

}  // namespace

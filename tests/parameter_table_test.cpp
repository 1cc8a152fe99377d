// The host kit's one reader of a plug-in's parameter table, on stand-in
// plug-ins: option values are the values the plug-in declares (not element
// positions), and a defensive read of an unknown plug-in neither crashes on
// a text pointer into unmapped memory nor throws on a failed count.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

#include "hostkit/ParameterTable.h"

namespace {

// What the stand-in plug-ins answer; set by each test before reading.
const char* parameterName = "Mode";
FFUInt32 parameterCount = 1;
const float kElementValues[] = {0.25f, 0.5f, 1.0f};
const char* const kElementNames[] = {"Quarter", "Half", "Whole"};

FFMixed Bits(float value) {
  FFUInt32 bits;
  std::memcpy(&bits, &value, sizeof bits);
  return FFNumber(bits);
}

// One option parameter whose elements are worth 0.25, 0.5 and 1.
FFMixed StandInPlugMain(FFUInt32 code, FFMixed input, FFInstanceID) {
  const auto* element = static_cast<const GetParameterElementStruct*>(input.PointerValue);
  switch (code) {
    case FF_GET_NUM_PARAMETERS: return FFNumber(parameterCount);
    case FF_GET_PARAMETER_NAME: return FFPointer(parameterName);
    case FF_GET_PARAMETER_TYPE: return FFNumber(FF_TYPE_OPTION);
    case FF_GET_PARAMETER_DEFAULT: return Bits(0.5f);
    case FF_GET_NUM_PARAMETER_ELEMENTS: return FFNumber(3);
    case FF_GET_PARAM_ELEMENT_NAME: return FFPointer(kElementNames[element->ElementNumber % 3]);
    case FF_GET_PARAM_ELEMENT_DEFAULT: return Bits(kElementValues[element->ElementNumber % 3]);
    default: return FFNumber(FF_FAIL);
  }
}

class ParameterTableTest : public ::testing::Test {
 protected:
  void TearDown() override {
    parameterName = "Mode";
    parameterCount = 1;
  }
  hostkit::PluginLibrary plugin_{&StandInPlugMain, nullptr, "stand-in"};
};

TEST_F(ParameterTableTest, OptionElementsCarryTheirDeclaredValues) {
  for (auto reading : {hostkit::TableReading::Trusting, hostkit::TableReading::Defensive}) {
    const auto table = hostkit::ReadParameterTable(plugin_, reading);
    ASSERT_EQ(table.size(), 1u);
    const auto& p = table[0];
    EXPECT_EQ(p.name, "Mode");
    EXPECT_EQ(hostkit::ParameterTypeName(p.type), "option");
    EXPECT_EQ(p.DefaultValue(), 0.5f);
    EXPECT_FALSE(p.rangeAnswered) << "code 41 answered failure";
    ASSERT_EQ(p.elements.size(), 3u);
    for (std::size_t e = 0; e < 3; ++e) {
      EXPECT_EQ(p.elements[e].name, kElementNames[e]);
      EXPECT_EQ(p.elements[e].value, kElementValues[e]);
    }
  }
}

TEST_F(ParameterTableTest, DefensiveReadSurvivesATextRunningIntoUnmappedMemory) {
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  void* memory = ::mmap(nullptr, page * 2, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(memory, MAP_FAILED);
  char* base = static_cast<char*>(memory);
  ASSERT_EQ(::mprotect(base + page, page, PROT_NONE), 0);
  std::memset(base, 'x', page);  // no terminator before the unmapped page
  parameterName = base + page - 4;
  const auto table = hostkit::ReadParameterTable(plugin_, hostkit::TableReading::Defensive);
  ASSERT_EQ(table.size(), 1u);
  EXPECT_EQ(table[0].name, "") << "an unterminated name comes back empty";
  EXPECT_EQ(table[0].elements.size(), 3u);
  ::munmap(memory, page * 2);
}

TEST_F(ParameterTableTest, FailedOrImplausibleCountThrowsOnlyWhenTrusting) {
  for (FFUInt32 count : {FF_FAIL, hostkit::kMaxParameterCount}) {
    parameterCount = count;
    EXPECT_TRUE(hostkit::ReadParameterTable(plugin_, hostkit::TableReading::Defensive).empty()) << count;
    EXPECT_THROW(hostkit::ReadParameterTable(plugin_, hostkit::TableReading::Trusting), hostkit::PluginLoadError)
        << count;
  }
}

}  // namespace

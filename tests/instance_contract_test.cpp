// An instance's life through plugMain: creation, values as sent, display
// texts, instance codes, and identifiers that name no live instance.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "PluginFixture.h"

namespace {

using Instance = InstanceTest;

const char* DisplayText(FFInstanceID instance, FFUInt32 id) {
  return static_cast<const char*>(Plugin().GetParameterDisplay(instance, id).PointerValue);
}

TEST_F(Instance, ReadsBackEveryDefaultAfterInstantiation) {
  for (FFUInt32 id = 0; id < Plugin().GetNumParameters(); ++id)
    EXPECT_EQ(Plugin().GetParameter(instance_, id).UIntValue,
              Plugin().GetParameterDefault(id).UIntValue)
        << "parameter " << id;
  // A boolean that is on answers the bits of 1.0.
  EXPECT_EQ(Plugin().GetParameter(instance_, 7).UIntValue, 0x3F800000u);
}

TEST_F(Instance, StoresValuesExactlyAsSent) {
  const float values[] = {600.0f,
                          -0.3f,
                          1.7f,
                          1e30f,
                          -1e30f,
                          std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity(),
                          std::numeric_limits<float>::denorm_min(),
                          std::numeric_limits<float>::quiet_NaN()};
  for (FFUInt32 id = 1; id < 16; ++id) {
    for (float value : values) {
      ASSERT_EQ(Plugin().SetParameter(instance_, id, value), FF_SUCCESS);
      EXPECT_EQ(Plugin().GetParameter(instance_, id).UIntValue, hostkit::BitsOfFloat(value))
          << "parameter " << id << " value " << value;
    }
  }
}

TEST_F(Instance, RefusesParameterIndicesAboveFifteen) {
  for (FFUInt32 id : {16u, 17u, 1000u, FF_FAIL}) {
    EXPECT_EQ(Plugin().SetParameter(instance_, id, 3.0f), FF_FAIL);
    EXPECT_EQ(Plugin().GetParameter(instance_, id).UIntValue, 0u);
  }
  for (FFUInt32 id = 0; id < 16; ++id)
    EXPECT_EQ(Plugin().GetParameter(instance_, id).UIntValue,
              Plugin().GetParameterDefault(id).UIntValue);
}

TEST_F(Instance, DisplayTextsAreFixedNotationCutToSixteen) {
  EXPECT_STREQ(DisplayText(instance_, 9), "1.000000");
  EXPECT_STREQ(DisplayText(instance_, 2), "128.000000");
  EXPECT_EQ(DisplayText(instance_, 16), nullptr);

  const struct {
    float value;
    const char* text;
  } cases[] = {{-1.0f, "-1.000000"},
               {100000000.0f, "100000000.000000"},
               {1000000000.0f, "1000000000.00000"},
               {1e30f, "1000000015047466"},
               {std::numeric_limits<float>::infinity(), "inf"}};
  for (const auto& c : cases) {
    Plugin().SetParameter(instance_, 4, c.value);
    const char* text = DisplayText(instance_, 4);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, c.text);
    EXPECT_EQ(text[16], '\0');
  }
}

TEST_F(Instance, HostInformationCodesSucceed) {
  EXPECT_EQ(Plugin().SetTime(instance_, 12.5), FF_SUCCESS);
  EXPECT_EQ(Plugin().SetBeatInfo(instance_, 128.0f, 0.25f), FF_SUCCESS);
  EXPECT_EQ(Plugin().SetHostInfo(instance_, "Host", "1.0"), FF_SUCCESS);
  EXPECT_EQ(Plugin().SetHostInfo(instance_, nullptr, nullptr), FF_SUCCESS);
  EXPECT_EQ(Plugin().SetSampleRate(instance_, 48000), FF_SUCCESS);
  EXPECT_EQ(Plugin().Resize(instance_, {0, 0, 1920, 1080}), FF_SUCCESS);
  EXPECT_EQ(Plugin().Connect(instance_), FF_SUCCESS);
  EXPECT_EQ(Plugin().Disconnect(instance_), FF_SUCCESS);
  // A source takes no input, and top-left orientation is not offered.
  EXPECT_EQ(Plugin().GetInputStatus(instance_, 0), FF_FAIL);
  EXPECT_EQ(Plugin().EnableCapability(instance_, 16), FF_FAIL);
  EXPECT_EQ(Plugin().EnableCapability(instance_, 5), FF_FAIL);
}

TEST_F(Instance, ElementValuesBelongToTheInstance) {
  EXPECT_EQ(Plugin().SetElementValue(instance_, 1, 2, 7.5f), FF_SUCCESS);
  EXPECT_EQ(AsFloat(Plugin().GetElementValue(instance_, 1, 2)), 7.5f);
  EXPECT_EQ(AsFloat(Plugin().GetElementValue(nullptr, 1, 2)), 2.0f);
  EXPECT_EQ(Plugin().SetElementValue(instance_, 1, 7, 1.0f), FF_FAIL);
  EXPECT_EQ(Plugin().SetElementValue(instance_, 99, 0, 1.0f), FF_FAIL);
  EXPECT_EQ(Plugin().GetElementCount(instance_, 0), 10u);
  EXPECT_STREQ(Plugin().GetElementName(instance_, 0, 9), "1px Pixel Checker");
  EXPECT_EQ(Plugin().GetVisibility(instance_, 3), 1u);
}

TEST_F(Instance, DisplayNamesAreEmptyAndCopiedWithoutTerminator) {
  char buffer[4] = {'#', '#', '#', '#'};
  GetStringStruct request{2, buffer, sizeof buffer};
  EXPECT_EQ(Plugin().GetParameterDisplayName(instance_, request), FF_SUCCESS);
  EXPECT_EQ(std::string(buffer, 4), "####");
  request.parameterNumber = 99;
  EXPECT_EQ(Plugin().GetParameterDisplayName(instance_, request), FF_SUCCESS);
  request.maxToWrite = 0;
  EXPECT_EQ(Plugin().GetParameterDisplayName(instance_, request), FF_FAIL);
  GetStringStruct noBuffer{2, nullptr, 4};
  EXPECT_EQ(Plugin().GetParameterDisplayName(instance_, noBuffer), FF_FAIL);
}

// Every instance code that reads a record through its input pointer answers
// failure when the pointer is null.
TEST_F(Instance, NullRecordsAreRefused) {
  for (FFUInt32 code : {FF_SET_PARAMETER, FF_PROCESS_OPENGL, FF_SET_TIME, FF_RESIZE,
                        FF_GET_PARAM_ELEMENT_DEFAULT, FF_SET_PARAM_ELEMENT_VALUE,
                        FF_SET_BEAT_INFO, FF_SET_HOSTINFO, FF_GET_PARAMETER_EVENTS,
                        FF_GET_PARAMETER_DISPLAY_NAME})
    EXPECT_TRUE(IsFailure(Plugin().CallWith(code, nullptr, instance_))) << "code " << code;
  EXPECT_EQ(Plugin().CallWith(FF_GET_PARAM_ELEMENT_NAME, nullptr, instance_).PointerValue,
            nullptr);
  // The instance is unharmed.
  EXPECT_EQ(Plugin().GetFloatParameter(instance_, 2), 128.0f);
}

// Instance codes, each with a harmless valid input for its record.
void ExpectEveryInstanceCodeFails(FFInstanceID id) {
  SetParameterStruct set{2, FFNumber(0)};
  FFGLViewportStruct viewport{0, 0, 8, 8};
  ProcessOpenGLStruct frame{};
  double seconds = 1.0;
  SetParameterElementValueStruct element{1, 0, 1.0f};
  SetBeatinfoStruct beat{120.0f, 0.0f};
  SetHostinfoStruct host{"h", "v"};
  GetParamEventsStruct events{0, nullptr};
  char text[4];
  GetStringStruct name{0, text, sizeof text};
  const struct {
    FFUInt32 code;
    const void* input;
  } calls[] = {{FF_GET_PARAMETER_DISPLAY, nullptr}, {FF_SET_PARAMETER, &set},
               {FF_GET_PARAMETER, nullptr},         {FF_GET_INPUT_STATUS, nullptr},
               {FF_PROCESS_OPENGL, &frame},         {FF_SET_TIME, &seconds},
               {FF_CONNECT, nullptr},               {FF_DISCONNECT, nullptr},
               {FF_RESIZE, &viewport},              {FF_SET_PARAM_ELEMENT_VALUE, &element},
               {FF_SET_BEAT_INFO, &beat},           {FF_SET_HOSTINFO, &host},
               {FF_SET_SAMPLERATE, nullptr},        {FF_GET_PARAMETER_EVENTS, &events},
               {FF_GET_PARAMETER_DISPLAY_NAME, &name}, {FF_DEINSTANTIATE_GL, nullptr}};
  for (const auto& call : calls)
    EXPECT_TRUE(IsFailure(Plugin().CallWith(call.code, call.input, id))) << "code " << call.code;
}

TEST_F(Instance, IdentifiersOfNoLiveInstanceAreRefused) {
  ExpectEveryInstanceCodeFails(nullptr);

  // Never created: the address of something that is not an instance.
  int notAnInstance = 0;
  ExpectEveryInstanceCodeFails(&notAnInstance);
  EXPECT_EQ(Plugin().GetElementCount(&notAnInstance, 1), FF_FAIL);

  // Already destroyed.
  FFInstanceID gone = Plugin().Instantiate({0, 0, 16, 16});
  ASSERT_NE(gone, nullptr);
  ASSERT_EQ(Plugin().Deinstantiate(gone), FF_SUCCESS);
  ExpectEveryInstanceCodeFails(gone);
  EXPECT_EQ(Plugin().GetVisibility(gone, 1), FF_FAIL);
  EXPECT_EQ(Plugin().GetElementName(gone, 1, 0), nullptr);

  // The live one still answers.
  EXPECT_EQ(Plugin().GetFloatParameter(instance_, 3), 128.0f);
}

TEST_F(Instance, ManyInstancesLiveSideBySide) {
  FFInstanceID others[4];
  for (int i = 0; i < 4; ++i) {
    others[i] = Plugin().Instantiate({0, 0, static_cast<FFUInt32>(10 + i), 10});
    ASSERT_NE(others[i], nullptr);
    Plugin().SetParameter(others[i], 2, static_cast<float>(100 + i));
  }
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Plugin().GetFloatParameter(others[i], 2), static_cast<float>(100 + i));
  EXPECT_EQ(Plugin().GetFloatParameter(instance_, 2), 128.0f);
  for (FFInstanceID other : others) EXPECT_EQ(Plugin().Deinstantiate(other), FF_SUCCESS);
}

}  // namespace

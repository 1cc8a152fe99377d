// The parameter registry as a host sees it: a probe plug-in declares
// parameters of every form with the registry's operations, and the tests read
// them back through plugMain's codes the way a host lists a plug-in, then
// collect the events and display names its changes raise. This program's
// only registration is the probe's.
#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "tests/GLContextSuite.h"
#include "host/EntryPoint.h"
#include "host/Plugin.h"
#include "host/PluginRegistration.h"
#include "hostkit/GLContext.h"
#include "hostkit/PluginLibrary.h"

namespace {

enum ProbeParam : FFUInt32 {
  kFraction = 0,
  kInteger = 1,
  kOption = 2,
  kFlag = 3,
  kText = 4,
  kFile = 5,
  kBuffer = 6,
  kNegativeFraction = 7,
  kCommand = 8,  // a host setting it makes the probe change its other parameters
  kDuplicate = 9,
};

// What setting "command" to each value makes the probe do to its registry.
enum Command : int {
  kHideInteger = 1,
  kShowInteger = 2,
  kHideIntegerQuietly = 3,
  kNameFraction = 4,
  kRenameOption = 5,
  kRenameOptionMismatched = 6,
  kRenameFlag = 7,  // not an option: its elements cannot be replaced
  kRaiseUnknown = 8,
};

class RegistryProbe : public CFFGLPlugin {
 public:
  RegistryProbe() : CFFGLPlugin(false) {
    SetParamInfo(kFraction, "fraction", FF_TYPE_STANDARD, 1.5f);
    SetParamInfo(kInteger, "integer", FF_TYPE_INTEGER, 128.0f);
    SetParamRange(kInteger, 10.0f, -10.0f);
    SetOptionParamInfo(kOption, "option", 2, 1.0f);
    SetParamElementInfo(kOption, 1, "second", 7.0f);
    SetParamElementInfo(kOption, 2, "beyond", 5.0f);  // index == count: ignored
    AddParamElementMark(kOption, 1);
    AddParamElementMark(kOption, 0);
    SetParamInfo(kFlag, "flag", FF_TYPE_BOOLEAN, true);
    SetParamInfo(kText, "text", FF_TYPE_TEXT, "hello");
    SetFileParamInfo(kFile, "file", {"png", "jpg"}, "a.png");
    SetBufferParamInfo(kBuffer, "buffer", 3, 7);
    SetParamGroup(kBuffer, "Looks");
    SetParamInfo(kNegativeFraction, "negative fraction", FF_TYPE_STANDARD, -2.0f);
    SetParamInfo(kCommand, "command", FF_TYPE_STANDARD, 0.0f);
    SetParamInfo(kDuplicate, "first", FF_TYPE_STANDARD, 0.25f);
    SetParamInfo(kDuplicate, "second", FF_TYPE_INTEGER, 9.0f);
    SetParamRange(kDuplicate, 2.0f, 3.0f);
    SetParamRange(42, -1.0f, 1.0f);
    SetParamElementInfo(42, 0, "x", 1.0f);
    SetMinInputs(-3);
    SetMaxInputs(2);
    SetTimeSupported(false);
  }

  // Values are accepted and not kept: only the registry matters here.
  FFUInt32 SetTextParameter(FFUInt32, const char*) override { return FF_SUCCESS; }
  FFUInt32 SetFloatParameter(FFUInt32 id, float value) override {
    if (id != kCommand) return FF_SUCCESS;
    switch (static_cast<int>(value)) {
      case kHideInteger: SetParamVisibility(kInteger, false, true); break;
      case kShowInteger: SetParamVisibility(kInteger, true, true); break;
      case kHideIntegerQuietly: SetParamVisibility(kInteger, false, false); break;
      case kNameFraction: SetParamDisplayName(kFraction, "Shown", true); break;
      case kRenameOption:
        SetParamElements(kOption, {"a", "b", "c"}, {3.0f, 2.0f, 1.0f}, true);
        break;
      case kRenameOptionMismatched: SetParamElements(kOption, {"a", "b"}, {1.0f}, true); break;
      case kRenameFlag: SetParamElements(kFlag, {"a"}, {1.0f}, true); break;
      case kRaiseUnknown: RaiseParamEvent(42, FF_EVENT_FLAG_VALUE); break;
      default: break;
    }
    return FF_SUCCESS;
  }
};

FFUInt32 MakeProbe(CFFGLPlugin** object) {
  *object = new (std::nothrow) RegistryProbe();
  return *object ? FF_SUCCESS : FF_FAIL;
}

PluginRegistrationValues ProbeValues() {
  PluginRegistrationValues v;
  v.factory = &MakeProbe;
  v.uniqueID = "RPRB";
  v.name = "Registry probe";
  return v;
}

const PluginRegistration registration(ProbeValues());

class Registry : public GLContextSuite {
 protected:
  void SetUp() override {
    GLContextSuite::SetUp();
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(host_.GetInfo()->PluginName), 14),
              std::string("Registry probe", 14))
        << "another plug-in's registration is linked into this program";
    instance_ = host_.Instantiate({0, 0, 8, 8});
    ASSERT_NE(instance_, nullptr);
  }
  void TearDown() override {
    if (instance_) host_.Deinstantiate(instance_);
  }

  float Default(FFUInt32 id) const {
    return hostkit::FloatFromBits(host_.GetParameterDefault(id).UIntValue);
  }
  void Command(Command command) {
    ASSERT_EQ(host_.SetParameter(instance_, kCommand, static_cast<float>(command)), FF_SUCCESS);
  }
  // Every event the host collects now, as (parameter, flags).
  std::vector<std::pair<FFUInt32, std::uint64_t>> CollectEvents() const {
    std::vector<ParamEventStruct> items(32);
    GetParamEventsStruct list{static_cast<FFUInt32>(items.size()), items.data()};
    EXPECT_EQ(host_.GetParameterEvents(instance_, list), FF_SUCCESS);
    std::vector<std::pair<FFUInt32, std::uint64_t>> events;
    for (FFUInt32 i = 0; i < list.numEvents; ++i)
      events.emplace_back(items[i].ID, items[i].eventFlags);
    return events;
  }
  // The display name as a host shows it (code 51 copies no terminator).
  std::string DisplayName(FFUInt32 id) const {
    char buffer[32] = {};
    GetStringStruct request{id, buffer, sizeof buffer - 1};
    EXPECT_EQ(host_.GetParameterDisplayName(instance_, request), FF_SUCCESS);
    return buffer;
  }
  std::string ElementName(FFUInt32 id, FFUInt32 index) const {
    const char* name = host_.GetElementName(instance_, id, index);
    return name ? name : "(null)";
  }
  float ElementValue(FFUInt32 id, FFUInt32 index) const {
    return hostkit::FloatFromBits(host_.GetElementValue(instance_, id, index).UIntValue);
  }

  hostkit::PluginLibrary host_{&plugMain, &SetLogCallback, "registry probe"};
  FFInstanceID instance_ = nullptr;
};

using Events = std::vector<std::pair<FFUInt32, std::uint64_t>>;

TEST_F(Registry, DefaultsTypesAndElementCountsAsAHostListsThem) {
  struct Row {
    FFUInt32 id;
    FFUInt32 type;
    float defaultValue;  // fractions are clamped to 0 to 1 when declared
    FFUInt32 elements;   // float forms 1, options their count, boolean none, text 1
  };
  const Row rows[] = {
      {kFraction, FF_TYPE_STANDARD, 1.0f, 1},   {kInteger, FF_TYPE_INTEGER, 128.0f, 1},
      {kOption, FF_TYPE_OPTION, 1.0f, 2},       {kFlag, FF_TYPE_BOOLEAN, 1.0f, 0},
      {kNegativeFraction, FF_TYPE_STANDARD, 0.0f, 1}, {kBuffer, FF_TYPE_BUFFER, 0.0f, 3},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(host_.GetParameterName(r.id));
    EXPECT_EQ(host_.GetParameterType(r.id), r.type);
    EXPECT_EQ(Default(r.id), r.defaultValue);
    EXPECT_EQ(host_.GetElementCount(nullptr, r.id), r.elements);
  }
  EXPECT_STREQ(static_cast<const char*>(host_.GetParameterDefault(kText).PointerValue), "hello");
  EXPECT_EQ(host_.GetElementCount(nullptr, kText), 1u);
  EXPECT_EQ(host_.GetParameterType(kFile), FF_TYPE_FILE);
  EXPECT_STREQ(static_cast<const char*>(host_.GetParameterDefault(kFile).PointerValue), "a.png");
  // Ten IDs declared, one of them twice: eleven records.
  EXPECT_EQ(host_.GetNumParameters(), 11u);
}

TEST_F(Registry, RangesAreAnsweredAsDeclaredEvenInverted) {
  const struct {
    FFUInt32 id;
    float minimum, maximum;
  } rows[] = {{kInteger, 10.0f, -10.0f}, {kFraction, 0.0f, 1.0f}, {kOption, 0.0f, 1.0f},
              {kDuplicate, 2.0f, 3.0f}, {42, 0.0f, 1.0f}};
  for (const auto& r : rows) {
    float minimum = -99.0f, maximum = -99.0f;
    EXPECT_EQ(host_.GetRange(r.id, minimum, maximum), FF_SUCCESS) << "parameter " << r.id;
    EXPECT_EQ(minimum, r.minimum) << "parameter " << r.id;
    EXPECT_EQ(maximum, r.maximum) << "parameter " << r.id;
  }
}

TEST_F(Registry, ADuplicateIdAnswersItsFirstDeclaration) {
  EXPECT_STREQ(host_.GetParameterName(kDuplicate), "first");
  EXPECT_EQ(host_.GetParameterType(kDuplicate), FF_TYPE_STANDARD);
  EXPECT_EQ(Default(kDuplicate), 0.25f);
}

TEST_F(Registry, ElementsOutsideTheListAndUnknownIdsAreIgnored) {
  EXPECT_EQ(ElementName(kOption, 0), "");
  EXPECT_EQ(ElementName(kOption, 1), "second");
  EXPECT_EQ(ElementValue(kOption, 1), 7.0f);
  EXPECT_EQ(ElementName(kOption, 2), "(null)") << "the element beyond the count was never made";
  EXPECT_EQ(host_.GetParameterName(42), nullptr);
  Command(kRaiseUnknown);
  EXPECT_EQ(CollectEvents(), Events{});
}

TEST_F(Registry, FileExtensionsMarksUsageAndGroups) {
  EXPECT_EQ(host_.GetFileExtensionCount(kFile), 2u);
  EXPECT_STREQ(host_.GetFileExtension(kFile, 1), "jpg");
  EXPECT_EQ(host_.GetFileExtension(kFile, 2), nullptr);
  EXPECT_EQ(host_.GetElementMarkCount(kOption), 2u);
  EXPECT_EQ(host_.GetElementMark(kOption, 0), 1u);
  EXPECT_EQ(host_.GetElementMark(kOption, 1), 0u);
  EXPECT_EQ(host_.GetParameterUsage(kBuffer), 7u);
  char group[16] = {};
  GetStringStruct request{kBuffer, group, sizeof group - 1};
  EXPECT_EQ(host_.GetParameterGroup(request), FF_SUCCESS);
  EXPECT_STREQ(group, "Looks");
}

TEST_F(Registry, PluginWideSettingsAsCapabilities) {
  EXPECT_EQ(host_.GetCapability(FF_CAP_SET_TIME), 0u);
  EXPECT_EQ(host_.GetCapability(FF_CAP_MINIMUM_INPUT_FRAMES), 0u) << "-3 inputs answer 0";
  EXPECT_EQ(host_.GetCapability(FF_CAP_MAXIMUM_INPUT_FRAMES), 2u);
  EXPECT_EQ(host_.GetCapability(FF_CAP_TOP_LEFT_TEXTURE_ORIENTATION), 0u);
}

TEST_F(Registry, VisibilityEventsOnlyOnChangeAndWhenAsked) {
  EXPECT_EQ(CollectEvents(), Events{});
  Command(kShowInteger);  // already visible: no event
  EXPECT_EQ(CollectEvents(), Events{});
  Command(kHideInteger);
  EXPECT_EQ(host_.GetVisibility(instance_, kInteger), 0u);
  EXPECT_EQ(CollectEvents(), (Events{{kInteger, FF_EVENT_FLAG_VISIBILITY}}));
  Command(kHideInteger);  // hidden already
  EXPECT_EQ(CollectEvents(), Events{});
  Command(kShowInteger);
  Command(kHideIntegerQuietly);  // changed, but not asked to raise
  EXPECT_EQ(CollectEvents(), (Events{{kInteger, FF_EVENT_FLAG_VISIBILITY}}));
  EXPECT_EQ(host_.GetVisibility(instance_, kInteger), 0u);
  EXPECT_EQ(host_.GetVisibility(nullptr, kInteger), 1u) << "the prototype keeps its own";
}

TEST_F(Registry, DisplayNamesAreShownAndRaiseOneEventPerChange) {
  EXPECT_EQ(DisplayName(kFraction), "");
  Command(kNameFraction);
  Command(kNameFraction);  // the same text again
  EXPECT_EQ(DisplayName(kFraction), "Shown");
  EXPECT_EQ(CollectEvents(), (Events{{kFraction, FF_EVENT_FLAG_DISPLAY_NAME}}));
}

TEST_F(Registry, ElementListsAreReplacedOnlyOnOptionsWithMatchingLengths) {
  Command(kRenameOptionMismatched);
  Command(kRenameFlag);
  EXPECT_EQ(host_.GetElementCount(instance_, kOption), 2u);
  EXPECT_EQ(CollectEvents(), Events{});
  Command(kRenameOption);
  EXPECT_EQ(host_.GetElementCount(instance_, kOption), 3u);
  EXPECT_EQ(ElementName(kOption, 2), "c");
  EXPECT_EQ(ElementValue(kOption, 2), 1.0f);
  EXPECT_EQ(host_.GetElementCount(nullptr, kOption), 2u) << "the prototype keeps its own";
  EXPECT_EQ(CollectEvents(), (Events{{kOption, FF_EVENT_FLAG_ELEMENTS}}));
}

TEST_F(Registry, EventsOfSeveralParametersAccumulateUntilCollected) {
  Command(kHideInteger);
  Command(kNameFraction);
  Command(kRenameOption);
  EXPECT_EQ(CollectEvents(), (Events{{kFraction, FF_EVENT_FLAG_DISPLAY_NAME},
                                     {kInteger, FF_EVENT_FLAG_VISIBILITY},
                                     {kOption, FF_EVENT_FLAG_ELEMENTS}}));
  EXPECT_EQ(CollectEvents(), Events{});
}

}  // namespace

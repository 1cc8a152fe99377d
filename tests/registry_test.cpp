// The parameter registry on its own: definitions, lookups, ranges, elements
// and pending events, including the operations this plug-in does not call.
#include <gtest/gtest.h>

#include "host/PluginManager.h"

namespace {

class Registry : public ::testing::Test {
 protected:
  CFFGLPluginManager registry{false};
};

TEST_F(Registry, DefaultsFollowTheDefinitionForm) {
  registry.SetParamInfo(0, "fraction", FF_TYPE_STANDARD, 1.5f);
  registry.SetParamInfo(1, "integer", FF_TYPE_INTEGER, 128.0f);
  registry.SetOptionParamInfo(2, "option", 4, 3.0f);
  registry.SetParamInfo(3, "flag", FF_TYPE_BOOLEAN, true);
  registry.SetParamInfo(4, "text", FF_TYPE_TEXT, "hello");
  registry.SetParamInfo(5, "negative fraction", FF_TYPE_STANDARD, -2.0f);

  EXPECT_EQ(registry.FindParam(0)->defaultValue, 1.0f);
  EXPECT_EQ(registry.FindParam(1)->defaultValue, 128.0f);
  EXPECT_EQ(registry.FindParam(2)->defaultValue, 3.0f);
  EXPECT_EQ(registry.FindParam(3)->defaultValue, 1.0f);
  EXPECT_EQ(registry.FindParam(4)->defaultText, "hello");
  EXPECT_EQ(registry.FindParam(5)->defaultValue, 0.0f);

  // Element counts: float form 1, option its count, boolean none, text 1.
  EXPECT_EQ(registry.FindParam(0)->elements.size(), 1u);
  EXPECT_EQ(registry.FindParam(2)->elements.size(), 4u);
  EXPECT_EQ(registry.FindParam(3)->elements.size(), 0u);
  EXPECT_EQ(registry.FindParam(4)->elements.size(), 1u);
  EXPECT_EQ(registry.FindParam(2)->type, FF_TYPE_OPTION);
  for (FFUInt32 id = 0; id < 6; ++id) {
    EXPECT_EQ(registry.FindParam(id)->rangeMin, 0.0f);
    EXPECT_EQ(registry.FindParam(id)->rangeMax, 1.0f);
    EXPECT_TRUE(registry.FindParam(id)->visible);
  }
}

TEST_F(Registry, DuplicateIdsAreAppendedButNeverFound) {
  registry.SetParamInfo(7, "first", FF_TYPE_STANDARD, 0.25f);
  registry.SetParamInfo(7, "second", FF_TYPE_INTEGER, 9.0f);
  EXPECT_EQ(registry.GetNumParams(), 2u);
  EXPECT_EQ(registry.FindParam(7)->name, "first");
  registry.SetParamRange(7, 2.0f, 3.0f);
  EXPECT_EQ(registry.Params()[0].rangeMin, 2.0f);
  EXPECT_EQ(registry.Params()[1].rangeMin, 0.0f);
}

TEST_F(Registry, UnknownIdsAndElementIndicesAreIgnored) {
  registry.SetOptionParamInfo(0, "option", 2, 0.0f);
  registry.SetParamElementInfo(0, 2, "beyond", 5.0f);  // index == count
  registry.SetParamElementInfo(0, 1, "second", 1.0f);
  registry.SetParamRange(42, -1.0f, 1.0f);
  registry.SetParamElementInfo(42, 0, "x", 1.0f);
  registry.RaiseParamEvent(42, FF_EVENT_FLAG_VALUE);
  EXPECT_EQ(registry.FindParam(42), nullptr);
  ASSERT_EQ(registry.FindParam(0)->elements.size(), 2u);
  EXPECT_EQ(registry.FindParam(0)->elements[1].name, "second");
  EXPECT_EQ(registry.FindParam(0)->elements[0].name, "");
  EXPECT_EQ(registry.FindParam(0)->pendingEvents, 0u);
}

TEST_F(Registry, InvertedRangesAreKeptAsGiven) {
  registry.SetParamInfo(0, "p", FF_TYPE_INTEGER, 0.0f);
  registry.SetParamRange(0, 10.0f, -10.0f);
  EXPECT_EQ(registry.FindParam(0)->rangeMin, 10.0f);
  EXPECT_EQ(registry.FindParam(0)->rangeMax, -10.0f);
}

TEST_F(Registry, EventsAccumulateOnlyOnChange) {
  registry.SetParamInfo(0, "p", FF_TYPE_STANDARD, 0.0f);
  registry.RaiseParamEvent(0, FF_EVENT_FLAG_VALUE);
  registry.RaiseParamEvent(0, FF_EVENT_FLAG_VALUE);
  EXPECT_EQ(registry.FindParam(0)->pendingEvents, FF_EVENT_FLAG_VALUE);

  registry.SetParamVisibility(0, true, true);  // unchanged: no event
  EXPECT_EQ(registry.FindParam(0)->pendingEvents, FF_EVENT_FLAG_VALUE);
  registry.SetParamVisibility(0, false, false);  // not asked to raise
  EXPECT_EQ(registry.FindParam(0)->pendingEvents, FF_EVENT_FLAG_VALUE);
  registry.SetParamVisibility(0, true, true);
  EXPECT_EQ(registry.FindParam(0)->pendingEvents, FF_EVENT_FLAG_VALUE | FF_EVENT_FLAG_VISIBILITY);

  registry.SetParamDisplayName(0, "", true);  // same (empty) text
  EXPECT_EQ(registry.FindParam(0)->pendingEvents & FF_EVENT_FLAG_DISPLAY_NAME, 0u);
  registry.SetParamDisplayName(0, "Shown", true);
  EXPECT_NE(registry.FindParam(0)->pendingEvents & FF_EVENT_FLAG_DISPLAY_NAME, 0u);
  EXPECT_EQ(registry.FindParam(0)->displayName, "Shown");
}

TEST_F(Registry, ElementListsAreReplacedOnlyOnOptionsWithMatchingLengths) {
  registry.SetOptionParamInfo(0, "option", 1, 0.0f);
  registry.SetParamInfo(1, "fraction", FF_TYPE_STANDARD, 0.0f);

  registry.SetParamElements(0, {"a", "b"}, {1.0f}, true);  // lengths differ
  EXPECT_EQ(registry.FindParam(0)->elements.size(), 1u);
  EXPECT_EQ(registry.FindParam(0)->pendingEvents, 0u);

  registry.SetParamElements(1, {"a"}, {1.0f}, true);  // not an option
  EXPECT_EQ(registry.FindParam(1)->pendingEvents, 0u);

  registry.SetParamElements(0, {"a", "b", "c"}, {3.0f, 2.0f, 1.0f}, true);
  ASSERT_EQ(registry.FindParam(0)->elements.size(), 3u);
  EXPECT_EQ(registry.FindParam(0)->elements[2].name, "c");
  EXPECT_EQ(registry.FindParam(0)->elements[2].value, 1.0f);
  EXPECT_EQ(registry.FindParam(0)->pendingEvents, FF_EVENT_FLAG_ELEMENTS);
}

TEST_F(Registry, FileBufferMarksAndGroups) {
  registry.SetFileParamInfo(0, "file", {"png", "jpg"}, "a.png");
  registry.SetBufferParamInfo(1, "buffer", 3, 7);
  registry.AddParamElementMark(1, 2);
  registry.AddParamElementMark(1, 0);
  registry.SetParamGroup(1, "Looks");
  EXPECT_EQ(registry.FindParam(0)->type, FF_TYPE_FILE);
  EXPECT_EQ(registry.FindParam(0)->fileExtensions.size(), 2u);
  EXPECT_EQ(registry.FindParam(0)->defaultText, "a.png");
  EXPECT_EQ(registry.FindParam(1)->usage, 7u);
  EXPECT_EQ(registry.FindParam(1)->elements.size(), 3u);
  EXPECT_EQ(registry.FindParam(1)->elementMarks, (std::vector<FFUInt32>{2, 0}));
  EXPECT_EQ(registry.FindParam(1)->group, "Looks");
}

TEST_F(Registry, PluginWideSettings) {
  EXPECT_TRUE(registry.GetTimeSupported());
  EXPECT_FALSE(registry.GetTopLeftOrientationSupported());
  registry.SetMinInputs(-3);
  registry.SetMaxInputs(2);
  registry.SetTimeSupported(false);
  EXPECT_EQ(registry.GetMinInputs(), -3);
  EXPECT_EQ(registry.GetMaxInputs(), 2);
  EXPECT_FALSE(registry.GetTimeSupported());
  EXPECT_TRUE(CFFGLPluginManager(true).GetTopLeftOrientationSupported());
}

}  // namespace

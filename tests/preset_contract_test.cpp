// Choosing a preset through plugMain: which values it writes, when it applies,
// and the value-changed events the host collects.
#include <array>
#include <limits>
#include <vector>

#include "PluginFixture.h"

namespace {

using Presets = InstanceTest;

// Parameters 1 to 14 of each preset, written out independently of the
// plug-in's own table.
const std::array<std::array<float, 14>, 10> kRows = {{
    {0, 128, 128, 0, 0, 0, 1, 1, 1, 1, 0.5f, 0, 0.5f, 0},
    {0, 176, 176, 0, 0, 0, 1, 1, 1, 1, 0.5f, 0, 0.5f, 0},
    {0, 104, 208, 0, 0, 0, 1, 1, 1, 1, 0.5f, 0, 0.5f, 0},
    {0, 192, 192, 0, 0, 0, 1, 1, 1, 2, 0.5f, 0, 0.5f, 0},
    {1, 256, 256, 0, 0, 0, 1, 1, 1, 1, 0.5f, 0, 0.4f, 0},
    {2, 128, 128, 0, 0, 0, 0, 1, 1, 1, 0.5f, 0, 0.5f, 0},
    {5, 128, 128, 0, 0, 0, 0, 0, 1, 1, 0.5f, 0, 0.3f, 0},
    {4, 128, 128, 0, 0, 0, 0, 1, 1, 1, 0.5f, 0, 0.15f, 0},
    {3, 128, 128, 0, 0, 0, 0, 1, 1, 1, 0.5f, 0, 0.5f, 0},
    {6, 128, 128, 0, 0, 0, 0, 1, 1, 1, 0.5f, 0, 0.5f, 0},
}};

std::vector<ParamEventStruct> CollectEvents(FFInstanceID instance, FFUInt32 capacity) {
  std::vector<ParamEventStruct> items(capacity + 1, ParamEventStruct{0xDEAD, 0});
  GetParamEventsStruct list{capacity, items.data()};
  EXPECT_EQ(Plugin().GetParameterEvents(instance, list), FF_SUCCESS);
  EXPECT_LE(list.numEvents, capacity);
  items.resize(list.numEvents);
  return items;
}

FFUInt32 PendingCount(FFInstanceID instance) {
  GetParamEventsStruct list{0, nullptr};
  EXPECT_EQ(Plugin().GetParameterEvents(instance, list), FF_SUCCESS);
  return list.numEvents;
}

void ExpectRow(FFInstanceID instance, std::size_t row) {
  for (FFUInt32 k = 1; k <= 14; ++k)
    EXPECT_EQ(Plugin().GetFloatParameter(instance, k), kRows[row][k - 1])
        << "preset " << row << " parameter " << k;
}

// Loops over the presets the plug-in itself lists, so a new row cannot slip
// by untested.
TEST_F(Presets, EveryListedPresetWritesItsRow) {
  const FFUInt32 count = Plugin().GetElementCount(nullptr, 0);
  ASSERT_EQ(count, kRows.size());
  for (FFUInt32 start : {0u, 3u}) {
    for (FFUInt32 p = 0; p < count; ++p) {
      if (p == start) continue;
      FFInstanceID fresh = Plugin().Instantiate(kViewport);
      ASSERT_NE(fresh, nullptr);
      Plugin().SetParameter(fresh, 0, static_cast<float>(start));
      Plugin().SetParameter(fresh, 15, 1.0f);
      CollectEvents(fresh, 16);
      ASSERT_EQ(Plugin().SetParameter(fresh, 0, static_cast<float>(p)), FF_SUCCESS);
      ExpectRow(fresh, p);
      EXPECT_EQ(Plugin().GetFloatParameter(fresh, 0), static_cast<float>(p));
      EXPECT_EQ(Plugin().GetFloatParameter(fresh, 15), 1.0f) << "Credit is never touched";
      const auto events = CollectEvents(fresh, 16);
      ASSERT_EQ(events.size(), 14u);
      for (FFUInt32 k = 0; k < 14; ++k) {
        EXPECT_EQ(events[k].ID, k + 1);
        EXPECT_EQ(events[k].eventFlags, FF_EVENT_FLAG_VALUE);
      }
      Plugin().Deinstantiate(fresh);
    }
  }
}

TEST_F(Presets, FirstPresetAfterInstantiationIsAlreadyApplied) {
  Plugin().SetParameter(instance_, 2, 300.0f);
  Plugin().SetParameter(instance_, 0, 0.0f);
  EXPECT_EQ(Plugin().GetFloatParameter(instance_, 2), 300.0f);
  EXPECT_EQ(PendingCount(instance_), 0u);
}

TEST_F(Presets, SamePresetAgainKeepsUserChanges) {
  Plugin().SetParameter(instance_, 0, 6.0f);
  Plugin().SetParameter(instance_, 13, 0.9f);
  Plugin().SetParameter(instance_, 0, 6.0f);
  EXPECT_EQ(Plugin().GetFloatParameter(instance_, 13), 0.9f);
  Plugin().SetParameter(instance_, 0, 5.0f);
  Plugin().SetParameter(instance_, 0, 6.0f);
  EXPECT_EQ(Plugin().GetFloatParameter(instance_, 13), 0.3f);
}

TEST_F(Presets, AnyValueSelectsARowAndIsStoredAsSent) {
  const struct {
    float sent;
    std::size_t row;
  } cases[] = {{12.0f, 9}, {-3.0f, 0}, {4.5f, 5}, {3.49f, 3}, {1e30f, 9}, {-1e30f, 0}};
  for (const auto& c : cases) {
    // Step away first so that the case always applies its row.
    Plugin().SetParameter(instance_, 0, c.row == 1 ? 2.0f : 1.0f);
    Plugin().SetParameter(instance_, 0, c.sent);
    ExpectRow(instance_, c.row);
    EXPECT_EQ(Plugin().GetFloatParameter(instance_, 0), c.sent);
  }
  // NaN selects row 0.
  Plugin().SetParameter(instance_, 0, 1.0f);
  Plugin().SetParameter(instance_, 0, std::numeric_limits<float>::quiet_NaN());
  ExpectRow(instance_, 0);
}

TEST_F(Presets, EventsAccumulateAndAreCollectedInOrderUpToCapacity) {
  Plugin().SetParameter(instance_, 0, 6.0f);
  Plugin().SetParameter(instance_, 0, 5.0f);  // bits OR together: still one item each
  EXPECT_EQ(PendingCount(instance_), 14u);
  EXPECT_EQ(PendingCount(instance_), 14u) << "counting clears nothing";

  const auto first = CollectEvents(instance_, 3);
  ASSERT_EQ(first.size(), 3u);
  for (FFUInt32 i = 0; i < 3; ++i) {
    EXPECT_EQ(first[i].ID, i + 1);
    EXPECT_EQ(first[i].eventFlags, FF_EVENT_FLAG_VALUE);
  }
  EXPECT_EQ(PendingCount(instance_), 11u);
  EXPECT_EQ(CollectEvents(instance_, 0).size(), 0u);
  EXPECT_EQ(PendingCount(instance_), 11u);

  const auto rest = CollectEvents(instance_, 100);
  ASSERT_EQ(rest.size(), 11u);
  EXPECT_EQ(rest.front().ID, 4u);
  EXPECT_EQ(rest.back().ID, 14u);
  EXPECT_EQ(PendingCount(instance_), 0u);
  EXPECT_EQ(CollectEvents(instance_, 16).size(), 0u);
}

TEST_F(Presets, EventsBelongToTheInstanceThatChangedPreset) {
  FFInstanceID other = Plugin().Instantiate(kViewport);
  ASSERT_NE(other, nullptr);
  Plugin().SetParameter(instance_, 0, 8.0f);
  EXPECT_EQ(PendingCount(instance_), 14u);
  EXPECT_EQ(PendingCount(other), 0u);
  EXPECT_EQ(Plugin().GetFloatParameter(other, 1), 0.0f);
  Plugin().Deinstantiate(other);
}

}  // namespace

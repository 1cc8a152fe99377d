// The plug-in class constructed directly, without the host's defaults pass,
// and the instance base's own behaviour. (What the host's information and
// resizes change in a frame is checked through plugMain with the render pass.)
#include <gtest/gtest.h>

#include "free/OVNVeltrimaFree.h"

namespace {

TEST(PluginClass, FirstPresetIsOnlyRecordedThenLaterOnesApply) {
  OVNVeltrimaFree plugin;
  plugin.SetFloatParameter(kParamPanelWidth, 300.0f);
  EXPECT_EQ(plugin.SetFloatParameter(kParamPreset, 5.0f), FF_SUCCESS);
  EXPECT_EQ(plugin.GetFloatParameter(kParamPattern), 0.0f);
  EXPECT_EQ(plugin.GetFloatParameter(kParamPanelWidth), 300.0f);
  for (const ParamInfo& p : plugin.Params()) EXPECT_EQ(p.pendingEvents, 0u);
  // Recorded as the current preset: choosing it again changes nothing.
  plugin.SetFloatParameter(kParamPreset, 5.0f);
  EXPECT_EQ(plugin.GetFloatParameter(kParamPattern), 0.0f);
  EXPECT_EQ(plugin.GetFloatParameter(kParamPanelWidth), 300.0f);

  plugin.SetFloatParameter(kParamPreset, 6.0f);
  EXPECT_EQ(plugin.GetFloatParameter(kParamPattern), 5.0f);
  EXPECT_EQ(plugin.GetFloatParameter(kParamPanelWidth), 128.0f);
  EXPECT_EQ(plugin.GetFloatParameter(kParamMovingElement), 0.0f);
  EXPECT_EQ(plugin.GetFloatParameter(kParamShowResolution), 0.0f);
  EXPECT_EQ(plugin.GetFloatParameter(kParamSpeed), 0.3f);
  EXPECT_EQ(plugin.FindParam(kParamPreset)->pendingEvents, 0u);
  EXPECT_EQ(plugin.FindParam(kParamCredit)->pendingEvents, 0u);
  EXPECT_EQ(plugin.FindParam(kParamBackground)->pendingEvents, FF_EVENT_FLAG_VALUE);
}

TEST(PluginClass, FreshObjectHoldsDefaultsAndBaseState) {
  OVNVeltrimaFree plugin;
  EXPECT_EQ(plugin.GetFloatParameter(kParamMovingElement), 1.0f);
  EXPECT_EQ(plugin.GetFloatParameter(kParamCredit), 0.0f);
  EXPECT_EQ(plugin.GetFloatParameter(16), 0.0f);
  EXPECT_EQ(plugin.SetFloatParameter(16, 1.0f), FF_FAIL);
  EXPECT_EQ(plugin.Tempo(), 120.0f);
  EXPECT_EQ(plugin.BarPhase(), 0.0f);
  EXPECT_EQ(plugin.Viewport().width, 0u);
  EXPECT_EQ(plugin.Self(), nullptr);
  EXPECT_FALSE(plugin.IsConnected());
  EXPECT_EQ(plugin.GetMinInputs(), 0);
  EXPECT_EQ(plugin.GetMaxInputs(), 0);
  EXPECT_EQ(plugin.GetInputStatus(0), FF_FAIL);
  EXPECT_EQ(plugin.QueryPluginValue(), 0u);
  EXPECT_EQ(plugin.SetTextParameter(0, "x"), FF_FAIL);
}

TEST(PluginClass, BaseGetInputStatusComparesUnsigned) {
  OVNVeltrimaFree plugin;
  plugin.SetMaxInputs(2);
  EXPECT_EQ(plugin.GetInputStatus(1), FF_TRUE);
  EXPECT_EQ(plugin.GetInputStatus(2), FF_FAIL);
  plugin.SetMaxInputs(-1);  // compared unsigned: every index is below it
  EXPECT_EQ(plugin.GetInputStatus(4000000000u), FF_TRUE);
}

}  // namespace

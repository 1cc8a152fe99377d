// --all-screens' plan on its own: the files are named after the output, a screen without a canvas is left out with a warning,
// and the parameter names the tool sets are the plug-in's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "map/Parameters.h"
#include "map/layout/LayoutFormat.h"
#include "tools/render/AllScreens.h"
#include "tools/render/ParameterTable.h"

namespace {

layout::Layout Parse(const char* text) {
  const auto parsed = layout::ParseLayout(text, layout::SniffFormat(text));
  EXPECT_TRUE(parsed.ok()) << (parsed.ok() ? "" : parsed.error().Message());
  return parsed.ok() ? parsed.value() : layout::Layout{};
}

std::vector<std::string> warnings;
void Collect(const std::string& message) { warnings.push_back(message); }

TEST(AllScreens, FilesAreNamedAfterTheOutputAndEmptyScreensLeftOut) {
  // Screen 2 is named but has no cabinets, and the file states no canvas.
  layout::Layout l = Parse("id,x,y,w,h,screen\nA,0,0,16,8,1\nB,4,0,4,20,3\n");
  l.screenNames = {"Main", "Spare", "Side"};
  warnings.clear();
  const std::vector<ScreenImage> images = PlanScreenImages(l, "wall.csv", "out/wall.png", &Collect);
  ASSERT_EQ(images.size(), 2u);
  EXPECT_EQ(images[0].screen, 1);
  EXPECT_EQ(images[0].path, "out/wall-1.png");
  EXPECT_EQ(images[0].size.width, 16);
  EXPECT_EQ(images[0].size.height, 8);
  EXPECT_EQ(images[1].screen, 3);
  EXPECT_EQ(images[1].path, "out/wall-3.png");
  EXPECT_EQ(images[1].size.width, 8);
  EXPECT_EQ(images[1].size.height, 20);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("screen 2"), std::string::npos) << warnings[0];
}

TEST(AllScreens, ALayoutWithNoCanvasAnywhereIsAnError) {
  const layout::Layout l = Parse("id,x,y,w,h\nA,-40,-40,10,10\n");
  EXPECT_THROW(PlanScreenImages(l, "wall.csv", "wall.png", nullptr), UsageError);
}

TEST(AllScreens, ParameterNamesAreThePlugInsOwn) {
  const auto& definitions = MapParameterDefinitions();
  EXPECT_STREQ(definitions[kMapFile].name, kMapFileParameterName);
  EXPECT_STREQ(definitions[kMapScreen].name, kMapScreenParameterName);
}

}  // namespace

// Nothing the plug-in writes of its own covers a cabinet's words: for every
// layout of examples/ and of the tests, every screen, at the canvas size and
// at 1920x1080, the pixels that change when the info line is switched off
// never meet the pixels of the cabinets' texts and marks (those that change
// when, with the info line off, labels, coordinates and orientation marks
// are switched off too), nor any cabinet's border; and every text pixel lies
// inside its cabinet's border. A full-canvas wall with no gap puts the line
// inside its largest cabinet.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BadFiles.h"
#include "LinkedMap.h"
#include "map/CabinetDrawing.h"
#include "map/Parameters.h"
#include "map/ScreenPlan.h"
#include "map/layout/LayoutFile.h"

namespace {

using shapes::Rect;

constexpr int kLineWidth = 2;  // the parameter's default

struct Case {
  std::string path;
  int width = 0, height = 0;  // 0: the screen's canvas
};

std::vector<float> Render(const std::string& path, int screen, int width, int height,
                          bool info, bool texts) {
  hostkit::HostInstance map(LinkedMap(), width, height, hostkit::PixelFormat::RGBA8);
  EXPECT_EQ(LinkedMap().SetTextParameter(map.Id(), kMapFile, path.c_str()), FF_SUCCESS);
  map.Set(kMapScreen, static_cast<float>(screen));
  map.Set(kMapShowInfo, info ? 1.0f : 0.0f);
  for (FFUInt32 p : {kMapShowLabels, kMapShowCoordinates, kMapShowOrientation})
    map.Set(p, texts ? 1.0f : 0.0f);
  EXPECT_TRUE(Settle(map));
  return map.Target().ReadOutput();
}

// Pixels where two pictures differ, as a mask.
std::vector<bool> Changed(const std::vector<float>& a, const std::vector<float>& b) {
  std::vector<bool> mask(a.size() / 4, false);
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) mask[i / 4] = true;
  return mask;
}

void CheckLayout(const std::string& path, int givenWidth, int givenHeight, bool expectInside) {
  const layout::Result<layout::Layout> file = layout::LoadLayoutFile(path);
  ASSERT_TRUE(file.ok()) << path;
  const int screens = std::max(1, layout::ScreenCount(file.value()));
  for (int screen = 1; screen <= screens; ++screen) {
    const ScreenPlan plan = PlanScreen(file.value(), screen);
    const int width = givenWidth > 0 ? givenWidth : static_cast<int>(plan.canvasW);
    const int height = givenHeight > 0 ? givenHeight : static_cast<int>(plan.canvasH);
    const std::string what = path + " screen " + std::to_string(screen) + " at " +
                             std::to_string(width) + "x" + std::to_string(height);
    const std::vector<float> all = Render(path, screen, width, height, true, true);
    const std::vector<float> noInfo = Render(path, screen, width, height, false, true);
    const std::vector<float> bare = Render(path, screen, width, height, false, false);
    const std::vector<bool> info = Changed(all, noInfo), texts = Changed(noInfo, bare);
    // The output pixels on a border, and those inside a cabinet's border.
    std::vector<bool> border(info.size(), false), inner(info.size(), false);
    for (const Rect& r : plan.rects) {
      const Rect in = InnerRect(r, kLineWidth);
      for (int y = std::max(0, r.y0); y < std::min(height, r.y1); ++y)
        for (int x = std::max(0, r.x0); x < std::min(width, r.x1); ++x)
          (in.Contains(x, y) ? inner : border)[static_cast<std::size_t>(y) * width + x] = true;
    }
    std::size_t infoPixels = 0, onText = 0, onBorder = 0, textOutside = 0;
    for (std::size_t p = 0; p < info.size(); ++p) {
      infoPixels += info[p];
      onText += info[p] && texts[p];
      onBorder += info[p] && border[p];
      textOutside += texts[p] && !inner[p];
    }
    EXPECT_GT(infoPixels, 0u) << what << ": the info line is shown";
    EXPECT_EQ(onText, 0u) << what << ": info-line pixels on a cabinet's texts";
    EXPECT_EQ(onBorder, 0u) << what << ": info-line pixels on a border";
    EXPECT_EQ(textOutside, 0u) << what << ": text pixels outside their cabinet's border";
    if (expectInside) {
      std::size_t inCabinet = 0;
      for (std::size_t p = 0; p < info.size(); ++p) inCabinet += info[p] && inner[p];
      EXPECT_EQ(inCabinet, infoPixels) << what << ": with no gap the line sits in a cabinet";
    }
  }
}

TEST(MapWords, NothingOfOursCoversACabinetsWordsOrBorder) {
  LinkedMapContext();
  const std::string examples = VELTRIMA_MAP_EXAMPLES, tests = VELTRIMA_MAP_LAYOUTS;
  for (const std::string& path :
       {examples + "/wall.csv", examples + "/wall.json", examples + "/wall.xml",
        tests + "/mixed.csv", tests + "/mixed.json", tests + "/screens.xml"}) {
    CheckLayout(path, 0, 0, false);
    CheckLayout(path, 1920, 1080, false);
  }
}

TEST(MapWords, AWallWithNoGapHoldsTheLineInItsLargestCabinet) {
  LinkedMapContext();
  // 4 x 2 cabinets filling the canvas, one of them larger.
  const std::string path = Temp().Write("full.csv",
                                        "id,x,y,w,h\n"
                                        "BIG,0,0,480,540\n"
                                        "B,480,0,240,270\nC,720,0,240,270\n"
                                        "D,480,270,240,270\nE,720,270,240,270\n");
  CheckLayout(path, 0, 0, true);
  // Larger than its canvas, the output has room beside the wall.
  CheckLayout(path, 1920, 1080, false);
}

}  // namespace

// Nothing the plug-in writes of its own covers a cabinet's words: for every
// layout of examples/ and of the tests, every screen, at the canvas size and
// at 1920x1080, the pixels that change when the info line is switched off
// never meet the pixels of the cabinets' texts and marks (those that change
// when, with the info line off, labels, coordinates and orientation marks
// are switched off too), nor any cabinet's border; and every text pixel lies
// inside its cabinet's border. A full-canvas wall with no gap puts the line
// inside its largest cabinet. And a cabinet's own texts (label, port line,
// size, corner tags, mark) never meet each other or leave its border, on
// every layout and on cabinets from tiny to huge, turned every way, with
// labels far too long for them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BadFiles.h"
#include "LinkedMap.h"
#include "glyphs/GlyphTable.h"
#include "glyphs/Utf8Glyphs.h"
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

// The map of `path`; with `failedReRead`, after a re-read of a broken file
// that leaves it under the error banner.
std::vector<float> Render(const std::string& path, int screen, int width, int height,
                          bool info, bool texts, bool failedReRead = false) {
  hostkit::HostInstance map(LinkedMap(), width, height, hostkit::PixelFormat::RGBA8);
  EXPECT_EQ(LinkedMap().SetTextParameter(map.Id(), kMapFile, path.c_str()), FF_SUCCESS);
  map.Set(kMapScreen, static_cast<float>(screen));
  map.Set(kMapShowInfo, info ? 1.0f : 0.0f);
  for (FFUInt32 p : {kMapShowLabels, kMapShowCoordinates, kMapShowOrientation})
    map.Set(p, texts ? 1.0f : 0.0f);
  EXPECT_TRUE(Settle(map));
  if (failedReRead) {
    const std::string broken = Temp().Write("broken.csv", "id,x,y,w,h\nA,0,0,wide,10\n");
    EXPECT_EQ(LinkedMap().SetTextParameter(map.Id(), kMapFile, broken.c_str()), FF_SUCCESS);
    EXPECT_TRUE(Settle(map));
    bool said = false;
    for (const ScreenText& t : TextsOf(map)) said = said || t.text == "CANNOT LOAD BROKEN.CSV";
    EXPECT_TRUE(said) << path << ": the banner's title";
  }
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
    const std::vector<float> failed = Render(path, screen, width, height, true, true, true);
    const std::vector<bool> info = Changed(all, noInfo), texts = Changed(noInfo, bare);
    const std::vector<bool> banner = Changed(failed, all);
    // The output pixels on a border, and those inside a cabinet's border.
    std::vector<bool> border(info.size(), false), inner(info.size(), false);
    for (const Rect& r : plan.rects) {
      const Rect in = InnerRect(r, kLineWidth);
      for (int y = std::max(0, r.y0); y < std::min(height, r.y1); ++y)
        for (int x = std::max(0, r.x0); x < std::min(width, r.x1); ++x)
          (in.Contains(x, y) ? inner : border)[static_cast<std::size_t>(y) * width + x] = true;
    }
    std::size_t infoPixels = 0, onText = 0, onBorder = 0, textOutside = 0;
    std::size_t bannerPixels = 0, bannerOnText = 0, bannerOnBorder = 0, bannerOnInfo = 0;
    for (std::size_t p = 0; p < info.size(); ++p) {
      infoPixels += info[p];
      onText += info[p] && texts[p];
      onBorder += info[p] && border[p];
      textOutside += texts[p] && !inner[p];
      bannerPixels += banner[p];
      bannerOnText += banner[p] && texts[p];
      bannerOnBorder += banner[p] && border[p];
      bannerOnInfo += banner[p] && info[p];
    }
    EXPECT_GT(bannerPixels, 0u) << what << ": the banner is shown";
    EXPECT_EQ(bannerOnText, 0u) << what << ": banner pixels on a cabinet's texts";
    EXPECT_EQ(bannerOnBorder, 0u) << what << ": banner pixels on a border";
    EXPECT_EQ(bannerOnInfo, 0u) << what << ": banner pixels on the info line";
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
  // A label far too long for its cabinet, tiny cabinets, a narrow turned one.
  const std::string odd = Temp().Write(
      "odd.csv",
      "id,x,y,w,h,label,rot\n"
      "LONG,0,0,300,200,FRONT LEFT UPPER ROW CABINET NUMBER 0123456789 OF THE MAIN WALL,0\n"
      "T1,300,0,12,12,,90\nT2,312,0,30,30,,180\nN,300,40,40,160,NARROW,90\n");
  CheckLayout(odd, 0, 0, false);
  CheckLayout(odd, 1920, 1080, false);
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

// Every box of a cabinet's words and mark inside its border, none meeting
// another; answers how many boxes there were.
std::size_t CheckWordsApart(const layout::Cabinet& c, const Rect& rect, const std::string& what) {
  const std::vector<PlacedText> words = CabinetWords(c, rect, kLineWidth, true, true, true);
  std::vector<Rect> boxes = MarkBoxes(rect, kLineWidth, c.rot);
  for (const PlacedText& t : words) boxes.push_back(t.Box());
  const Rect inner = InnerRect(rect, kLineWidth);
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const Rect& b = boxes[i];
    EXPECT_TRUE(b.x0 >= inner.x0 && b.y0 >= inner.y0 && b.x1 <= inner.x1 && b.y1 <= inner.y1)
        << what << ": box " << i << " leaves the border";
    for (std::size_t j = i + 1; j < boxes.size(); ++j)
      EXPECT_FALSE(b.Overlaps(boxes[j])) << what << ": boxes " << i << " and " << j << " meet";
  }
  return words.size();
}

TEST(MapWords, ACabinetsOwnTextsNeverMeetOrLeaveIt) {
  const std::string examples = VELTRIMA_MAP_EXAMPLES, tests = VELTRIMA_MAP_LAYOUTS;
  for (const std::string& path :
       {examples + "/wall.csv", examples + "/wall.json", examples + "/wall.xml",
        tests + "/mixed.csv", tests + "/mixed.json", tests + "/screens.xml"}) {
    const layout::Result<layout::Layout> file = layout::LoadLayoutFile(path);
    ASSERT_TRUE(file.ok()) << path;
    for (int screen = 1; screen <= std::max(1, layout::ScreenCount(file.value())); ++screen) {
      const ScreenPlan plan = PlanScreen(file.value(), screen);
      for (std::size_t i = 0; i < plan.rects.size(); ++i)
        CheckWordsApart(*plan.cabinets[i], plan.rects[i], path + " " + plan.cabinets[i]->id);
    }
  }
  // Sizes from too small for anything to a wall panel, narrow and wide,
  // turned every way, with a short label and one far too long.
  const int sides[] = {3, 9, 16, 24, 28, 30, 40, 56, 64, 100, 250, 500, 1000};
  for (const char* label : {"A1", "FRONT LEFT UPPER ROW CABINET NUMBER 0123456789 OF THE MAIN WALL"})
    for (int w : sides)
      for (int h : sides)
        for (int rot : {0, 90, 180, 270}) {
          layout::Cabinet c;
          c.id = "C";
          c.label = label;
          c.w = w, c.h = h, c.rot = rot, c.port = 1, c.chain = 12;
          CheckWordsApart(c, shapes::RectAt(1000, 700, w, h),
                          std::string(label).substr(0, 4) + " " + std::to_string(w) + "x" +
                              std::to_string(h) + " rot " + std::to_string(rot));
        }
}

TEST(MapWords, ALabelTooLongIsCutWithAnEllipsisAndAShortOneKeepsItsWholeText) {
  layout::Cabinet c;
  c.id = "C";
  c.label = "FRONT LEFT UPPER ROW CABINET NUMBER 0123456789 OF THE MAIN WALL";
  c.w = 200, c.h = 200;
  const Rect rect = shapes::RectAt(0, 0, 200, 200);
  std::vector<PlacedText> words = CabinetTexts(c, rect, kLineWidth, {});
  ASSERT_FALSE(words.empty()) << "the cut label is shown";
  const std::vector<std::int32_t>& label = words.front().glyphs;
  ASSERT_GT(label.size(), 4u);
  EXPECT_LT(label.size(), c.label.size());
  EXPECT_EQ(words.front().scale, 1);
  // The label's own first glyphs, then the one ellipsis glyph, all of it
  // inside the border.
  const std::vector<std::int32_t> typed =
      EncodeUtf8Glyphs(c.label, label.size() - 1, SmallX::Letter);
  EXPECT_EQ(std::vector<std::int32_t>(label.begin(), label.end() - 1), typed);
  EXPECT_EQ(label.back(), kGlyphEllipsis);
  const Rect inner = InnerRect(rect, kLineWidth), box = words.front().Box();
  EXPECT_TRUE(box.x0 >= inner.x0 && box.x1 <= inner.x1) << box.x0 << ".." << box.x1;
  // The port line and the size still follow it.
  EXPECT_EQ(words.size(), 3u);

  // A label past the longest the map draws, on a cabinet with room for all
  // of it, is cut too: 63 of its glyphs and the ellipsis.
  c.label = std::string(100, 'W');
  c.w = c.h = 4000;
  words = CabinetTexts(c, shapes::RectAt(0, 0, 4000, 4000), kLineWidth, {});
  ASSERT_FALSE(words.empty());
  ASSERT_EQ(words.front().glyphs.size(), 64u);
  EXPECT_EQ(words.front().glyphs.back(), kGlyphEllipsis);
  EXPECT_EQ(words.front().glyphs[62], kGlyphCapitalA + ('W' - 'A'));
  c.w = c.h = 200;

  c.label = "TALL 1";
  words = CabinetTexts(c, rect, kLineWidth, {});
  ASSERT_FALSE(words.empty());
  EXPECT_EQ(words.front().glyphs.size(), 6u);
  EXPECT_GT(words.front().scale, 1);
  // A label that would meet a tag shrinks below it.
  const int free = words.front().scale;
  const Rect tag = shapes::RectAt(0, words.front().Box().y0, words.front().Box().x0 + 4, 7);
  words = CabinetTexts(c, rect, kLineWidth, {tag});
  ASSERT_FALSE(words.empty());
  EXPECT_LT(words.front().scale, free);
  EXPECT_FALSE(words.front().Box().Overlaps(tag));
}

}  // namespace

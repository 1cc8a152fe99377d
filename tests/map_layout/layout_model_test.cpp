// The model's queries (screens, chains, the canvas) and the number reader
// every parser shares.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "map/layout/CsvLayout.h"
#include "map/layout/Layout.h"
#include "map/layout/LayoutError.h"
#include "map/layout/NumberText.h"

namespace {

using layout::Layout;

Layout Parsed(const std::string& csv) {
  const auto result = layout::ParseCsvLayout(csv);
  EXPECT_TRUE(result.ok()) << result.error().Message();
  return result.ok() ? result.value() : Layout();
}

TEST(LayoutModel, GroupsCabinetsByScreen) {
  const Layout wall = Parsed("id,x,y,w,h,screen\na,0,0,1,1,2\nb,0,0,1,1,\nc,0,0,1,1,4\nd,0,0,1,1,2\n");
  EXPECT_EQ(layout::ScreenCount(wall), 4);
  EXPECT_EQ(layout::CabinetsOfScreen(wall, 1), (std::vector<std::size_t>{1}));
  EXPECT_EQ(layout::CabinetsOfScreen(wall, 2), (std::vector<std::size_t>{0, 3}));
  EXPECT_TRUE(layout::CabinetsOfScreen(wall, 3).empty());
  EXPECT_TRUE(layout::CabinetsOfScreen(wall, 0).empty());
  Layout named = wall;
  named.screenNames.assign(6, "screen");
  EXPECT_EQ(layout::ScreenCount(named), 6);
}

TEST(LayoutModel, OrdersChainsByPortAndPosition) {
  // File order is not chain order; an unchained cabinet on a port is left out.
  const Layout wall = Parsed(
      "id,x,y,w,h,port,chain\n"
      "b2,0,0,1,1,B,2\na3,0,0,1,1,A,3\nfree,0,0,1,1,,\na1,0,0,1,1,A,1\nb1,0,0,1,1,B,1\n"
      "loose,0,0,1,1,A,\nl1,0,0,1,1,L,1\n");
  std::vector<std::string> chains;
  for (const layout::PortChain& chain : layout::ChainsByPort(wall)) {
    std::string line = layout::PortName(chain.port) + ":";
    for (std::size_t i : chain.cabinets) line += " " + wall.cabinets[i].id;
    chains.push_back(line);
  }
  EXPECT_EQ(chains, (std::vector<std::string>{"A: a1 a3", "B: b1 b2", "L: l1"}));
}

TEST(LayoutModel, CanvasIsTheFilesOrTheBoundingBoxFromTheOrigin) {
  Layout wall = Parsed("id,x,y,w,h\na,-100,-50,300,100\nb,400,200,100,600\n");
  EXPECT_EQ(layout::CanvasExtent(wall).w, 500);
  EXPECT_EQ(layout::CanvasExtent(wall).h, 800);
  wall.canvasW = 1920;
  wall.canvasH = 1080;
  EXPECT_EQ(layout::CanvasExtent(wall).w, 1920);
  EXPECT_EQ(layout::CanvasExtent(wall).h, 1080);
  // Everything left of and above the origin: nothing to draw on.
  const Layout off = Parsed("id,x,y,w,h\na,-100,-100,50,50\n");
  EXPECT_EQ(layout::CanvasExtent(off).w, 0);
}

TEST(LayoutModel, EachScreensCanvasIsTheFilesOrItsOwnCabinetsBoxFromTheOrigin) {
  Layout wall = Parsed(
      "id,x,y,w,h,screen\nA,0,0,100,50,1\nB,100,0,20,70,1\nC,300,10,40,40,2\nD,-20,-5,30,30,3\n");
  struct Case { int screen; long w, h; } cases[] = {
      {1, 120, 70}, {2, 340, 50}, {3, 10, 25}, {4, 0, 0}};
  for (const Case& c : cases) {
    const layout::Extent e = layout::ScreenCanvasExtent(wall, c.screen);
    EXPECT_EQ(e.w, c.w) << "screen " << c.screen;
    EXPECT_EQ(e.h, c.h) << "screen " << c.screen;
  }
  wall.canvasW = 64;
  wall.canvasH = 32;
  for (int screen = 1; screen <= 3; ++screen) {
    EXPECT_EQ(layout::ScreenCanvasExtent(wall, screen).w, 64) << "screen " << screen;
    EXPECT_EQ(layout::ScreenCanvasExtent(wall, screen).h, 32) << "screen " << screen;
  }
}

TEST(LayoutModel, NamesPortsAToL) {
  EXPECT_EQ(layout::PortName(1), "A");
  EXPECT_EQ(layout::PortName(12), "L");
  EXPECT_EQ(layout::PortName(0), "");
  EXPECT_EQ(layout::PortName(13), "");
}

TEST(LayoutError, MessagesPutLinesFirstAndPathsAsTheSubject) {
  EXPECT_EQ(layout::LayoutError::AtLine(12, "W IS NOT A NUMBER").Message(), "LINE 12: W IS NOT A NUMBER");
  EXPECT_EQ(layout::LayoutError::AtPath("cabinets[3].w", "CABINETS[3].W IS NOT A NUMBER").Message(),
            "CABINETS[3].W IS NOT A NUMBER");
  EXPECT_EQ(layout::LayoutError::InFile("NO CABINETS").Message(), "NO CABINETS");
}

TEST(LayoutError, QuotesFileTextInTheWallsAlphabet) {
  EXPECT_EQ(layout::QuoteForMessage("rot-4.5:+, x"), "ROT-4.5:+, X");
  EXPECT_EQ(layout::QuoteForMessage("a\"b\x01\xC3\xA9"), "A?B???");
  EXPECT_EQ(layout::QuoteForMessage("0123456789abcdefg"), "0123456789ABCDEF..");
  EXPECT_EQ(layout::QuoteForMessage("abc", 2), "AB..");
}

TEST(NumberText, ReadsDecimalsAndNothingElse) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const struct {
    const char* text;
    bool decimalComma;
    std::optional<double> value;
  } cases[] = {
      {"12", false, 12},       {"-3", false, -3},       {"+0.5", false, 0.5},
      {".5", false, 0.5},      {"7.", false, 7},        {"1e3", false, 1000},
      {"1E-2", false, 0.01},   {"-0", false, 0},        {"12,5", true, 12.5},
      {"12.5", true, 12.5},    {"12,5", false, {}},     {"1,5,5", true, {}},
      {"", false, {}},         {"-", false, {}},        {".", false, {}},
      {"e3", false, {}},       {"1e", false, {}},       {"1e+", false, {}},
      {"inf", false, {}},      {"nan", false, {}},      {"infinity", false, {}},
      {"0x10", false, {}},     {" 1", false, {}},       {"1 ", false, {}},
      {"1.2.3", false, {}},    {"++1", false, {}},      {"1e400", false, kInf},
      {"-1e400", false, -kInf}, {"1e-400", false, 0},
      {"0.00000000000000000000000000000000000001e-300", false, 0},
      {"1e99999999999999999999", false, kInf},
  };
  for (const auto& c : cases)
    EXPECT_EQ(layout::ReadNumber(c.text, c.decimalComma), c.value) << '"' << c.text << '"';
  // Hundreds of digits before the point: huge, not zero.
  EXPECT_EQ(layout::ReadNumber("1" + std::string(400, '0'), false), kInf);
  EXPECT_EQ(layout::ReadNumber("0." + std::string(400, '0') + "1e5", false), 0.0);
}

}  // namespace

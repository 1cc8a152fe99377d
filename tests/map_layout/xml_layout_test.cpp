// The screen-setup XML reader: screens and slices, the name it finds, how
// edges round and orientations turn into rot, every fault with its line, and
// the limits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "map/layout/Limits.h"
#include "map/layout/XmlLayout.h"
#include "tests/map_layout/CabinetText.h"

namespace {

using layout::ParseXmlLayout;
using layout_test::Lines;
using layout_test::MessageOf;

// ` orientation="..."`, or nothing for an empty text.
std::string OrientationAttribute(const std::string& radians) {
  return radians.empty() ? std::string() : " orientation=\"" + radians + "\"";
}

// A slice with `name` (none when empty) and an input rect from x0,y0 to
// x1,y1 (as text, so tests can write any number) with `orientation`, then
// an output rect with `outputOrientation` (no attribute for an empty text).
std::string Slice(const std::string& name, const std::string& x0, const std::string& y0,
                  const std::string& x1, const std::string& y1,
                  const std::string& orientation = "0",
                  const std::string& outputOrientation = "0") {
  std::string s = "<Slice>\n";
  if (!name.empty())
    s += R"(<Params name="Common"><Param name="Enabled" value="1"/><Param name="Name" T="STRING" value=")" +
         name + "\"/></Params>\n";
  s += "<InputRect" + OrientationAttribute(orientation) + ">\n";
  s += "<v x=\"" + x0 + "\" y=\"" + y0 + "\"/><v x=\"" + x1 + "\" y=\"" + y0 + "\"/>\n";
  s += "<v x=\"" + x1 + "\" y=\"" + y1 + "\"/><v x=\"" + x0 + "\" y=\"" + y1 + "\"/>\n";
  s += "</InputRect>\n<OutputRect" + OrientationAttribute(outputOrientation) +
       "><v x=\"9\" y=\"9\"/></OutputRect>\n</Slice>\n";
  return s;
}

std::string Screen(const std::string& name, const std::string& slices) {
  return "<Screen name=\"" + name + "\"><layers>\n" + slices + "</layers></Screen>\n";
}

std::string State(const std::string& screens) {
  return "<?xml version=\"1.0\"?>\n<XmlState name=\"x\">\n<ScreenSetup name=\"ScreenSetup\">\n"
         "<screens>\n" + screens + "</screens>\n</ScreenSetup>\n</XmlState>\n";
}

TEST(XmlLayout, EachSliceOfEachScreenIsACabinet) {
  const auto result = ParseXmlLayout(State(
      Screen("Main", Slice("Left", "0", "0", "500", "500") + Slice("", "500", "0", "1000", "1000")) +
      Screen("Empty", "") + Screen("Side", Slice("S1", "0", "0", "200", "100", "1.5707963"))));
  ASSERT_TRUE(result.ok()) << result.error().Message();
  EXPECT_EQ(Lines(result), (std::vector<std::string>{"Left|Left|0,0 500x500|0|- 0|1",
                                                     "Slice 2|Slice 2|500,0 500x1000|0|- 0|1",
                                                     "S1|S1|0,0 200x100|90|- 0|3"}));
  EXPECT_EQ(result.value().screenNames, (std::vector<std::string>{"Main", "Empty", "Side"}));
  EXPECT_EQ(result.value().canvasW, 0);
}

TEST(XmlLayout, FindsTheNameInAnyParamsChild) {
  const std::string slice =
      "<Slice><Params name=\"Other\"><Param name=\"Name\" value=\"Found\"/></Params>"
      "<InputRect><v x=\"0\" y=\"0\"/><v x=\"1\" y=\"0\"/><v x=\"1\" y=\"1\"/><v x=\"0\" y=\"1\"/>"
      "</InputRect></Slice>";
  EXPECT_EQ(Lines(ParseXmlLayout(State(Screen("M", slice)))),
            (std::vector<std::string>{"Found|Found|0,0 1x1|0|- 0|1"}));
}

TEST(XmlLayout, RoundsEdgesSoSharedEdgesStayShared) {
  // Two slices meeting at 333.5: both round that edge to 334.
  EXPECT_EQ(Lines(ParseXmlLayout(State(Screen("M", Slice("a", "0", "-0.5", "333.5", "99.4999") +
                                                      Slice("b", "333.5", "0", "666.9", "100"))))),
            (std::vector<std::string>{"a|a|0,0 334x99|0|- 0|1", "b|b|334,0 333x100|0|- 0|1"}));
}

TEST(XmlLayout, TurnsOrientationsIntoQuarterTurns) {
  const struct {
    const char* radians;
    int rot;
  } cases[] = {{"0", 0},         {"1.5707963", 90}, {"3.14159265", 180}, {"4.712389", 270},
               {"-1.5707963", 270}, {"6.2831853", 0},  {"-3.1416", 180},   {"7.8539816", 90},
               {"1.5621", 90}};  // 89.502 degrees, just inside the tolerance
  for (const auto& c : cases) {
    const auto result = ParseXmlLayout(State(Screen("M", Slice("a", "0", "0", "1", "1", c.radians))));
    ASSERT_TRUE(result.ok()) << c.radians << ": " << result.error().Message();
    EXPECT_EQ(result.value().cabinets[0].rot, c.rot) << c.radians;
  }
}

TEST(XmlLayout, TheOutputRectTurnsASliceWhoseInputRectDoesNot) {
  // A section turned to save cable is often rotated on its way to the
  // output only; the InputRect, when it is turned, has the last word.
  const struct {
    const char* input;   // "": no attribute
    const char* output;  // "": no attribute
    int rot;
  } cases[] = {
      {"0", "1.5707963", 90},           {"", "3.14159265", 180},
      {"6.2831853", "4.712389", 270},   {"0", "-1.5707963", 270},
      {"", "", 0},                      {"1.5707963", "3.14159265", 90},
      {"-1.5707963", "0", 270},         {"3.14159265", "0.4", 180},
  };
  for (const auto& c : cases) {
    const auto result =
        ParseXmlLayout(State(Screen("M", Slice("a", "0", "0", "1", "1", c.input, c.output))));
    ASSERT_TRUE(result.ok()) << c.input << " / " << c.output << ": " << result.error().Message();
    EXPECT_EQ(result.value().cabinets[0].rot, c.rot) << c.input << " / " << c.output;
  }
}

TEST(XmlLayout, AbsurdOrientationsAreFaultsNotUndefined) {
  // Angles whose degrees overflow a double: whole turns come off first, so
  // each is an ordinary angle (none near a quarter turn), never a NaN whose
  // quarter count would be undefined.
  for (const char* radians : {"1e308", "-1.7e308", "1e300"})
    EXPECT_EQ(MessageOf(ParseXmlLayout(State(Screen("M", Slice("a", "0", "0", "1", "1", radians))))),
              "LINE 8: ORIENTATION " + layout::QuoteForMessage(radians) +
                  " IS NOT A MULTIPLE OF 90 DEGREES")
        << radians;
}

struct ErrorCase {
  std::string text;
  std::string message;
};

// State() puts a screen's first slice on line 6, its InputRect on line 8,
// its vertices on lines 9 and 10 and its OutputRect on line 12.
TEST(XmlLayout, NamesTheLineOfEveryFault) {
  const std::string noRect = "<Slice>\n<Params/>\n</Slice>\n";
  const std::string threeVertices =
      "<Slice><InputRect>\n<v x=\"0\" y=\"0\"/><v x=\"1\" y=\"0\"/><v x=\"1\" y=\"1\"/></InputRect></Slice>";
  const std::string fiveVertices =
      "<Slice><InputRect>\n<v x=\"0\" y=\"0\"/><v x=\"1\" y=\"0\"/><v x=\"1\" y=\"1\"/>"
      "<v x=\"0\" y=\"1\"/><v x=\"0\" y=\"0\"/></InputRect></Slice>";
  const ErrorCase cases[] = {
      {"", "LINE 1: XML NO DOCUMENT ELEMENT FOUND"},
      {"<XmlState>\n<ScreenSetup>\n</XmlState>", "LINE 3: XML START-END TAGS MISMATCH"},
      {"<Other/>", "ROOT IS NOT XMLSTATE"},
      {"<XmlState/>", "LINE 1: NO SCREENSETUP"},
      {"<XmlState>\n<ScreenSetup/></XmlState>", "LINE 2: SCREENSETUP HAS NO SCREENS"},
      {State(""), "NO CABINETS"},
      {State(Screen("M", "")), "NO CABINETS"},
      {State(Screen("M", noRect)), "LINE 6: SLICE HAS NO INPUTRECT"},
      {State(Screen("M", threeVertices)), "LINE 6: INPUTRECT HAS 3 VERTICES, NOT 4"},
      {State(Screen("M", fiveVertices)), "LINE 6: INPUTRECT HAS MORE THAN 4 VERTICES, NOT 4"},
      {State(Screen("M", Slice("a", "0", "0", "left", "1"))), "LINE 9: V X IS NOT A NUMBER"},
      {State(Screen("M", Slice("a", "0", "0", "1", "nan"))), "LINE 10: V Y IS NOT A NUMBER"},
      {State(Screen("M", Slice("a", "0", "0", "2e6", "1"))),
       "LINE 9: V X IS OUTSIDE -1000000 TO 1000000"},
      {State(Screen("M", Slice("a", "-600000", "0", "600000", "1"))),
       "LINE 8: INPUTRECT IS LARGER THAN 1000000"},
      {State(Screen("M", Slice("a", "0", "0", "0.4", "1"))), "LINE 8: INPUTRECT HAS NO AREA"},
      {State(Screen("M", Slice("a", "0", "0", "1", "1", "0.4"))),
       "LINE 8: ORIENTATION 0.4 IS NOT A MULTIPLE OF 90 DEGREES"},
      {State(Screen("M", Slice("a", "0", "0", "1", "1", "0.785398"))),
       "LINE 8: ORIENTATION 0.785398 IS NOT A MULTIPLE OF 90 DEGREES"},
      {State(Screen("M", Slice("a", "0", "0", "1", "1", "1e400"))),
       "LINE 8: ORIENTATION 1E400 IS NOT A NUMBER"},
      {State(Screen("M", Slice("a", "0", "0", "1", "1", "quarter"))),
       "LINE 8: ORIENTATION QUARTER IS NOT A NUMBER"},
      {State(Screen("M", Slice("a", "0", "0", "1", "1", "0", "0.785398"))),
       "LINE 12: ORIENTATION 0.785398 IS NOT A MULTIPLE OF 90 DEGREES"},
      {State(Screen("M", Slice("a", "0", "0", "1", "1", "", "west"))),
       "LINE 12: ORIENTATION WEST IS NOT A NUMBER"},
      {State(Screen("M", Slice("a", "0", "0", "1", "1", "0.4", "1.5707963"))),
       "LINE 8: ORIENTATION 0.4 IS NOT A MULTIPLE OF 90 DEGREES"},
  };
  for (const ErrorCase& c : cases) EXPECT_EQ(MessageOf(ParseXmlLayout(c.text)), c.message) << c.text;
}

TEST(XmlLayout, HoldsItsLimits) {
  const std::string slice = Slice("", "0", "0", "1", "1");
  std::string slices;
  for (std::size_t i = 0; i < layout::kMaxCabinets; ++i) slices += slice;
  const auto full = ParseXmlLayout(State(Screen("M", slices)));
  ASSERT_TRUE(full.ok()) << full.error().Message();
  EXPECT_EQ(full.value().cabinets.back().id, "Slice 10000");
  EXPECT_EQ(MessageOf(ParseXmlLayout(State(Screen("M", slices) + Screen("N", slice)))),
            "MORE THAN 10000 CABINETS");

  std::string huge = State(Screen("M", slice));
  huge.resize(layout::kMaxFileBytes + 1, ' ');
  EXPECT_EQ(MessageOf(ParseXmlLayout(huge)), "FILE IS LARGER THAN 16 MIB");
}

}  // namespace

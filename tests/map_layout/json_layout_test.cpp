// The JSON reader: what it accepts, every fault named by its JSON path, the
// syntax errors nlohmann/json reports, and the limits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "map/layout/JsonLayout.h"
#include "map/layout/Limits.h"
#include "tests/map_layout/CabinetText.h"

namespace {

using layout::ParseJsonLayout;
using layout_test::Lines;
using layout_test::MessageOf;

// A file whose only cabinet has the fields `fields` (JSON members, without
// braces) after a valid id.
std::string OneCabinet(const std::string& fields) {
  return R"({"cabinets": [{"id": "A", )" + fields + "}]}";
}

TEST(JsonLayout, ReadsCabinetsCanvasAndScreens) {
  const auto result = ParseJsonLayout(R"({"version": 1, "canvas": {"w": 1920.4, "h": "1080"},
      "screens": ["Main", "Side"],
      "cabinets": [{"id": "A", "x": 0, "y": 0, "w": 500, "h": 500, "port": "b", "chain": 2,
                    "rot": 180, "screen": 2, "label": "Top", "extra": [1, 2]},
                   {"id": 7, "label": null, "x": "-10", "y": 1.5, "w": 2.5, "h": 1e2, "port": 12}]})");
  ASSERT_TRUE(result.ok()) << result.error().Message();
  EXPECT_EQ(Lines(result), (std::vector<std::string>{"A|Top|0,0 500x500|180|B 2|2",
                                                     "7|7|-10,2 3x100|0|L 0|1"}));
  EXPECT_EQ(result.value().canvasW, 1920);
  EXPECT_EQ(result.value().canvasH, 1080);
  EXPECT_EQ(result.value().screenNames, (std::vector<std::string>{"Main", "Side"}));
  EXPECT_EQ(result.value().cabinets[1].sourceLine, 2u);
}

TEST(JsonLayout, AcceptsAByteOrderMarkAndNoVersion) {
  EXPECT_TRUE(ParseJsonLayout("\xEF\xBB\xBF" + OneCabinet(R"("x":0,"y":0,"w":1,"h":1)")).ok());
}

struct ErrorCase {
  std::string text;
  std::string message;
};

TEST(JsonLayout, NamesThePathOfEveryFault) {
  const std::string sized = R"("x": 0, "y": 0, "w": 1, "h": 1)";
  const ErrorCase cases[] = {
      {"[1, 2]", "FILE IS NOT A JSON OBJECT"},
      {"{}", "CABINETS IS MISSING"},
      {R"({"cabinets": {}})", "CABINETS IS NOT A LIST"},
      {R"({"cabinets": []})", "NO CABINETS"},
      {R"({"cabinets": [{"id": "A", "x": 0, "y": 0, "w": 1, "h": 1}, 5]})",
       "CABINETS[1] IS NOT AN OBJECT"},
      {R"({"version": 2, "cabinets": []})", "VERSION 2 IS NOT SUPPORTED"},
      {R"({"version": "one", "cabinets": []})", "VERSION IS NOT SUPPORTED"},
      {R"({"canvas": [1, 2], "cabinets": []})", "CANVAS IS NOT AN OBJECT"},
      {R"({"canvas": {"w": 10}, "cabinets": []})", "CANVAS.H IS MISSING"},
      {R"({"canvas": {"w": 0, "h": 1}, "cabinets": []})", "CANVAS.W IS ZERO"},
      {R"({"screens": "Main", "cabinets": []})", "SCREENS IS NOT A LIST"},
      {R"({"screens": ["Main", 2], "cabinets": []})", "SCREENS[1] IS NOT TEXT"},
      {R"({"cabinets": [{"x": 0, "y": 0, "w": 1, "h": 1}]})", "CABINETS[0].ID IS MISSING"},
      {OneCabinet(R"("x": 0, "y": 0, "w": "wide", "h": 1)"), "CABINETS[0].W IS NOT A NUMBER"},
      {OneCabinet(R"("x": 0, "y": 0, "w": true, "h": 1)"), "CABINETS[0].W IS NOT A NUMBER OR TEXT"},
      {OneCabinet(R"("x": 0, "y": 0, "h": 1)"), "CABINETS[0].W IS MISSING"},
      {OneCabinet(R"("x": 0, "y": 0, "w": null, "h": 1)"), "CABINETS[0].W IS MISSING"},
      {OneCabinet(R"("x": 0, "y": 0, "w": 1, "h": -1)"), "CABINETS[0].H IS NEGATIVE"},
      {OneCabinet(R"("x": 18446744073709551615, "y": 0, "w": 1, "h": 1)"),
       "CABINETS[0].X IS OUTSIDE -1000000 TO 1000000"},
      {OneCabinet(sized + R"(, "rot": 45)"), "CABINETS[0].ROT 45 IS NOT 0 90 180 OR 270"},
      {OneCabinet(sized + R"(, "port": 13)"), "CABINETS[0].PORT 13 IS NOT A TO L OR 1 TO 12"},
      {OneCabinet(sized + R"(, "port": "M")"), "CABINETS[0].PORT M IS NOT A TO L OR 1 TO 12"},
      {OneCabinet(sized + R"(, "chain": 1)"), "CABINETS[0].CHAIN 1 HAS NO PORT"},
      {OneCabinet(sized + R"(, "screen": 0.5)"), "CABINETS[0].SCREEN 0.5 IS NOT 1 TO 10000"},
      {R"({"cabinets": [{"id": "A", "x": 0, "y": 0, "w": 1, "h": 1, "port": "A", "chain": 1},
                        {"id": "B", "x": 0, "y": 0, "w": 1, "h": 1, "port": 1, "chain": 1}]})",
       "CABINETS[1].CHAIN 1 OF PORT A REPEATS CABINETS[0]"},
      // Syntax errors: the line and column where the parser stopped.
      {"{\n  \"cabinets\": [\n    {\"id\": }\n", "LINE 3: JSON SYNTAX ERROR AT COLUMN 12"},
      {"{\"cabinets\": [", "LINE 1: JSON SYNTAX ERROR AT COLUMN 14"},  // at the last byte
      {"", "LINE 1: JSON SYNTAX ERROR AT COLUMN 1"},
      {"{\"cabinets\": \"\xFF\"}", "LINE 1: JSON SYNTAX ERROR AT COLUMN 15"},
      {OneCabinet(R"("x": 1e400, "y": 0, "w": 1, "h": 1)"), "JSON NUMBER IS TOO LARGE"},
      {std::string(33, '[') + std::string(33, ']'), "JSON IS NESTED DEEPER THAN 32"},
  };
  for (const ErrorCase& c : cases) EXPECT_EQ(MessageOf(ParseJsonLayout(c.text)), c.message) << c.text;
}

TEST(JsonLayout, ErrorsKeepThePathApart) {
  const auto result = ParseJsonLayout(OneCabinet(R"("x": 0, "y": 0, "w": "wide", "h": 1)"));
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.error().where, "cabinets[0].w");
}

// A file of `count` one-pixel cabinets.
std::string Cabinets(std::size_t count) {
  std::string text = R"({"cabinets": [)";
  for (std::size_t i = 0; i < count; ++i)
    text += std::string(i ? "," : "") + R"({"id":"c","x":0,"y":0,"w":1,"h":1})";
  return text + "]}";
}

TEST(JsonLayout, HoldsItsLimits) {
  EXPECT_TRUE(ParseJsonLayout(Cabinets(layout::kMaxCabinets)).ok());
  EXPECT_EQ(MessageOf(ParseJsonLayout(Cabinets(layout::kMaxCabinets + 1))),
            "MORE THAN 10000 CABINETS");
  // Nesting at the limit reaches the parser (which then wants an object).
  EXPECT_EQ(MessageOf(ParseJsonLayout(std::string(32, '[') + std::string(32, ']'))),
            "FILE IS NOT A JSON OBJECT");
  std::string huge = Cabinets(1);
  huge.resize(layout::kMaxFileBytes + 1, ' ');
  EXPECT_EQ(MessageOf(ParseJsonLayout(huge)), "FILE IS LARGER THAN 16 MIB");
  huge.resize(layout::kMaxFileBytes);
  EXPECT_TRUE(ParseJsonLayout(huge).ok());
}

}  // namespace

// Layout files by path: the example files in every format, format choice by
// extension and by content, the reader's errors and its size limit.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "map/layout/LayoutFile.h"
#include "map/layout/LayoutFormat.h"
#include "map/layout/Limits.h"
#include "tests/map_layout/CabinetText.h"
#include "tests/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;
using layout::LayoutFormat;
using layout_test::Lines;
using layout_test::MessageOf;

const std::string kExamples = VELTRIMA_EXAMPLES_DIR;

// A scratch folder of this test's own, removed at the end.
class LayoutFile : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    const fs::path path = dir_ / fs::u8path(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path.u8string();
  }

  ScratchFolder scratch_{"veltrima-layout"};
  const fs::path dir_ = scratch_.Path();
};

TEST_F(LayoutFile, TheExampleWallIsTheSameInCsvAndJson) {
  const auto csv = layout::LoadLayoutFile(kExamples + "/wall.csv");
  const auto json = layout::LoadLayoutFile(kExamples + "/wall.json");
  ASSERT_TRUE(csv.ok()) << csv.error().Message();
  ASSERT_TRUE(json.ok()) << json.error().Message();
  EXPECT_EQ(Lines(csv), Lines(json));
  const std::vector<std::string> expected = {
      "A1|Left, top|0,0 500x500|0|A 1|1",         "A2|A2|500,0 500x500|0|A 2|1",
      "A3|A3|500,500 500x500|0|A 3|1",            "A4|Left, bottom|0,500 500x500|0|A 4|1",
      "A5|Tall 1|1000,0 500x1000|0|A 5|1",        "A6|Tall 2|1500,0 500x1000|0|A 6|1",
      "B1|B1|2250,0 500x500|90|B 1|1",            "B2|B2|2750,0 500x500|90|B 2|1",
      "B3|B3|2750,500 500x500|90|B 3|1",          "B4|B4|2250,500 500x500|90|B 4|1"};
  EXPECT_EQ(Lines(csv), expected);
  EXPECT_EQ(layout::CanvasExtent(csv.value()).w, 3250);  // the bounding box
  EXPECT_EQ(layout::CanvasExtent(json.value()).w, 3840);  // the file's canvas
  EXPECT_EQ(layout::ChainsByPort(csv.value()).size(), 2u);
}

TEST_F(LayoutFile, TheExampleXmlHasTwoScreens) {
  const auto xml = layout::LoadLayoutFile(kExamples + "/wall.xml");
  ASSERT_TRUE(xml.ok()) << xml.error().Message();
  const layout::Layout& wall = xml.value();
  EXPECT_EQ(wall.screenNames, (std::vector<std::string>{"Main wall", "Side wall"}));
  EXPECT_EQ(layout::ScreenCount(wall), 2);
  EXPECT_EQ(layout::CabinetsOfScreen(wall, 1).size(), 6u);
  EXPECT_EQ(layout::CabinetsOfScreen(wall, 2).size(), 4u);
  EXPECT_EQ(layout_test::CabinetText(wall.cabinets[4]), "A5|A5|1000,0 500x1000|0|- 0|1");
  EXPECT_EQ(layout_test::CabinetText(wall.cabinets[9]), "B4|B4|2250,500 500x500|90|- 0|2");
}

TEST_F(LayoutFile, PicksTheParserByExtensionThenByContent) {
  const struct {
    const char* path;
    std::optional<LayoutFormat> format;
  } byPath[] = {{"a.csv", LayoutFormat::Csv},       {"A.JSON", LayoutFormat::Json},
                {"dir.v2/Wall.Xml", LayoutFormat::Xml}, {"dir.csv/wall", std::nullopt},
                {"dir.csv\\wall", std::nullopt},    {"wall.txt", std::nullopt},
                {"csv", std::nullopt},             {"wall.", std::nullopt}};
  for (const auto& c : byPath) EXPECT_EQ(layout::FormatOfPath(c.path), c.format) << c.path;

  const struct {
    const char* text;
    LayoutFormat format;
  } byContent[] = {{"\xEF\xBB\xBF \r\n{", LayoutFormat::Json}, {"[", LayoutFormat::Json},
                   {"\n <?xml", LayoutFormat::Xml},            {"id,x", LayoutFormat::Csv},
                   {"", LayoutFormat::Csv}};
  for (const auto& c : byContent) EXPECT_EQ(layout::SniffFormat(c.text), c.format) << c.text;

  // A known extension wins over the content; any other is sniffed.
  const std::string json = R"({"cabinets": [{"id": "A", "x": 0, "y": 0, "w": 1, "h": 1}]})";
  EXPECT_TRUE(layout::LoadLayoutFile(Write("wall.TXT", json)).ok());
  EXPECT_EQ(MessageOf(layout::LoadLayoutFile(Write("wall.CSV", json))),
            "LINE 1: TEXT AFTER CLOSING QUOTE");
}

TEST_F(LayoutFile, SaysWhyAFileCannotBeRead) {
  EXPECT_EQ(MessageOf(layout::LoadLayoutFile((dir_ / "absent.csv").string())),
            "CANNOT OPEN FILE: NO SUCH FILE OR DIRECTORY");
  EXPECT_EQ(MessageOf(layout::LoadLayoutFile(dir_.string())), "NOT A REGULAR FILE");
  // A UTF-8 name opens like any other.
  EXPECT_TRUE(layout::LoadLayoutFile(Write("w\xC3\xA4nd.csv", "id,x,y,w,h\na,0,0,1,1\n")).ok());
}

TEST_F(LayoutFile, ReadsUpToTheLimitAndNoFurther) {
  std::string bytes = "id,x,y,w,h\na,0,0,1,1\n";
  bytes.resize(layout::kMaxFileBytes, '\n');
  const auto atLimit = layout::ReadLayoutBytes(Write("limit.csv", bytes));
  ASSERT_TRUE(atLimit.ok()) << atLimit.error().Message();
  EXPECT_EQ(atLimit.value(), bytes);
  bytes += '\n';
  EXPECT_EQ(MessageOf(layout::LoadLayoutFile(Write("over.csv", bytes))), "FILE IS LARGER THAN 16 MIB");
}

}  // namespace

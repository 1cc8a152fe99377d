// The CSV reader: the dialects spreadsheets write, every fault with its
// exact message, and the limits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "map/layout/CsvLayout.h"
#include "map/layout/Limits.h"
#include "tests/map_layout/CabinetText.h"

namespace {

using layout::ParseCsvLayout;
using layout_test::Lines;
using layout_test::MessageOf;

struct AcceptCase {
  const char* name;
  std::string text;
  std::vector<std::string> cabinets;
};

TEST(CsvLayout, ReadsEveryDialect) {
  const AcceptCase cases[] = {
      {"required columns only; label is the id, screen 1",
       "id,x,y,w,h\nA1,0,0,500,500\n", {"A1|A1|0,0 500x500|0|- 0|1"}},
      {"any order and case, unknown columns ignored",
       "Notes,H,W,Y,X,ID,Port,CHAIN,Rot,Screen,Label\nn,1000,500,10,20,T1,b,2,270,2,Tall\n",
       {"T1|Tall|20,10 500x1000|270|B 2|2"}},
      {"semicolons, with decimal commas rounded",
       "id;x;y;w;h\nA1;12,5;-0,5;499,6;500\n", {"A1|A1|13,-1 500x500|0|- 0|1"}},
      {"byte-order mark and CRLF",
       "\xEF\xBB\xBFid,x,y,w,h\r\nA1,1,2,3,4\r\nA2,5,6,7,8\r\n",
       {"A1|A1|1,2 3x4|0|- 0|1", "A2|A2|5,6 7x8|0|- 0|1"}},
      {"quotes, doubled quotes, separators inside quotes, spaces around fields",
       "id,label,x,y,w,h\n\"A,1\" , \"Say \"\"hi\"\"\",0, 0 ,1,1\n",
       {"A,1|Say \"hi\"|0,0 1x1|0|- 0|1"}},
      {"blank lines and rows of empty fields skipped",
       "\n  \nid;x;y;w;h\n;;;;\n\nA1;0;0;1;1\n;;\n", {"A1|A1|0,0 1x1|0|- 0|1"}},
      {"ports as letters in either case or numbers; empty optional fields",
       "id,x,y,w,h,port,chain,rot\na,0,0,1,1,l,1,\nb,0,0,1,1,12,2,\nc,0,0,1,1,,,\n",
       {"a|a|0,0 1x1|0|L 1|1", "b|b|0,0 1x1|0|L 2|1", "c|c|0,0 1x1|0|- 0|1"}},
      {"decimals round half away from zero; exponents",
       "id,x,y,w,h\nA,2.5,-2.5,0.5,1e3\n", {"A|A|3,-3 1x1000|0|- 0|1"}},
      {"the separator the header has more of wins over commas in labels",
       "id;label;x;y;w;h\nA;Left, top;0;0;1;1\n", {"A|Left, top|0,0 1x1|0|- 0|1"}},
      {"a short row leaves trailing optional columns empty",
       "id,x,y,w,h,label,port\nA,0,0,1,1\n", {"A|A|0,0 1x1|0|- 0|1"}},
  };
  for (const AcceptCase& c : cases)
    EXPECT_EQ(Lines(ParseCsvLayout(c.text)), c.cabinets) << c.name;
}

struct ErrorCase {
  std::string text;
  std::string message;
};

TEST(CsvLayout, NamesTheLineAndFieldOfEveryFault) {
  const std::string header = "id,x,y,w,h,rot,port,chain,screen\n";
  const ErrorCase cases[] = {
      {"id,x,y,h\nA,0,0,1\n", "MISSING COLUMN W"},
      {"x,y,w,h\n", "MISSING COLUMN ID"},
      {"id,x,X,y,w,h\n", "DUPLICATE COLUMN X"},
      {"", "NO HEADER ROW"},
      {"\n\r\n", "NO HEADER ROW"},
      {header, "NO CABINETS"},
      {header + ",0,0,1,1\n", "LINE 2: ID IS MISSING"},
      {header + "A,0,0,wide,1\n", "LINE 2: W IS NOT A NUMBER"},
      {header + "A,0,0\n", "LINE 2: W IS MISSING"},
      {header + "A,0,0,-5,1\n", "LINE 2: W IS NEGATIVE"},
      {header + "A,0,0,1,0.4\n", "LINE 2: H IS ZERO"},
      {header + "A,inf,0,1,1\n", "LINE 2: X IS NOT A NUMBER"},
      {header + "A,nan,0,1,1\n", "LINE 2: X IS NOT A NUMBER"},
      {header + "A,0x10,0,1,1\n", "LINE 2: X IS NOT A NUMBER"},
      {header + "A,1000000.6,0,1,1\n", "LINE 2: X IS OUTSIDE -1000000 TO 1000000"},
      {header + "A,0,-1e400,1,1\n", "LINE 2: Y IS OUTSIDE -1000000 TO 1000000"},
      {header + "A,0,0,1,1,45\n", "LINE 2: ROT 45 IS NOT 0 90 180 OR 270"},
      {header + "A,0,0,1,1,-90\n", "LINE 2: ROT -90 IS NOT 0 90 180 OR 270"},
      {header + "A,0,0,1,1,\xC3\xA9t\xC3\xA9\n", "LINE 2: ROT ??T?? IS NOT 0 90 180 OR 270"},
      {header + "A,0,0,1,1,0,m\n", "LINE 2: PORT M IS NOT A TO L OR 1 TO 12"},
      {header + "A,0,0,1,1,0,13\n", "LINE 2: PORT 13 IS NOT A TO L OR 1 TO 12"},
      {header + "A,0,0,1,1,0,AB\n", "LINE 2: PORT AB IS NOT A TO L OR 1 TO 12"},
      {header + "A,0,0,1,1,0,A,0\n", "LINE 2: CHAIN 0 IS NOT 1 TO 10000"},
      {header + "A,0,0,1,1,0,A,1.5\n", "LINE 2: CHAIN 1.5 IS NOT A WHOLE NUMBER"},
      {header + "A,0,0,1,1,0,,3\n", "LINE 2: CHAIN 3 HAS NO PORT"},
      {header + "A,0,0,1,1,0,A,1\nB,0,0,1,1,0,a,1\n", "LINE 3: CHAIN 1 OF PORT A REPEATS LINE 2"},
      {header + "A,0,0,1,1,0,,,0\n", "LINE 2: SCREEN 0 IS NOT 1 TO 10000"},
      {header + "\"A,0,0,1,1\n", "LINE 2: UNTERMINATED QUOTE"},
      {header + "\"A\"x,0,0,1,1\n", "LINE 2: TEXT AFTER CLOSING QUOTE"},
      // Line numbers count every line of the file, blank ones and CRLF too.
      {"\r\n" + header + "\r\nA,0,0,1,1\r\nB,0,0,x,1\r\n", "LINE 5: W IS NOT A NUMBER"},
  };
  for (const ErrorCase& c : cases) EXPECT_EQ(MessageOf(ParseCsvLayout(c.text)), c.message) << c.text;
}

TEST(CsvLayout, ErrorsKeepTheirPlaceApart) {
  const auto result = ParseCsvLayout("id,x,y,w,h\nA,0,0,w,1\n");
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.error().where, "LINE 2");
  EXPECT_EQ(result.error().what, "W IS NOT A NUMBER");
}

// A CSV of `rows` cabinets, each line `id,0,0,1,1`.
std::string Rows(std::size_t rows) {
  std::string text = "id,x,y,w,h\n";
  for (std::size_t i = 0; i < rows; ++i) text += "c" + std::to_string(i) + ",0,0,1,1\n";
  return text;
}

TEST(CsvLayout, HoldsItsLimits) {
  const auto full = ParseCsvLayout(Rows(layout::kMaxCabinets));
  ASSERT_TRUE(full.ok()) << full.error().Message();
  EXPECT_EQ(full.value().cabinets.size(), layout::kMaxCabinets);
  EXPECT_EQ(MessageOf(ParseCsvLayout(Rows(layout::kMaxCabinets + 1))), "MORE THAN 10000 CABINETS");

  // A line of exactly the limit (a long label) passes; one byte more fails.
  const std::string start = "id,label,x,y,w,h\nA,";
  const std::string end = ",0,0,1,1";
  const std::string label(layout::kMaxCsvLineBytes - 2 - end.size(), 'L');
  EXPECT_TRUE(ParseCsvLayout(start + label + end + "\r\n").ok());
  EXPECT_EQ(MessageOf(ParseCsvLayout(start + label + "L" + end + "\n")),
            "LINE 2 IS LONGER THAN 64 KIB");

  std::string huge = Rows(1);
  huge.resize(layout::kMaxFileBytes + 1, '\n');
  EXPECT_EQ(MessageOf(ParseCsvLayout(huge)), "FILE IS LARGER THAN 16 MIB");
  huge.resize(layout::kMaxFileBytes);
  EXPECT_TRUE(ParseCsvLayout(huge).ok());
}

}  // namespace

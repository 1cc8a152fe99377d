// The message parsers, the framing, the address text and the code and edge
// rules, on bytes alone.
#include <gtest/gtest.h>

#include <string>

#include "calibration/ArgyllWebExchange.h"
#include "calibration/PatchLevels.h"
#include "calibration/PatchScene.h"
#include "calibration/ResolveFraming.h"
#include "calibration/ResolveMessage.h"
#include "calibration/ServerAddress.h"

using namespace calibration;

namespace {

// Values as sent, 10 bits unless said.
SentCodes C(int r, int g, int b, int bits = 10) {
  return SentCodes{static_cast<uint16_t>(r), static_cast<uint16_t>(g), static_cast<uint16_t>(b),
                   static_cast<uint8_t>(bits)};
}

std::string Patch(const std::string& colour, const std::string& background = "",
                  const std::string& geometry = "") {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?><calibration><color " + colour + "/>" +
         (background.empty() ? "" : "<background " + background + "/>") +
         (geometry.empty() ? "" : "<geometry " + geometry + "/>") + "</calibration>";
}

}  // namespace

// The codes a program's values become, by the range and the patch levels:
// the standards' own levels (8-bit video 16 and 235 are 10-bit 64 and 940
// narrow; full-range white is 2^n - 1 at every depth) and a generator's full
// scale spread over the range's black to white.
TEST(PatchLevels, ProgramValuesBecomeTheRangesCodes) {
  using veltrima::signal::Range;
  const struct {
    uint32_t value;
    int bits;
    Range range;
    PatchLevels levels;
    int code;
  } cases[] = {
      {16, 8, Range::Narrow, PatchLevels::CodesAsSent, 64},
      {235, 8, Range::Narrow, PatchLevels::CodesAsSent, 940},  // not 943: x4, not x1023/255
      {128, 8, Range::Narrow, PatchLevels::CodesAsSent, 512},
      {255, 8, Range::Narrow, PatchLevels::CodesAsSent, 1020},
      {0, 8, Range::Narrow, PatchLevels::CodesAsSent, 0},
      {1019, 10, Range::Narrow, PatchLevels::CodesAsSent, 1019},
      {255, 8, Range::Full, PatchLevels::CodesAsSent, 1023},
      {128, 8, Range::Full, PatchLevels::CodesAsSent, 514},  // 513.51
      {64, 8, Range::Full, PatchLevels::CodesAsSent, 257},   // 256.75
      {0, 8, Range::Narrow, PatchLevels::FullScaleToRange, 64},
      {255, 8, Range::Narrow, PatchLevels::FullScaleToRange, 940},
      {128, 8, Range::Narrow, PatchLevels::FullScaleToRange, 504},  // 64 + 439.72
      {0, 10, Range::Narrow, PatchLevels::FullScaleToRange, 64},
      {1023, 10, Range::Narrow, PatchLevels::FullScaleToRange, 940},
      {512, 10, Range::Narrow, PatchLevels::FullScaleToRange, 502},  // 64 + 438.43
      {255, 8, Range::Full, PatchLevels::FullScaleToRange, 1023},
      {0, 8, Range::Full, PatchLevels::FullScaleToRange, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SignalCode(c.value, c.bits, c.range, c.levels), c.code)
        << c.value << " of " << c.bits << " bits, " << kPatchLevelsNames[static_cast<int>(c.levels)]
        << (c.range == Range::Narrow ? ", narrow" : ", full");
  }
  // 10-bit values are the codes as sent in either range, and in full range
  // both options agree at either depth.
  for (uint32_t v = 0; v <= 1023; ++v) {
    for (const Range range : {Range::Narrow, Range::Full}) {
      ASSERT_EQ(SignalCode(v, 10, range, PatchLevels::CodesAsSent), static_cast<int>(v));
    }
    ASSERT_EQ(SignalCode(v, 10, Range::Full, PatchLevels::FullScaleToRange), static_cast<int>(v));
    if (v <= 255) {
      ASSERT_EQ(SignalCode(v, 8, Range::Full, PatchLevels::FullScaleToRange),
                SignalCode(v, 8, Range::Full, PatchLevels::CodesAsSent));
    }
  }
  EXPECT_EQ(PatchLevelsLine(PatchLevels::CodesAsSent, Range::Narrow), "LEVELS: CODES AS SENT, NARROW");
  EXPECT_EQ(PatchLevelsLine(PatchLevels::FullScaleToRange, Range::Narrow), "LEVELS: FULL SCALE TO 64-940");
  EXPECT_EQ(PatchLevelsLine(PatchLevels::FullScaleToRange, Range::Full), "LEVELS: FULL SCALE TO 0-1023");
}

TEST(PixelEdges, FractionsTimesTheOutputRoundedToWholePixels) {
  EXPECT_EQ(EdgesAt(Geometry{0.25, 0.3, 0.5, 0.4}, 1920, 1080), (PixelRect{480, 324, 1440, 756}));
  // 0.1234 x 1920 = 236.93, 0.6 x 1080 = 648, 0.9 x 1920 = 1728, 0.7 x 1080 = 756.
  EXPECT_EQ(EdgesAt(Geometry{0.1234, 0.6, 0.7766, 0.1}, 1920, 1080), (PixelRect{237, 648, 1728, 756}));
  // Halves go up: 0.5 x 3 = 1.5.
  EXPECT_EQ(EdgesAt(Geometry{0.5, 0.5, 0.5, 0.5}, 3, 3), (PixelRect{2, 2, 3, 3}));
  // A rectangle a hair past the edge stays inside the output.
  EXPECT_EQ(EdgesAt(Geometry{0.3333, 0.0, 0.6677, 1.0}, 1920, 1080), (PixelRect{640, 0, 1920, 1080}));
}

TEST(ResolveMessage, PatchFormWithBitsBackgroundAndGeometry) {
  const ResolveParse parsed =
      ParseResolveMessage(Patch(R"(red="512" green="256" blue="1023" bits="10")",
                                R"(red="102" green="0" blue="7" bits="10")",
                                R"(x="0.2500" y="0.3000" cx="0.5000" cy="0.4000")"));
  ASSERT_TRUE(parsed.ok) << parsed.error;
  EXPECT_EQ(parsed.scene.background, C(102, 0, 7));
  ASSERT_EQ(parsed.scene.rectangles.size(), 1u);
  EXPECT_EQ(parsed.scene.rectangles[0].colour, C(512, 256, 1023));
  EXPECT_DOUBLE_EQ(parsed.scene.rectangles[0].geometry.x, 0.25);
  EXPECT_DOUBLE_EQ(parsed.scene.rectangles[0].geometry.y, 0.3);
  EXPECT_DOUBLE_EQ(parsed.scene.rectangles[0].geometry.width, 0.5);
  EXPECT_DOUBLE_EQ(parsed.scene.rectangles[0].geometry.height, 0.4);
}

TEST(ResolveMessage, AbsentBitsMeanEightAndAbsentPartsMeanBlackAndTheWholeOutput) {
  const ResolveParse parsed = ParseResolveMessage(Patch(R"(red="255" green="128" blue="0")"));
  ASSERT_TRUE(parsed.ok) << parsed.error;
  EXPECT_EQ(parsed.scene.background, C(0, 0, 0));
  ASSERT_EQ(parsed.scene.rectangles.size(), 1u);
  EXPECT_EQ(parsed.scene.rectangles[0].colour, C(255, 128, 0, 8));
  EXPECT_EQ(EdgesAt(parsed.scene.rectangles[0].geometry, 1920, 1080), (PixelRect{0, 0, 1920, 1080}));
}

TEST(ResolveMessage, ShapesFormDrawsRectanglesInOrderOverBlack) {
  const ResolveParse parsed = ParseResolveMessage(
      "<calibration><shapes>"
      R"(<rectangle><color red="255" green="0" blue="0"/><geometry x="0" y="0" cx="1" cy="1"/></rectangle>)"
      R"(<rectangle><color red="0" green="255" blue="64"/><geometry x="0.1" y="0.2" cx="0.3" cy="0.4"/></rectangle>)"
      "</shapes></calibration>");
  ASSERT_TRUE(parsed.ok) << parsed.error;
  EXPECT_EQ(parsed.scene.background, C(0, 0, 0));
  ASSERT_EQ(parsed.scene.rectangles.size(), 2u);
  EXPECT_EQ(parsed.scene.rectangles[0].colour, C(255, 0, 0, 8));
  EXPECT_EQ(parsed.scene.rectangles[1].colour, C(0, 255, 64, 8));
  EXPECT_DOUBLE_EQ(parsed.scene.rectangles[1].geometry.height, 0.4);
}

TEST(ResolveMessage, RefusesWhatIsNotACalibrationPatchWithAReason) {
  std::string bomb = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">";
  for (int i = 1; i < 10; ++i) {
    bomb += "<!ENTITY lol" + std::to_string(i) + " \"";
    for (int k = 0; k < 10; ++k) bomb += "&lol" + (i == 1 ? std::string() : std::to_string(i - 1)) + ";";
    bomb += "\">";
  }
  bomb += "]><calibration><color red=\"&lol9;\" green=\"0\" blue=\"0\"/></calibration>";
  std::string manyRectangles = "<calibration><shapes>";
  for (int i = 0; i < 65; ++i) manyRectangles += R"(<rectangle><color red="1" green="2" blue="3"/></rectangle>)";
  manyRectangles += "</shapes></calibration>";

  const struct {
    std::string xml;
    std::string error;
  } cases[] = {
      {"", "NOT XML (NO DOCUMENT ELEMENT FOUND AT BYTE 0)"},
      {"\x01\x02garbage", "NOT XML (NO DOCUMENT ELEMENT FOUND AT BYTE 9)"},
      {"<calibration><color red=\"1\"", "NOT XML (ERROR PARSING START ELEMENT TAG AT BYTE 26)"},
      {"<patch/>", "ROOT <PATCH> IS NOT <CALIBRATION>"},
      {"<calibration/>", "NO COLOR AND NO SHAPES"},
      {bomb, "DOCUMENT TYPE DECLARATIONS ARE NOT ALLOWED"},
      {Patch(R"(red="256" green="0" blue="0")"), "COLOR RED 256 OVER 255 (8 BITS)"},
      {Patch(R"(red="0" green="1024" blue="0" bits="10")"), "COLOR GREEN 1024 OVER 1023 (10 BITS)"},
      {Patch(R"(red="0" green="0" blue="0")", R"(red="0" green="0" blue="300")"),
       "BACKGROUND BLUE 300 OVER 255 (8 BITS)"},
      {Patch(R"(red="-1" green="0" blue="0")"), "COLOR RED '-1' IS NOT A WHOLE NUMBER"},
      {Patch(R"(red="1.5" green="0" blue="0")"), "COLOR RED '1.5' IS NOT A WHOLE NUMBER"},
      {Patch(R"(red="99999999999" green="0" blue="0")"), "COLOR RED '99999999999' IS NOT A WHOLE NUMBER"},
      {Patch(R"(green="0" blue="0")"), "COLOR HAS NO RED"},
      {Patch(R"(red="0" green="0" blue="0" bits="12")"), "COLOR BITS 12 IS NOT 8 OR 10"},
      {Patch(R"(red="0" green="0" blue="0")", "", R"(x="0.5" y="0" cx="0.6" cy="1")"),
       "GEOMETRY ENDS OUTSIDE THE OUTPUT"},
      {Patch(R"(red="0" green="0" blue="0")", "", R"(x="-0.1" y="0" cx="0.5" cy="1")"),
       "GEOMETRY X -0.1 IS NOT 0-1"},
      {Patch(R"(red="0" green="0" blue="0")", "", R"(x="nan" y="0" cx="0.5" cy="1")"),
       "GEOMETRY X 'NAN' IS NOT A NUMBER"},
      {Patch(R"(red="0" green="0" blue="0")", "", R"(x="0,5" y="0" cx="0.5" cy="1")"),
       "GEOMETRY X '0,5' IS NOT A NUMBER"},
      {Patch(R"(red="0" green="0" blue="0")", "", R"(x="0" y="0" cx="0.5")"), "GEOMETRY HAS NO CY"},
      {"<calibration><color red=\"0\" green=\"0\" blue=\"0\"/><color red=\"0\" green=\"0\" blue=\"0\"/>"
       "</calibration>",
       "CALIBRATION HAS MORE THAN ONE COLOR"},
      {"<calibration><shapes/></calibration>", "SHAPES HAS NO RECTANGLE"},
      {"<calibration><shapes><rectangle/></shapes></calibration>", "RECTANGLE HAS NO COLOR"},
      {manyRectangles, "MORE THAN 64 RECTANGLES"},
      {std::string(kMaxResolveMessageBytes + 1, ' '), "MESSAGE OVER 64 KIB"},
  };
  for (const auto& c : cases) {
    const ResolveParse parsed = ParseResolveMessage(c.xml);
    EXPECT_FALSE(parsed.ok) << c.xml.substr(0, 80);
    EXPECT_EQ(parsed.error, c.error) << c.xml.substr(0, 80);
  }
}

TEST(ResolveFraming, WholeMessagesComeOutInOrderWhateverTheChunks) {
  std::string stream;
  for (const std::string text : {"first", "", "third message"}) {
    const auto length = static_cast<uint32_t>(text.size());
    stream += {static_cast<char>(length >> 24), static_cast<char>(length >> 16),
               static_cast<char>(length >> 8), static_cast<char>(length)};
    stream += text;
  }
  ResolveFraming framing;
  std::vector<std::string> messages;
  std::string message;
  uint32_t stated = 0;
  for (char byte : stream) {  // one byte at a time: every cut point
    framing.Append(&byte, 1);
    while (framing.Take(message, stated) == ResolveFraming::Next::Message) messages.push_back(message);
  }
  EXPECT_EQ(messages, (std::vector<std::string>{"first", "", "third message"}));
  EXPECT_EQ(framing.Pending(), 0u);
}

TEST(ResolveFraming, ALengthOver64KiBIsRefusedBeforeItsBytesArrive) {
  ResolveFraming framing;
  std::string message;
  uint32_t stated = 0;
  const char exactly64KiB[] = {0, 1, 0, 0};
  framing.Append(exactly64KiB, 4);
  EXPECT_EQ(framing.Take(message, stated), ResolveFraming::Next::NeedMore);
  framing.Clear();
  const char over[] = {0, 1, 0, 1};
  framing.Append(over, 4);
  EXPECT_EQ(framing.Take(message, stated), ResolveFraming::Next::TooLong);
  EXPECT_EQ(stated, 65537u);
}

TEST(ArgyllWeb, PollRequestNamesTheShownColourAndAsksTheServerToClose) {
  const std::string request = ArgyllPollRequest("127.0.0.1:8080", Rgb8{255, 128, 0}, 42);
  EXPECT_EQ(request,
            "GET /ajax/messages?%23FF8000%200.000042 HTTP/1.1\r\nHost: 127.0.0.1:8080\r\n"
            "Cache-Control: no-cache\r\nConnection: close\r\n\r\n");
}

TEST(ArgyllWeb, RepliesAreAColourNoChangeOrARefusal) {
  const std::string ok = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n";
  struct Case {
    std::string bytes;
    bool closed;
    ArgyllReply::Kind kind;
    std::string error;
  };
  const Case cases[] = {
      {ok + "#FF8000", true, ArgyllReply::Kind::Colour, ""},
      {ok + "#ff8000\r\n", true, ArgyllReply::Kind::Colour, ""},
      {ok + "#FF8000", false, ArgyllReply::Kind::Incomplete, ""},
      {"HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\n#FF8000", false, ArgyllReply::Kind::Colour, ""},
      {"HTTP/1.1 200 OK\r\ncontent-length: 7\r\n\r\n#FF80", false, ArgyllReply::Kind::Incomplete, ""},
      {"HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\n#FF80", true, ArgyllReply::Kind::Bad, "REPLY CUT SHORT"},
      {"HTTP/1.1 200 OK\r\nContent-Length: x\r\n\r\n", true, ArgyllReply::Kind::Bad, "BAD CONTENT-LENGTH"},
      {ok, true, ArgyllReply::Kind::NoChange, ""},
      {"HTTP/1.1 200", false, ArgyllReply::Kind::Incomplete, ""},
      {"HTTP/1.1 200", true, ArgyllReply::Kind::Bad, "REPLY CUT SHORT"},
      {"", true, ArgyllReply::Kind::Bad, "NO REPLY"},
      {"HTTP/1.1 404 Not Found\r\n\r\n", true, ArgyllReply::Kind::Bad, "HTTP '404 NOT FOUND'"},
      {"HTTP/1.\r\n\r\n", true, ArgyllReply::Kind::Bad, "NOT HTTP: 'HTTP/1.'"},
      {"SSH-2.0-OpenSSH\r\n\r\n", true, ArgyllReply::Kind::Bad, "NOT HTTP: 'SSH-2.0-OPENSSH'"},
      {ok + "#GG0000", true, ArgyllReply::Kind::Bad, "REPLY '#GG0000' IS NOT #RRGGBB"},
      {ok + "red\x01", true, ArgyllReply::Kind::Bad, "REPLY 'RED?' IS NOT #RRGGBB"},
      {ok + std::string(5000, '#'), true, ArgyllReply::Kind::Bad, "REPLY OVER 4096 BYTES"},
  };
  for (const Case& c : cases) {
    const ArgyllReply reply = ReadArgyllReply(c.bytes, c.closed);
    EXPECT_EQ(reply.kind, c.kind) << c.bytes.substr(0, 60);
    EXPECT_EQ(reply.error, c.error) << c.bytes.substr(0, 60);
  }
  EXPECT_EQ(ReadArgyllReply(ok + "#FF8000", true).colour, (Rgb8{255, 128, 0}));
  EXPECT_EQ(ToCodes(Rgb8{255, 128, 0}), C(255, 128, 0, 8));
}

TEST(ServerAddress, NumericHostAndPortOrTheDefault) {
  AddressResult parsed = ParseServerAddress("", "127.0.0.1:20002");
  ASSERT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.address.text, "127.0.0.1:20002");
  EXPECT_EQ(parsed.address.port, 20002);
  EXPECT_EQ(parsed.address.bytes[0], 127);

  parsed = ParseServerAddress(" 192.168.1.20:8080 ", "127.0.0.1:20002");
  ASSERT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.address.text, "192.168.1.20:8080");
  EXPECT_FALSE(parsed.address.ipv6);

  parsed = ParseServerAddress("[::1]:20002", "");
  ASSERT_TRUE(parsed.ok);
  EXPECT_TRUE(parsed.address.ipv6);
  EXPECT_EQ(parsed.address.bytes[15], 1);

  const struct {
    const char* text;
    const char* error;
  } refused[] = {
      {"localhost:20002", "SERVER IS NOT A NUMERIC ADDRESS (TYPE 127.0.0.1:PORT)"},
      {"127.0.0.1", "SERVER IS NOT HOST:PORT"},
      {"127.0.0.1:0", "SERVER PORT IS NOT 1-65535"},
      {"127.0.0.1:65536", "SERVER PORT IS NOT 1-65535"},
      {"127.0.0.1:80x", "SERVER PORT IS NOT 1-65535"},
      {"[::1:20002", "SERVER IS NOT A NUMERIC ADDRESS (TYPE 127.0.0.1:PORT)"},
      {"[nowhere]:1", "SERVER IS NOT A NUMERIC ADDRESS (TYPE [::1]:PORT)"},
  };
  for (const auto& r : refused) {
    parsed = ParseServerAddress(r.text, "127.0.0.1:20002");
    EXPECT_FALSE(parsed.ok) << r.text;
    EXPECT_EQ(parsed.error, r.error) << r.text;
  }
}

// The client against small servers written here: the good cases, each bad
// server, the retry rhythm, the lock-step of ArgyllCMS Web, and no socket
// left open.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

#include "ClientDriver.h"
#include "TestServer.h"
#include "calibration/CalibrationClient.h"
#include "calibration/TcpConnection.h"

using namespace calibration;
using namespace calibration_test;
using namespace std::chrono_literals;

namespace {

const std::string kGoodPatch =
    R"(<calibration><color red="512" green="256" blue="1023" bits="10"/>)"
    R"(<background red="64" green="64" blue="64" bits="10"/>)"
    R"(<geometry x="0.25" y="0.25" cx="0.5" cy="0.5"/></calibration>)";
const SentCodes kGoodCodes{512, 256, 1023, 10};

std::string PatchOfRed(int red) {
  return R"(<calibration><color red=")" + std::to_string(red) +
         R"(" green="0" blue="0" bits="10"/></calibration>)";
}

class CalibrationClientTest : public ::testing::Test {
 protected:
  void TearDown() override {
    // Whatever happened, nothing stays open once the client is reconfigured
    // away from the network.
    driver.client.Configure(PatchSource::Parameters, "", 2);
    EXPECT_EQ(TcpConnection::OpenSockets(), 0);
  }
  ClientDriver driver;
};

}  // namespace

TEST_F(CalibrationClientTest, ResolvePatchesArriveInOrderAndTheLastStays) {
  TestServer server([](Peer& peer, int) {
    peer.Send(Framed(kGoodPatch));
    for (int red = 1; red <= 20; ++red) peer.Send(Framed(PatchOfRed(red)));
    peer.WaitForClose();
  });
  driver.client.Configure(PatchSource::Resolve, server.address(), 2);
  ASSERT_TRUE(driver.FramesUntil([&] { return driver.client.PatchCount() == 21; }));
  EXPECT_EQ(driver.client.StatusLine(), "CONNECTED TO " + server.address());
  ASSERT_EQ(driver.client.Scene().rectangles.size(), 1u);
  EXPECT_EQ(driver.client.Scene().rectangles[0].colour, (SentCodes{20, 0, 0, 10}));
  EXPECT_EQ(driver.log, (std::vector<std::string>{"CONNECTING TO " + server.address(),
                                                   "CONNECTED TO " + server.address()}));
  EXPECT_EQ(TcpConnection::OpenSockets(), 1);
}

TEST_F(CalibrationClientTest, DefaultServerWhenTheTextIsEmpty) {
  driver.client.Configure(PatchSource::Resolve, "", 2);
  driver.Frame();
  EXPECT_EQ(driver.LinesLogged("CONNECTING TO 127.0.0.1:20002"), 1);
  driver.client.Configure(PatchSource::ArgyllWeb, "", 2);
  driver.Frame();
  EXPECT_EQ(driver.LinesLogged("CONNECTING TO 127.0.0.1:8080"), 1);
  driver.client.Configure(PatchSource::Resolve, "localhost:20002", 2);
  driver.Frame();
  EXPECT_EQ(driver.client.StatusLine(), "SERVER IS NOT A NUMERIC ADDRESS (TYPE 127.0.0.1:PORT)");
  EXPECT_EQ(TcpConnection::OpenSockets(), 0);
}

// Servers that fail in each way the network can: every one keeps the last
// good patch (or none), shows its line, logs it once, and is retried at most
// once a second without leaving a socket open.
struct BadServerCase {
  const char* name;
  std::function<void(Peer&, int connection)> script;  // the first connection sends a good patch first
  std::string line;  // the status line it ends on; "LOST" stands for the lost line
  bool connectionsRepeat;
};

void PrintTo(const BadServerCase& bad, std::ostream* out) { *out << bad.name; }

class BadServerTest : public CalibrationClientTest,
                      public ::testing::WithParamInterface<BadServerCase> {};

TEST_P(BadServerTest, KeepsTheLastGoodPatchShowsItsLineOnceAndRetriesOnceASecond) {
  const BadServerCase& bad = GetParam();
  TestServer server([&](Peer& peer, int connection) {
    if (connection == 0) peer.Send(Framed(kGoodPatch));
    bad.script(peer, connection);
  });
  const std::string lost = "LOST " + server.address() + ", RETRYING IN 1 S";
  const std::string expectedLine = bad.line == "LOST" ? lost : bad.line;
  driver.client.Configure(PatchSource::Resolve, server.address(), 2);
  ASSERT_TRUE(driver.FramesUntil([&] { return driver.client.StatusLine() == expectedLine; }))
      << driver.client.StatusLine();
  ASSERT_TRUE(driver.client.HasPatch());

  // Five seconds of frames: the patch stays, the line is logged once, and at
  // most one new connection a second.
  const int connectionsBefore = server.connections();
  int mostOpen = 0;
  const auto end = driver.now + 5s;
  while (driver.now < end) {
    driver.Frame();
    mostOpen = std::max(mostOpen, TcpConnection::OpenSockets());
  }
  EXPECT_EQ(driver.client.PatchCount(), 1u);
  EXPECT_EQ(driver.client.Scene().rectangles.at(0).colour, kGoodCodes);
  EXPECT_EQ(driver.LinesLogged(expectedLine), 1) << ::testing::PrintToString(driver.log);
  EXPECT_LE(mostOpen, 1);
  const int newConnections = server.connections() - connectionsBefore;
  EXPECT_LE(newConnections, 6);
  if (bad.connectionsRepeat) {
    EXPECT_GE(newConnections, 3);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Resolve, BadServerTest,
    ::testing::Values(
        BadServerCase{"Closes", [](Peer&, int) {}, "LOST", true},
        BadServerCase{"Garbage",
                      [](Peer& peer, int) {
                        peer.Send(Framed("\x01\xff garbage \x7f"));
                        peer.WaitForClose();
                      },
                      "BAD MESSAGE: NOT XML (NO DOCUMENT ELEMENT FOUND AT BYTE 12)", false},
        BadServerCase{"LengthOver64KiB",
                      [](Peer& peer, int) {
                        peer.Send(std::string("\x00\x01\x00\x01", 4) + std::string(1000, '<'));
                        peer.WaitForClose();
                      },
                      "BAD MESSAGE: LENGTH 65537 OVER 65536 BYTES", true},
        BadServerCase{"MessageCutInHalf",
                      [](Peer& peer, int) {
                        const std::string framed = Framed(PatchOfRed(7));
                        peer.Send(framed.substr(0, framed.size() / 2));
                      },
                      "LOST", true},
        BadServerCase{"XmlBomb",
                      [](Peer& peer, int) {
                        std::string bomb = "<!DOCTYPE b [<!ENTITY a \"aaaaaaaaaa\">";
                        for (int i = 1; i < 9; ++i) {
                          bomb += "<!ENTITY a" + std::to_string(i) + " \"";
                          for (int k = 0; k < 10; ++k) bomb += i == 1 ? "&a;" : "&a" + std::to_string(i - 1) + ";";
                          bomb += "\">";
                        }
                        bomb += "]><calibration><color red=\"&a8;\" green=\"0\" blue=\"0\"/></calibration>";
                        peer.Send(Framed(bomb));
                        peer.WaitForClose();
                      },
                      "BAD MESSAGE: DOCUMENT TYPE DECLARATIONS ARE NOT ALLOWED", false},
        BadServerCase{"ValuesOutOfRange",
                      [](Peer& peer, int) {
                        peer.Send(Framed(R"(<calibration><color red="1024" green="0" blue="0" bits="10"/></calibration>)"));
                        peer.WaitForClose();
                      },
                      "BAD MESSAGE: COLOR RED 1024 OVER 1023 (10 BITS)", false}),
    [](const ::testing::TestParamInfo<BadServerCase>& param) { return std::string(param.param.name); });

// Nothing listens on the port: each connect is refused.
TEST_F(CalibrationClientTest, AnAbsentServerIsRetriedOnceASecondAndLoggedOnce) {
  const std::string address = "127.0.0.1:" + std::to_string(UnusedPort());
  driver.client.Configure(PatchSource::Resolve, address, 2);
  driver.FramesFor(3500ms);
  EXPECT_EQ(driver.client.StatusLine(), "LOST " + address + ", RETRYING IN 1 S");
  EXPECT_EQ(driver.log, (std::vector<std::string>{"CONNECTING TO " + address,
                                                   "LOST " + address + ", RETRYING IN 1 S"}));
  EXPECT_FALSE(driver.client.HasPatch());

  // It comes up: the next retry finds it within a second.
  // (A server on a port of its own, so the client is pointed at it.)
  TestServer server([](Peer& peer, int) {
    peer.Send(Framed(kGoodPatch));
    peer.WaitForClose();
  });
  driver.client.Configure(PatchSource::Resolve, server.address(), 2);
  ASSERT_TRUE(driver.FramesUntil([&] { return driver.client.HasPatch(); }));
  EXPECT_EQ(driver.client.StatusLine(), "CONNECTED TO " + server.address());
}

TEST_F(CalibrationClientTest, AServerThatResetsEachConnectionIsRetriedAtMostOnceASecond) {
  // Accepts and at once resets the connection: a refusal after the
  // handshake.
  TestServer server([](Peer& peer, int) { peer.Reset(); });
  driver.client.Configure(PatchSource::Resolve, server.address(), 2);
  driver.FramesFor(4000ms);
  EXPECT_EQ(driver.client.StatusLine(), "LOST " + server.address() + ", RETRYING IN 1 S");
  EXPECT_GE(server.connections(), 3);
  EXPECT_LE(server.connections(), 5);
}

TEST_F(CalibrationClientTest, ChangingTheServerOrTheSourceClosesTheOldConnection) {
  std::atomic<int> closedSeen{0};
  const auto holdOpen = [&](Peer& peer, int) {
    peer.Send(Framed(kGoodPatch));
    if (peer.WaitForClose()) ++closedSeen;
  };
  TestServer first(holdOpen);
  TestServer second(holdOpen);
  driver.client.Configure(PatchSource::Resolve, first.address(), 2);
  ASSERT_TRUE(driver.FramesUntil([&] { return driver.client.HasPatch(); }));
  driver.client.Configure(PatchSource::Resolve, second.address(), 2);
  EXPECT_FALSE(driver.client.HasPatch());
  ASSERT_TRUE(driver.FramesUntil([&] { return closedSeen == 1 && driver.client.HasPatch(); }));
  EXPECT_EQ(TcpConnection::OpenSockets(), 1);
  driver.client.Configure(PatchSource::ArgyllWeb, second.address(), 2);
  ASSERT_TRUE(driver.FramesUntil([&] { return closedSeen == 2; }));
}

// A stand-in for ArgyllCMS's web display: each poll gets the next colour of
// its list, and the test checks that the poll came only after the colour
// before had been drawn in the settle frames, naming it as the shown colour.
TEST_F(CalibrationClientTest, ArgyllWebPollsInLockStepAfterTheSettleFrames) {
  const std::vector<std::string> colours = {"#FF8000", "", "#0000FF", "#102030", "#102030", "#FFFFFF"};
  struct Poll {
    std::string request;
    int framesDrawn;
  };
  std::mutex mutex;
  std::vector<Poll> polls;
  std::atomic<int> framesDrawn{0};
  TestServer server([&](Peer& peer, int connection) {
    const std::string request = peer.ReadUntil("\r\n\r\n");
    {
      std::lock_guard<std::mutex> lock(mutex);
      polls.push_back({request, framesDrawn.load()});
    }
    if (connection >= static_cast<int>(colours.size())) return;  // closes with no reply at the end
    peer.Send("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n" + colours[connection]);
  });
  const int settle = 5;
  driver.client.Configure(PatchSource::ArgyllWeb, server.address(), settle);
  std::vector<SentCodes> seen;
  // For each colour: the frames drawn before the first frame that showed it.
  std::vector<int> changedAtFrame;
  uint64_t count = 0;
  ASSERT_TRUE(driver.FramesUntil([&] {
    if (driver.client.PatchCount() != count) {
      count = driver.client.PatchCount();
      seen.push_back(driver.client.Scene().background);
      changedAtFrame.push_back(driver.frames - 1);
    }
    framesDrawn = driver.frames;
    return count == 5;
  }));
  EXPECT_EQ(seen, (std::vector<SentCodes>{{255, 128, 0, 8}, {0, 0, 255, 8}, {16, 32, 48, 8},
                                          {16, 32, 48, 8}, {255, 255, 255, 8}}));
  ASSERT_EQ(driver.client.Scene().rectangles.size(), 1u);
  EXPECT_EQ(EdgesAt(driver.client.Scene().rectangles[0].geometry, 1920, 1080),
            (PixelRect{0, 0, 1920, 1080}));

  std::lock_guard<std::mutex> lock(mutex);
  ASSERT_GE(polls.size(), 6u);
  const char* shownInPoll[] = {"%23000000", "%23FF8000", "%23FF8000", "%230000FF", "%23102030", "%23102030"};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(polls[i].request.rfind("GET /ajax/messages?" + std::string(shownInPoll[i]) + "%200.", 0), 0u)
        << polls[i].request;
  }
  // Each poll after a new colour waited for `settle` frames of it: polls
  // 1, 3, 4 and 5 follow colours 0 to 3 (poll 2 followed "no change").
  const int pollAfterColour[] = {1, 3, 4, 5};
  for (int colour = 0; colour < 4; ++colour) {
    EXPECT_GE(polls[pollAfterColour[colour]].framesDrawn, changedAtFrame[colour] + settle)
        << "poll " << pollAfterColour[colour];
  }
}

TEST_F(CalibrationClientTest, ArgyllWebBadRepliesKeepThePatch) {
  TestServer server([](Peer& peer, int connection) {
    peer.ReadUntil("\r\n\r\n");
    peer.Send(connection == 0 ? "HTTP/1.1 200 OK\r\n\r\n#FF0000" : "HTTP/1.1 200 OK\r\n\r\nnonsense");
  });
  driver.client.Configure(PatchSource::ArgyllWeb, server.address(), 1);
  ASSERT_TRUE(driver.FramesUntil(
      [&] { return driver.client.StatusLine() == "BAD MESSAGE: REPLY 'NONSENSE' IS NOT #RRGGBB"; }));
  driver.FramesFor(3000ms);
  EXPECT_EQ(driver.client.Scene().background, (SentCodes{255, 0, 0, 8}));
  EXPECT_EQ(driver.LinesLogged("BAD MESSAGE: REPLY 'NONSENSE' IS NOT #RRGGBB"), 1);
  EXPECT_LE(server.connections(), 5);
}

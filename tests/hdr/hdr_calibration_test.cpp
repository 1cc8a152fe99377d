// The "Patch" pattern driven over the network, through the loaded module and
// plugMain: its parameters as a host sees them, DisplayCAL's own Resolve
// server and ArgyllCMS's dispwin (each skipped where it is not installed),
// and a bad server's line on screen and once in the log. Every frame after a
// patch must show exactly its codes and rectangle.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <array>
#include <sstream>
#include <chrono>
#include <cstdio>
#include <functional>
#include <future>
#include <optional>
#include <thread>

#include "../calibration/TestServer.h"
#include "HdrKit.h"

using namespace calibration_test;

namespace {

constexpr int kWidth = 960, kHeight = 540;

bool Exists(const std::string& path) {
  struct stat info;
  return !path.empty() && stat(path.c_str(), &info) == 0;
}

// An instance on the "Patch" pattern with its source and server set, as a
// host sets them.
class NetworkPatchHost {
 public:
  NetworkPatchHost(const std::string& source, const std::string& server, bool labels,
                   bool statusLine)
      : sourceValue_((HdrContext(), HdrOption("Patch Source", source))),
        patternValue_(HdrOption("Pattern", "Patch")),
        host_(HdrPlugin(), kWidth, kHeight, hostkit::PixelFormat::RGBA32F) {
    EXPECT_EQ(host_.Set(HdrParam("Pattern"), patternValue_), FF_SUCCESS);
    EXPECT_EQ(host_.Set(HdrParam("Patch Source"), sourceValue_), FF_SUCCESS);
    EXPECT_EQ(host_.Set(HdrParam("Labels"), labels ? 1.0f : 0.0f), FF_SUCCESS);
    EXPECT_EQ(host_.Set(HdrParam("Status Line"), statusLine ? 1.0f : 0.0f), FF_SUCCESS);
    EXPECT_EQ(HdrPlugin().SetTextParameter(host_.Id(), HdrParam("Server"), server.c_str()),
              FF_SUCCESS);
  }

  CodeFrame Frame() {
    EXPECT_EQ(host_.RunFrames(1), FF_SUCCESS);
    return ReadHdrCodes(host_, kWidth, kHeight);
  }

  // A frame in signal `signal` with patch levels `levels` (elements by name).
  CodeFrame FrameAs(const std::string& signal, const std::string& levels) {
    EXPECT_EQ(host_.Set(HdrParam("Signal"), HdrOption("Signal", signal)), FF_SUCCESS);
    EXPECT_EQ(host_.Set(HdrParam("Patch Levels"), HdrOption("Patch Levels", levels)), FF_SUCCESS);
    return Frame();
  }

  void SetSettleFrames(int frames) {
    EXPECT_EQ(host_.Set(HdrParam("Settle Frames"), static_cast<float>(frames)), FF_SUCCESS);
  }

  // Frames (about 5 ms apart) until `done` holds for one, at most `seconds`.
  std::optional<CodeFrame> FrameWhere(const std::function<bool(const CodeFrame&)>& done,
                                      int seconds = 20) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
      CodeFrame frame = Frame();
      if (done(frame)) return frame;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return std::nullopt;
  }

 private:
  float sourceValue_, patternValue_;
  hostkit::HostInstance host_;
};

// Ten-thousandths, as DisplayCAL writes fractions (four decimals).
std::string Fraction4(int tenThousandths) {
  char text[16];
  std::snprintf(text, sizeof text, "%d.%04d", tenThousandths / 10000, tenThousandths % 10000);
  return text;
}
int Edge(int tenThousandths, int size) { return (tenThousandths * size + 5000) / 10000; }

// The four ways a program's colour is shown: each range with each patch
// levels. The first tells every 8- and 10-bit value apart, so the tests
// watch it for the next colour.
struct Showing {
  const char* signal;
  const char* levels;
  bool narrow, fullScale;
};
constexpr Showing kShowings[] = {
    {"PQ Full", "Codes As Sent", false, false},
    {"PQ Full", "Full Scale To Range", false, true},
    {"PQ Narrow", "Codes As Sent", true, false},
    {"PQ Narrow", "Full Scale To Range", true, true},
};

// The code a program at its full scale (0 to 2^bits - 1) gets for `value`:
// full range takes value x 1023 / (2^bits - 1); narrow range shows the code
// as sent (8 bits x4) or spreads the scale over 64-940. Integer rounding:
// 2^bits - 1 is odd, so no half occurs.
int FullScaleCode(int value, int bits, const Showing& s) {
  const int largest = (1 << bits) - 1;
  if (!s.narrow) return (2 * value * 1023 + largest) / (2 * largest);
  if (s.fullScale) return 64 + (2 * value * 876 + largest) / (2 * largest);
  return value << (10 - bits);
}

// Frames until the first showing's frame has left `before`; then every
// showing for which `expected` has an answer must show it over the whole
// frame. What the first showing showed.
Code3 CheckShowings(NetworkPatchHost& host,
                    const std::function<std::optional<Code3>(const Showing&)>& expected,
                    const std::string& what) {
  const Showing& watched = kShowings[0];
  std::optional<Code3> wanted = expected(watched);
  std::optional<CodeFrame> frame;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < end) {
    frame = host.FrameAs(watched.signal, watched.levels);
    if (wanted && frame->At(0, 0) == *wanted) break;
    frame.reset();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (!frame) {
    ADD_FAILURE() << what << " never showed " << *wanted << " in " << watched.signal << ", "
                  << watched.levels;
    return {};
  }
  for (const Showing& s : kShowings) {
    const std::optional<Code3> codes = expected(s);
    if (!codes) continue;
    ExpectCodes(host.FrameAs(s.signal, s.levels), 0, 0, kWidth, kHeight, *codes,
                what + " in " + s.signal + ", " + s.levels);
  }
  return frame->At(0, 0);
}

}  // namespace

TEST(HdrNetworkPatch, ParametersAsTheHostSeesThem) {
  HdrContext();
  const auto& plugin = HdrPlugin();
  hostkit::HostInstance host(plugin, 4, 4);
  const FFUInt32 source = HdrParam("Patch Source");
  ASSERT_EQ(plugin.GetElementCount(host.Id(), source), 3u);
  const char* names[] = {"Parameters", "Resolve", "ArgyllCMS Web"};
  for (FFUInt32 i = 0; i < 3; ++i) EXPECT_STREQ(plugin.GetElementName(host.Id(), source, i), names[i]);
  EXPECT_FLOAT_EQ(host.Get(source), HdrOption("Patch Source", "Parameters"));
  EXPECT_EQ(plugin.GetParameterType(HdrParam("Server")), 100u);
  EXPECT_EQ(plugin.GetParameterType(HdrParam("Settle Frames")), static_cast<FFUInt32>(FF_TYPE_INTEGER));
  EXPECT_EQ(plugin.GetParameterType(HdrParam("Status Line")), static_cast<FFUInt32>(FF_TYPE_BOOLEAN));
  EXPECT_FLOAT_EQ(host.Get(HdrParam("Status Line")), 1.0f);
}

TEST(HdrNetworkPatch, DisplayCalPatchesReachTheFrameExactly) {
  const std::string packages = VELTRIMA_DISPLAYCAL_PACKAGES;
  if (!Exists(VELTRIMA_PYTHON3) || !Exists(packages)) {
    GTEST_SKIP() << "Debian's python3 or the unpacked DisplayCAL is missing";
  }
  const uint16_t port = UnusedPort();
  const std::string command = std::string(VELTRIMA_PYTHON3) + " " + VELTRIMA_DISPLAYCAL_SERVER + " " +
                              packages + " " + std::to_string(port) + " >/dev/null 2>&1";
  FILE* server = popen(command.c_str(), "w");
  ASSERT_NE(server, nullptr);
  NetworkPatchHost host("Resolve", "127.0.0.1:" + std::to_string(port), false, false);

  for (int i = 0; i < 50; ++i) {
    const Code3 colour{(i * 97 + 5) % 1024, (i * 389 + 1000) % 1024, (1023 - i * 17) % 1024};
    const Code3 ground{(i * 13) % 1024, 64 + i, (i * 250) % 1024};
    const int x = (i % 10) * 500, y = (i % 7) * 700, cx = 1234 + (i % 5) * 1000, cy = 2500 + i * 37;
    std::fprintf(server, "%d %d %d %d %d %d %s %s %s %s\n", colour.r, colour.g, colour.b, ground.r,
                 ground.g, ground.b, Fraction4(x).c_str(), Fraction4(y).c_str(),
                 Fraction4(cx).c_str(), Fraction4(cy).c_str());
    std::fflush(server);
    const int left = Edge(x, kWidth), right = Edge(x + cx, kWidth);
    const int top = Edge(y, kHeight), bottom = Edge(y + cy, kHeight);
    const auto expected = [&](int px, int py) {
      return px >= left && px < right && py >= top && py < bottom ? colour : ground;
    };
    const auto shown = host.FrameWhere([&](const CodeFrame& f) {
      return f.At(left, top) == colour && f.At(0, 0) == (left == 0 && top == 0 ? colour : ground);
    });
    ASSERT_TRUE(shown) << "patch " << i << " never reached the frame";
    ExpectCodes(*shown, 0, 0, kWidth, kHeight, expected, "patch " + std::to_string(i));
    // And it stays on the frames after.
    ExpectCodes(host.Frame(), 0, 0, kWidth, kHeight, expected, "patch " + std::to_string(i) + ", next frame");
  }
  pclose(server);
}

TEST(HdrNetworkPatch, DispwinColoursReachTheFrameInOrder) {
  if (!Exists(VELTRIMA_DISPWIN)) GTEST_SKIP() << "dispwin (Debian's argyll) is missing";
  const std::vector<std::array<int, 3>> colours = {{255, 128, 0}, {0, 0, 255}, {17, 34, 51}, {255, 255, 255}};
  const uint16_t port = UnusedPort();
  std::string command = std::string(VELTRIMA_DISPWIN) + " -dweb:" + std::to_string(port);
  for (const auto& c : colours) {
    char option[64];
    std::snprintf(option, sizeof option, " -C %.6f,%.6f,%.6f", c[0] / 255.0, c[1] / 255.0, c[2] / 255.0);
    command += option;
  }
  command += " >/dev/null 2>&1";
  std::future<int> dispwin = std::async(std::launch::async, [&] { return std::system(command.c_str()); });
  NetworkPatchHost host("ArgyllCMS Web", "127.0.0.1:" + std::to_string(port), false, false);

  std::vector<Code3> seen;
  while (dispwin.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
    const CodeFrame frame = host.Frame();
    const Code3 shown = frame.At(0, 0);
    if (shown != Grey(64) && (seen.empty() || seen.back() != shown)) {
      seen.push_back(shown);
      // A full-output patch: every pixel carries it.
      ExpectCodes(frame, 0, 0, kWidth, kHeight, shown, "colour " + std::to_string(seen.size()));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  const int status = dispwin.get();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "dispwin status " << status;
  std::vector<Code3> expected;
  // The default signal is narrow and the default levels the codes as sent:
  // 8-bit values x4.
  for (const auto& c : colours) expected.push_back({c[0] * 4, c[1] * 4, c[2] * 4});
  EXPECT_EQ(seen, expected);
}

TEST(HdrNetworkPatch, ABadServerIsSaidOnScreenAndOnceInTheLogAndThePatchStays) {
  TestServer server([](Peer& peer, int connection) {
    if (connection == 0) {
      peer.Send(Framed(R"(<calibration><color red="512" green="256" blue="1023" bits="10"/>)"
                       R"(<background red="400" green="400" blue="400" bits="10"/>)"
                       R"(<geometry x="0.25" y="0.25" cx="0.5" cy="0.5"/></calibration>)"));
    }
    peer.Send(Framed(R"(<calibration><color red="1024" green="0" blue="0" bits="10"/></calibration>)"));
    peer.WaitForClose();
  });
  HdrLog().clear();
  NetworkPatchHost host("Resolve", server.address(), true, true);
  const std::string line = "BAD MESSAGE: COLOR RED 1024 OVER 1023 (10 BITS)";
  const auto shown = host.FrameWhere([&](const CodeFrame& f) {
    const auto status = ReadLabel(f, 0, 0, kWidth, kHeight / 8, 64, 2);
    return status.size() == 2 && status[0] == line;
  });
  ASSERT_TRUE(shown) << "the status line never read \"" << line << "\"";
  // Under it, the patch levels in force.
  EXPECT_EQ(ReadLabel(*shown, 0, 0, kWidth, kHeight / 8, 64, 2)[1], "LEVELS: CODES AS SENT, NARROW");
  for (int i = 0; i < 20; ++i) host.Frame();
  const CodeFrame frame = host.Frame();
  // The last good patch, its codes written below it.
  ExpectCodes(frame, 240, 135, 720, 405, Code3{512, 256, 1023}, "the last good patch");
  const auto label = ReadLabel(frame, 0, 405, kWidth, kHeight, 64, 1);
  ASSERT_EQ(label.size(), 1u);
  EXPECT_EQ(label[0], "R 512  G 256  B 1023");
  int logged = 0;
  for (const std::string& message : HdrLog()) logged += message == "OVNVeltrima HDR: " + line;
  EXPECT_EQ(logged, 1);
}

// DisplayCAL's Resolve server at its two output levels: at full range it
// sends 0-1023 whatever the signal, which "Full Scale To Range" spreads over
// a narrow signal's 64-940 and "Codes As Sent" shows as sent; at video
// levels it sends 64-940 itself, which "Codes As Sent" shows as they are.
TEST(HdrPatchLevels, DisplayCalAtBothOutputLevelsInBothRanges) {
  const std::string packages = VELTRIMA_DISPLAYCAL_PACKAGES;
  if (!Exists(VELTRIMA_PYTHON3) || !Exists(packages)) {
    GTEST_SKIP() << "Debian's python3 or the unpacked DisplayCAL is missing";
  }
  const std::vector<Code3> colours = {Grey(1023), Grey(0), {512, 100, 940}, {1, 1022, 700}, {1023, 0, 0}};
  for (const bool videoLevels : {false, true}) {
    const uint16_t port = UnusedPort();
    const std::string command = std::string(VELTRIMA_PYTHON3) + " " + VELTRIMA_DISPLAYCAL_SERVER +
                                " " + packages + " " + std::to_string(port) +
                                (videoLevels ? " video" : "") + " >/dev/null 2>&1";
    FILE* server = popen(command.c_str(), "w");
    ASSERT_NE(server, nullptr);
    NetworkPatchHost host("Resolve", "127.0.0.1:" + std::to_string(port), false, false);
    for (const Code3& c : colours) {
      // At video levels only black and white of a channel are sure codes
      // (64 and 940); DisplayCAL's rounding between them is its own.
      const bool sure = !videoLevels || ((c.r == 0 || c.r == 1023) && (c.g == 0 || c.g == 1023) &&
                                         (c.b == 0 || c.b == 1023));
      if (!sure) continue;
      std::fprintf(server, "%d %d %d %d %d %d 0 0 1 1\n", c.r, c.g, c.b, c.r, c.g, c.b);
      std::fflush(server);
      const auto expected = [&](const Showing& s) -> std::optional<Code3> {
        if (!videoLevels) {
          return Code3{FullScaleCode(c.r, 10, s), FullScaleCode(c.g, 10, s), FullScaleCode(c.b, 10, s)};
        }
        if (s.fullScale) return std::nullopt;  // video levels scaled twice: no one's choice
        const auto video = [](int v) { return v == 0 ? 64 : 940; };
        return Code3{video(c.r), video(c.g), video(c.b)};
      };
      std::ostringstream what;
      what << "DisplayCAL at " << (videoLevels ? "video" : "full") << " levels sending " << c;
      CheckShowings(host, expected, what.str());
    }
    pclose(server);
  }
}

// dispwin's web display, without and with its -E ("video encode output as
// 16-235/255 TV levels"): without it sends 0-255, which "Full Scale To
// Range" spreads over 64-940 in a narrow signal; with it sends 16-235, which
// "Codes As Sent" takes x4 to 64-940.
TEST(HdrPatchLevels, DispwinWithAndWithoutVideoLevelsInBothRanges) {
  if (!Exists(VELTRIMA_DISPWIN)) GTEST_SKIP() << "dispwin (Debian's argyll) is missing";
  const std::vector<std::array<int, 3>> colours = {{255, 255, 255}, {0, 0, 0}, {235, 128, 16}, {255, 0, 0}};
  for (const bool videoLevels : {false, true}) {
    const uint16_t port = UnusedPort();
    std::string command = std::string(VELTRIMA_DISPWIN) + (videoLevels ? " -E" : "") +
                          " -dweb:" + std::to_string(port);
    std::vector<std::array<int, 3>> sent;
    for (const auto& c : colours) {
      // Under -E only black and white of a channel are sure codes (16, 235).
      if (videoLevels && (c[0] % 255 || c[1] % 255 || c[2] % 255)) continue;
      char option[64];
      std::snprintf(option, sizeof option, " -C %.6f,%.6f,%.6f", c[0] / 255.0, c[1] / 255.0,
                    c[2] / 255.0);
      command += option;
      sent.push_back(c);
    }
    command += " >/dev/null 2>&1";
    std::future<int> dispwin =
        std::async(std::launch::async, [&] { return std::system(command.c_str()); });
    NetworkPatchHost host("ArgyllCMS Web", "127.0.0.1:" + std::to_string(port), false, false);
    // Room for the four showings of each colour before dispwin moves on.
    host.SetSettleFrames(60);
    for (const auto& c : sent) {
      const auto expected = [&](const Showing& s) -> std::optional<Code3> {
        if (!videoLevels) {
          return Code3{FullScaleCode(c[0], 8, s), FullScaleCode(c[1], 8, s), FullScaleCode(c[2], 8, s)};
        }
        if (s.fullScale) return std::nullopt;  // TV levels scaled twice: no one's choice
        // 16 and 235 as sent: x4 narrow (64, 940), x1023/255 full (64.19
        // and 942.76 rounded).
        const auto video = [&](int v) { return v == 0 ? 64 : (s.narrow ? 940 : 943); };
        return Code3{video(c[0]), video(c[1]), video(c[2])};
      };
      std::ostringstream what;
      what << "dispwin" << (videoLevels ? " -E" : "") << " sending " << c[0] << "," << c[1] << ","
           << c[2];
      CheckShowings(host, expected, what.str());
    }
    // dispwin ends after a poll that follows its last colour.
    for (int i = 0; i < 6000 && dispwin.wait_for(std::chrono::seconds(0)) != std::future_status::ready; ++i) {
      host.Frame();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(dispwin.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "dispwin did not finish";
    const int status = dispwin.get();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "dispwin status " << status;
  }
}

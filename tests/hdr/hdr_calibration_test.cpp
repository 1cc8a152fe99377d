// The "Patch" pattern driven over the network, through the loaded module and
// plugMain: its parameters as a host sees them, DisplayCAL's own Resolve
// server and ArgyllCMS's dispwin (each skipped where it is not installed),
// and a bad server's line on screen and once in the log. Every frame after a
// patch must show exactly its codes and rectangle.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <future>
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
  for (const auto& c : colours)
    expected.push_back({(c[0] * 1023 + 127) / 255, (c[1] * 1023 + 127) / 255, (c[2] * 1023 + 127) / 255});
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
    return !ReadLabel(f, 0, 0, kWidth, kHeight / 8, 64, 1).empty() &&
           ReadLabel(f, 0, 0, kWidth, kHeight / 8, 64, 1)[0] == line;
  });
  ASSERT_TRUE(shown) << "the status line never read \"" << line << "\"";
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

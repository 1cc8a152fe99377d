// The HDR DLL's "Patch" pattern driven over Winsock, as a Windows host meets
// it: the DLL through LoadLibrary and plugMain on a WGL context, a Resolve
// server of the test's own on 127.0.0.1 (the calibration tests' small server,
// here on Winsock), and every frame after a patch read back as 10-bit codes,
// which must be exactly the patch's codes inside its rectangle and the
// background outside; when the instance goes, its connection closes. The
// whole network side runs on Linux in
// tests/hdr/hdr_calibration_test.cpp; this proves the Winsock client.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "../calibration/TestServer.h"
#include "HdrKit.h"

using namespace calibration_test;

namespace {

constexpr int kWidth = 480, kHeight = 270;

struct Patch {
  Code3 colour, ground;
  double x, y, cx, cy;  // fractions of the output
  std::string xml;
};

Patch MakePatch(Code3 colour, Code3 ground, double x, double y, double cx, double cy) {
  const auto element = [](const char* name, Code3 c) {
    return "<" + std::string(name) + " red=\"" + std::to_string(c.r) + "\" green=\"" +
           std::to_string(c.g) + "\" blue=\"" + std::to_string(c.b) + "\" bits=\"10\"/>";
  };
  const auto fraction = [](double f) {
    char text[16];
    std::snprintf(text, sizeof text, "%.4f", f);
    return std::string(text);
  };
  return {colour, ground, x, y, cx, cy,
          "<calibration>" + element("color", colour) + element("background", ground) +
              "<geometry x=\"" + fraction(x) + "\" y=\"" + fraction(y) + "\" cx=\"" +
              fraction(cx) + "\" cy=\"" + fraction(cy) + "\"/></calibration>"};
}

int Edge(double fraction, int size) { return static_cast<int>(fraction * size + 0.5); }

}  // namespace

TEST(HdrResolveOnWine, PatchesFromALocalServerReachTheFrameExactly) {
  const Patch patches[] = {
      MakePatch({1023, 0, 512}, {0, 0, 0}, 0.25, 0.25, 0.5, 0.5),
      MakePatch({64, 940, 300}, {200, 100, 50}, 0.1, 0.6, 0.3, 0.25),
  };
  // The server sends each patch once the test asks for it, then waits for
  // the plug-in to close (when the instance goes away).
  std::atomic<int> wanted{0};
  std::atomic<bool> served{false}, closedByPlugin{false};
  TestServer server([&](Peer& peer, int) {
    int sent = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (sent < 2 && std::chrono::steady_clock::now() < end) {
      if (wanted.load() > sent) peer.Send(Framed(patches[sent++].xml));
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    closedByPlugin = peer.WaitForClose();
    served = true;
  });

  HdrContext();
  {
    const float pattern = HdrOption("Pattern", "Patch");
    const float source = HdrOption("Patch Source", "Resolve");
    hostkit::HostInstance host(HdrPlugin(), kWidth, kHeight, hostkit::PixelFormat::RGBA32F);
    ASSERT_EQ(host.Set(HdrParam("Pattern"), pattern), FF_SUCCESS);
    ASSERT_EQ(host.Set(HdrParam("Patch Source"), source), FF_SUCCESS);
    // Nothing but the patch and its background on the frame.
    ASSERT_EQ(host.Set(HdrParam("Labels"), 0.0f), FF_SUCCESS);
    ASSERT_EQ(host.Set(HdrParam("Status Line"), 0.0f), FF_SUCCESS);
    ASSERT_EQ(HdrPlugin().SetTextParameter(host.Id(), HdrParam("Server"), server.address().c_str()),
              FF_SUCCESS);

    const auto frame = [&] {
      EXPECT_EQ(host.RunFrames(1), FF_SUCCESS);
      return ReadHdrCodes(host, kWidth, kHeight);
    };
    for (int i = 0; i < 2; ++i) {
      const Patch& patch = patches[i];
      wanted = i + 1;
      const int left = Edge(patch.x, kWidth), right = Edge(patch.x + patch.cx, kWidth);
      const int top = Edge(patch.y, kHeight), bottom = Edge(patch.y + patch.cy, kHeight);
      const auto expected = [&](int px, int py) {
        return px >= left && px < right && py >= top && py < bottom ? patch.colour : patch.ground;
      };
      std::optional<CodeFrame> shown;
      const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (!shown && std::chrono::steady_clock::now() < end) {
        CodeFrame f = frame();
        if (f.At(left, top) == patch.colour && f.At(0, 0) == patch.ground) shown = std::move(f);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      const std::string what = "patch " + std::to_string(i);
      ASSERT_TRUE(shown) << what << " never reached the frame";
      ExpectCodes(*shown, 0, 0, kWidth, kHeight, expected, what);
      ExpectCodes(frame(), 0, 0, kWidth, kHeight, expected, what + ", next frame");
    }
  }
  // The instance is gone: its connection must be closed, not leaked.
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!served && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_TRUE(closedByPlugin) << "the plug-in kept its connection after the instance went away";
  EXPECT_EQ(server.connections(), 1);
}

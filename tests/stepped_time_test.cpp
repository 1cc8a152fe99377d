// Frames over stepped time: the plug-in's code is linked into this test so
// that its clock can be driven exactly, and it is still called through
// plugMain as a host calls it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/GLContextSuite.h"
#include "PixelProbe.h"
#include "host/EntryPoint.h"
#include "hostkit/GLContext.h"
#include "hostkit/HostInstance.h"
#include "clock/SteppedClock.h"

namespace {

class SteppedTime : public GLContextSuite {
 protected:

  // One frame after `nanoseconds` more have passed.
  void FrameAfter(hostkit::HostInstance& host, std::int64_t nanoseconds) {
    clock_.Advance(nanoseconds);
    host.RunFrames();
  }

  SteppedClock clock_{1'000'000'000};
  hostkit::PluginLibrary plugin_{&plugMain, &SetLogCallback, "linked plug-in"};
};

constexpr std::int64_t kMs = 1'000'000;

TEST_F(SteppedTime, CyclingSolidColourStepsEveryTwoSecondsAtDefaultSpeed) {
  hostkit::HostInstance host(plugin_, 6, 4);
  host.Set(1, 4);
  host.Set(7, 0);
  host.Set(8, 0);
  const Rgba sequence[] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {1, 1, 1, 1},
                           {0, 0, 0, 1}, {1, 0, 0, 1}};
  host.RunFrames();  // the first frame starts the clock at 0
  ExpectAt(host.Target(), 0, 0, sequence[0]);
  // 0.5 colour steps per second; frames 40 ms apart (below the 50 ms cap).
  // Probe 1 s into each 2 s colour so no probe sits on a boundary.
  for (int colour = 0; colour < 6; ++colour) {
    for (int frame = 0; frame < 25; ++frame) FrameAfter(host, 40 * kMs);
    SCOPED_TRACE("colour " + std::to_string(colour));
    ExpectAt(host.Target(), 5, 3, sequence[colour]);
    for (int frame = 0; frame < 25; ++frame) FrameAfter(host, 40 * kMs);
  }
}

TEST_F(SteppedTime, LongGapsAdvanceByAtMostTheCap) {
  hostkit::HostInstance host(plugin_, 6, 4);
  host.Set(1, 4);
  host.Set(7, 0);
  host.Set(8, 0);
  host.Set(13, 1.0f);  // 0.9 colour steps per second
  host.RunFrames();
  // Twenty frames each 10 s late move the cycle by 20 x 0.05 x 0.9 = 0.9.
  for (int frame = 0; frame < 20; ++frame) FrameAfter(host, 10'000 * kMs);
  ExpectAt(host.Target(), 0, 0, {1, 0, 0, 1});
  for (int frame = 0; frame < 4; ++frame) FrameAfter(host, 10'000 * kMs);
  ExpectAt(host.Target(), 0, 0, {0, 1, 0, 1});
}

TEST_F(SteppedTime, SweepLinesMoveAndChangeColourPerPass) {
  hostkit::HostInstance host(plugin_, 64, 48);
  host.Set(1, 5);
  host.Set(7, 0);
  host.Set(8, 0);
  host.Set(14, 1);
  host.RunFrames();
  // At speed 0.5 the sweep runs 270 px/s: 10 x 50 ms + 20 ms = 140.4 px.
  for (int frame = 0; frame < 10; ++frame) FrameAfter(host, 50 * kMs);
  FrameAfter(host, 20 * kMs);
  // Column 140.4 mod 64 = 12 after two passes (green); row 140.4 mod 48 = 44
  // after two passes (green).
  const Rgba green{0, 1, 0, 1};
  ExpectEvery(host.Target(), [&](int x, int y) {
    return (x == 12 || y == 44) ? green : Rgba{0, 0, 0, 0};
  });
}

}  // namespace

// The SYNC module's first frames as a host gets them, loaded as a module and
// driven through plugMain: with "Clock Source" on "Host Time", each frame's
// strip, read by the sync reader's own strip decoder, carries its frame
// number, its time of day and the output; and frame 0 equals the picture in
// tests/golden/ in every byte; at 1080p, on a pillar and on a ribbon. Built on Linux and, cross-built, under Wine,
// where the same picture proves the DLL draws what the Linux module draws.
// The picture is made by scripts/update-goldens.sh, never by this test.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "framestamp/TimeOfDay.h"
#include "hostkit/GLContext.h"
#include "hostkit/HostInstance.h"
#include "hostkit/PluginLibrary.h"
#include "imaging/PngFile.h"
#include "sync/Parameters.h"
#include "goldens/SyncGoldenCase.h"
#include "tools/sync-read/LumaImage.h"
#include "tools/sync-read/StripDecoder.h"

namespace {

hostkit::PluginLibrary& Sync() {
  static hostkit::PluginLibrary plugin(VELTRIMA_SYNC_PLUGIN_PATH);
  return plugin;
}

void MakeContextCurrent() {
  static hostkit::GLContext context(hostkit::OptionsFromEnvironment());
  context.MakeCurrent();
}

double HostTime(int frame, int fps) { return static_cast<double>(frame) / fps; }

// The first pixel (in reading order) where two RGBA8 frames differ, and how
// many differ, for a message that says where to look.
struct Difference {
  std::size_t pixels = 0, first = 0;
};
Difference Compare(const std::vector<std::uint8_t>& frame, const std::vector<std::uint16_t>& golden) {
  Difference d;
  for (std::size_t p = 0; p < frame.size() / 4; ++p) {
    bool same = true;
    for (std::size_t c = 0; c < 4; ++c) same = same && frame[p * 4 + c] * 257 == golden[p * 4 + c];
    if (!same && d.pixels++ == 0) d.first = p;
  }
  return d;
}

class SyncGolden : public testing::TestWithParam<SyncGoldenCase> {};

TEST_P(SyncGolden, FirstFramesCarryTheirStampsAndFrameZeroMatchesThePicture) {
  const SyncGoldenCase& c = GetParam();
  MakeContextCurrent();
  hostkit::HostInstance host(Sync(), c.width, c.height, hostkit::PixelFormat::RGBA8);
  ASSERT_EQ(host.Set(kSyncClockSource, static_cast<float>(kClockHostTime)), FF_SUCCESS);
  ASSERT_EQ(host.Set(kSyncOutputNumber, static_cast<float>(c.output)), FF_SUCCESS);
  ASSERT_EQ(Sync().SetTextParameter(host.Id(), kSyncStartTime, c.startTime), FF_SUCCESS);
  const auto startMs = ParseTimeOfDay(c.startTime);
  ASSERT_TRUE(startMs.has_value()) << c.startTime;

  std::vector<std::uint8_t> frameZero;
  for (int n = 0; n < c.frames; ++n) {
    ASSERT_EQ(Sync().SetTime(host.Id(), HostTime(n, c.fps)), FF_SUCCESS);
    ASSERT_EQ(host.RunFrames(1), FF_SUCCESS) << "frame " << n;
    std::vector<std::uint8_t> pixels = host.Target().ReadOutputRGBA8();
    const StripReading strip = ReadStrip(LumaFromRgba8(pixels.data(), c.width, c.height));
    ASSERT_EQ(strip.status, StripReading::Status::Decoded) << "frame " << n << ": strip not read";
    EXPECT_EQ(strip.stamp.frame, static_cast<std::uint32_t>(n));
    EXPECT_EQ(strip.stamp.millisecondOfDay,
              static_cast<std::uint32_t>(TimeOfDayAfter(*startMs, HostTime(n, c.fps))))
        << "frame " << n;
    EXPECT_EQ(strip.stamp.output, c.output) << "frame " << n;
    if (n == 0) frameZero = std::move(pixels);
  }

  const std::string path = std::string(VELTRIMA_GOLDEN_DIR) + "/" + c.image;
  ASSERT_TRUE(std::filesystem::exists(path))
      << "no golden picture " << path << "; make it with scripts/update-goldens.sh";
  const Image golden = ReadPng(path);
  ASSERT_EQ(golden.width, c.width) << path;
  ASSERT_EQ(golden.height, c.height) << path;
  ASSERT_EQ(golden.bitDepth, 8) << path;
  ASSERT_EQ(golden.rgba.size(), frameZero.size());
  const Difference d = Compare(frameZero, golden.rgba);
  // One line, passed or not, for whoever compares builds.
  std::printf("sync frame 0: %zu differing pixels in %s\n", d.pixels, c.image);
  std::ostringstream where;
  if (d.pixels > 0) {
    const std::size_t i = d.first * 4;
    where << "; first at (" << d.first % static_cast<std::size_t>(c.width) << ","
          << d.first / static_cast<std::size_t>(c.width) << "): golden (" << golden.rgba[i] / 257
          << ", " << golden.rgba[i + 1] / 257 << ", " << golden.rgba[i + 2] / 257 << ", "
          << golden.rgba[i + 3] / 257 << "), rendered (" << +frameZero[i] << ", "
          << +frameZero[i + 1] << ", " << +frameZero[i + 2] << ", " << +frameZero[i + 3] << ")";
  }
  EXPECT_EQ(d.pixels, 0u) << d.pixels << " pixels differ from " << path << where.str()
                          << " (if the change is intended, run scripts/update-goldens.sh)";
}

INSTANTIATE_TEST_SUITE_P(Pictures, SyncGolden, testing::ValuesIn(kSyncGoldenCases),
                         [](const testing::TestParamInfo<SyncGoldenCase>& shape) {
                           return std::to_string(shape.param.width) + "x" + std::to_string(shape.param.height);
                         });

}  // namespace

// Golden HDR pictures: BT.2111 bars in PQ Narrow and HLG Narrow at
// 1920x1080, the first frame of a fresh instance, must equal the stored
// 16-bit PNG (written by the render tool, scripts/update-goldens.sh) in
// every channel of every pixel: the codes survive the file exactly.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "HdrKit.h"
#include "imaging/PngFile.h"

namespace {

struct GoldenCase {
  const char* signal;
  const char* image;
};

class HdrGolden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(HdrGolden, MatchesTheStoredImageExactly) {
  const std::string path = std::string(VELTRIMA_GOLDEN_DIR) + "/" + GetParam().image;
  ASSERT_TRUE(std::filesystem::exists(path))
      << "no golden image " << path << "; make the images with scripts/update-goldens.sh";
  const Image golden = ReadPng(path);
  ASSERT_EQ(golden.width, 1920);
  ASSERT_EQ(golden.height, 1080);
  const float signal = HdrOption("Signal", GetParam().signal);
  const float bars = HdrOption("Pattern", "BT.2111 Bars");
  hostkit::HostInstance host(HdrPlugin(), 1920, 1080);
  host.Set(HdrParam("Pattern"), bars);
  host.Set(HdrParam("Signal"), signal);
  ASSERT_EQ(host.RunFrames(1), FF_SUCCESS);
  const std::vector<std::uint16_t> frame = ToRgba16(host.Target().ReadOutput());
  ASSERT_EQ(frame.size(), golden.rgba.size());
  std::size_t differing = 0, first = 0;
  for (std::size_t i = 0; i < frame.size(); ++i)
    if (frame[i] != golden.rgba[i] && differing++ == 0) first = i;
  EXPECT_EQ(differing, 0u) << path << ": " << differing << " channels differ, first at ("
                           << (first / 4) % 1920 << "," << (first / 4) / 1920
                           << ") (if the change is intended, run scripts/update-goldens.sh)";
}

INSTANTIATE_TEST_SUITE_P(Bars, HdrGolden,
                         ::testing::Values(GoldenCase{"PQ Narrow", "hdr-bars-pq-narrow.png"},
                                           GoldenCase{"HLG Narrow", "hdr-bars-hlg-narrow.png"}),
                         [](const auto& test) {
                           return std::string(test.param.signal).substr(0, 2) == "PQ" ? "PqNarrow"
                                                                                      : "HlgNarrow";
                         });

}  // namespace

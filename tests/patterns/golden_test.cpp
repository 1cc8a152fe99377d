// Golden first frames: each preset, chosen on a fresh 1920 x 1080 instance,
// must match its stored 16-bit PNG in every channel of every pixel. The
// presets are taken from the plug-in's own element list of "Preset". The
// images are made by scripts/update-goldens.sh, never by this test. A
// mismatch names the renderer the images were made with (renderer.txt beside
// them) and the one in use, since a different renderer is a likely cause.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "PluginFixture.h"
#include "hostkit/HostInstance.h"
#include "hostkit/SoftwareRasteriser.h"
#include "imaging/PngFile.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;
constexpr FFUInt32 kPresetParameter = 0;

struct Preset {
  int number;
  float value;       // the element's value, as the host sends it
  std::string name;
};
void PrintTo(const Preset& p, std::ostream* out) { *out << p.number << " \"" << p.name << "\""; }

// The elements of "Preset", as a host lists them (codes 31, 35 and 36 on
// the prototype).
std::vector<Preset> PresetsOfThePlugin() {
  std::vector<Preset> presets;
  const FFUInt32 count = Plugin().GetElementCount(nullptr, kPresetParameter);
  for (FFUInt32 i = 0; i < count; ++i) {
    const char* name = Plugin().GetElementName(nullptr, kPresetParameter, i);
    const FFMixed value = Plugin().GetElementValue(nullptr, kPresetParameter, i);
    presets.push_back({static_cast<int>(i), hostkit::FloatFromBits(value.UIntValue),
                       name ? name : ""});
  }
  return presets;
}

std::string GoldenPath(int number) {
  return std::string(VELTRIMA_GOLDEN_DIR) + "/preset-" + std::to_string(number) + ".png";
}

// The renderer the images were made with, as make-goldens recorded it.
std::string RecordedRenderer() {
  const std::string path = std::string(VELTRIMA_GOLDEN_DIR) + "/renderer.txt";
  std::ifstream in(path, std::ios::binary);
  if (!in) return "(no " + path + ")\n";
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class GoldenFrame : public ::testing::TestWithParam<Preset> {};

TEST_P(GoldenFrame, MatchesTheStoredImageExactly) {
  const Preset& preset = GetParam();
  const std::string path = GoldenPath(preset.number);
  ASSERT_TRUE(std::filesystem::exists(path))
      << "no golden image " << path << " for preset " << preset.number << " \"" << preset.name
      << "\"; make the images with scripts/update-goldens.sh";
  const Image golden = ReadPng(path);
  ASSERT_EQ(golden.width, kWidth) << path;
  ASSERT_EQ(golden.height, kHeight) << path;
  ASSERT_EQ(golden.bitDepth, 16) << path;

  EnsurePluginLoaderRan();
  hostkit::HostInstance host(Plugin(), kWidth, kHeight);
  ASSERT_EQ(host.Set(kPresetParameter, preset.value), FF_SUCCESS);
  ASSERT_EQ(host.RunFrames(1), FF_SUCCESS);
  const std::vector<std::uint16_t> frame = ToRgba16(host.Target().ReadOutput());
  ASSERT_EQ(frame.size(), golden.rgba.size());

  int differing = 0;
  int largest = 0;  // over every channel, in 16-bit steps
  std::ostringstream first;
  for (std::size_t pixel = 0; pixel < frame.size() / 4; ++pixel) {
    bool same = true;
    for (std::size_t c = 0; c < 4; ++c) {
      const int a = frame[pixel * 4 + c], b = golden.rgba[pixel * 4 + c];
      same = same && a == b;
      largest = std::max(largest, a > b ? a - b : b - a);
    }
    if (same || differing++ > 0) continue;
    auto rgba = [&](const std::vector<std::uint16_t>& v) {
      std::ostringstream s;
      s << "(" << v[pixel * 4] << ", " << v[pixel * 4 + 1] << ", " << v[pixel * 4 + 2] << ", "
        << v[pixel * 4 + 3] << ")";
      return s.str();
    };
    first << "; first at (" << pixel % kWidth << "," << pixel / kWidth << "): golden "
          << rgba(golden.rgba) << ", rendered " << rgba(frame);
  }
  // One line per preset, passed or not, for whoever compares builds.
  std::printf("preset %d: %d differing pixels, largest difference %d\n", preset.number, differing,
              largest);
  EXPECT_EQ(differing, 0) << "preset " << preset.number << " \"" << preset.name << "\": "
                          << differing << " of " << kWidth * kHeight
                          << " pixels differ from " << path << " (largest difference " << largest
                          << " of 65535)" << first.str()
                          << "\nimages made with:\n" << RecordedRenderer()
                          << "rendered now with:\n"
                          << hostkit::DescribeRenderer(hostkit::CurrentRenderer())
                          << "(if the change is intended, run scripts/update-goldens.sh)";
}

INSTANTIATE_TEST_SUITE_P(Presets, GoldenFrame, ::testing::ValuesIn(PresetsOfThePlugin()),
                         [](const ::testing::TestParamInfo<Preset>& test) {
                           return "Preset" + std::to_string(test.param.number);
                         });

}  // namespace

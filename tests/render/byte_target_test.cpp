// The render tool's two ways out of the float pipeline, held to what each
// promises. Opaque 8-bit output is drawn into an 8-bit target, whose bytes
// come from the GPU's own float-to-byte conversion: for every channel of
// every preset, the byte is one of the two integers nearest to the float
// read-back x 255, and the nearest unless that value is an exact half (GL
// lets an implementation take either neighbour there). And a 16-bit PNG
// written by the tool holds the float read-back, un-premultiplied, to
// within half of 1/65535.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "hostkit/HostInstance.h"
#include "hostkit/PluginLibrary.h"
#include "imaging/PngFile.h"
#include "tests/GLContextSuite.h"

namespace {

using hostkit::PixelFormat;

class ByteTarget : public GLContextSuite {
 protected:
  FFUInt32 FindParameter(const std::string& name) const {
    for (FFUInt32 id = 0; id < plugin_.GetNumParameters(); ++id)
      if (const char* text = plugin_.GetParameterName(id); text && name == text) return id;
    ADD_FAILURE() << "no parameter " << name;
    return 0;
  }
  // What a host sends to choose the element of that name.
  float ElementValue(FFUInt32 id, const std::string& name) const {
    for (FFUInt32 e = 0; e < plugin_.GetElementCount(nullptr, id); ++e)
      if (const char* text = plugin_.GetElementName(nullptr, id, e); text && name == text)
        return hostkit::FloatFromBits(plugin_.GetElementValue(nullptr, id, e).UIntValue);
    ADD_FAILURE() << "no element " << name;
    return 0;
  }
  const hostkit::PluginLibrary plugin_{VELTRIMA_PLUGIN_PATH};
};

// An odd size, so that panels, text and the ball's rim fall between pixels.
constexpr int kWidth = 241, kHeight = 137;

TEST_F(ByteTarget, EveryPresetsBytesAreANearestIntegerOfItsFloats) {
  const FFUInt32 preset = FindParameter("Preset");
  const FFUInt32 presets = plugin_.GetElementCount(nullptr, preset);
  ASSERT_GE(presets, 10u);
  for (FFUInt32 p = 0; p < presets; ++p) {
    const std::string name = plugin_.GetElementName(nullptr, preset, p);
    hostkit::HostInstance floats(plugin_, kWidth, kHeight, PixelFormat::RGBA32F);
    hostkit::HostInstance bytes(plugin_, kWidth, kHeight, PixelFormat::RGBA8);
    for (hostkit::HostInstance* host : {&floats, &bytes}) {
      host->Set(preset, static_cast<float>(p));
      ASSERT_EQ(host->RunFrames(1), FFUInt32{FF_SUCCESS}) << name;
    }
    const std::vector<float> exact = floats.Target().ReadOutput();
    const std::vector<std::uint8_t> observed = bytes.Target().ReadOutputRGBA8();
    ASSERT_EQ(exact.size(), observed.size());
    int wrong = 0, halves = 0;  // halves: where either neighbour is right
    for (std::size_t i = 0; i < exact.size(); ++i) {
      // Scaled in float, as the GPU and the CPU reference scale it: 0.3f x 255
      // is 76.5 exactly there, though not in double.
      const float scaled = std::clamp(exact[i], 0.0f, 1.0f) * 255.0f;
      const float below = std::floor(scaled);
      const bool half = scaled - below == 0.5f;
      halves += half;
      const float byte = observed[i];
      const bool allowed = half ? (byte == below || byte == below + 1)
                                : byte == static_cast<float>(std::lround(scaled));
      if (!allowed && wrong++ == 0)
        ADD_FAILURE() << name << ": pixel (" << i / 4 % kWidth << ", " << i / 4 / kWidth
                      << ") channel " << i % 4 << " float x 255 = " << scaled << ", observed "
                      << byte;
    }
    EXPECT_EQ(wrong, 0) << name << ": channels off the nearest integers";
    if (halves > 0) std::printf("%s: %d channels at an exact half\n", name.c_str(), halves);
  }
}

TEST_F(ByteTarget, SixteenBitPngHoldsTheFloatReadBack) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("veltrima-depth-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const FFUInt32 preset = FindParameter("Preset");
  const FFUInt32 background = FindParameter("Background");
  // A ramp-like preset on both backgrounds: transparency must un-premultiply.
  for (const char* backgroundName : {"Opaque", "Transparent"}) {
    SCOPED_TRACE(backgroundName);
    const std::string png = (folder / "deep.png").string();
    const std::string command = std::string("'") + VELTRIMA_RENDER_PATH +
                                "' --size 64x48 --preset 'Colour Bars' --set 'Background=" +
                                backgroundName + "' --depth 16 -o '" + png + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const Image image = ReadPng(png);
    ASSERT_EQ(image.bitDepth, 16);

    hostkit::HostInstance host(plugin_, 64, 48);
    host.Set(preset, ElementValue(preset, "Colour Bars"));
    host.Set(background, ElementValue(background, backgroundName));
    ASSERT_EQ(host.RunFrames(1), FFUInt32{FF_SUCCESS});
    const std::vector<float> premultiplied = host.Target().ReadOutput();
    ASSERT_EQ(premultiplied.size(), image.rgba.size());
    int wrong = 0;
    for (std::size_t i = 0; i < premultiplied.size(); ++i) {
      const double alpha = premultiplied[i - i % 4 + 3];
      double straight = i % 4 == 3 ? alpha : alpha > 0 ? premultiplied[i] / alpha : 0.0;
      straight = std::clamp(straight, 0.0, 1.0);
      const double stored = image.rgba[i] / 65535.0;
      if (std::fabs(stored - straight) > 0.5 / 65535.0 + 1e-9 && wrong++ == 0)
        ADD_FAILURE() << "pixel (" << i / 4 % 64 << ", " << i / 4 / 64 << ") channel " << i % 4
                      << " float " << straight << ", stored " << image.rgba[i];
    }
    EXPECT_EQ(wrong, 0);
  }
  std::filesystem::remove_all(folder);
}

}  // namespace

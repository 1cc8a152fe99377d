// The render tool's two ways out of the float pipeline, held to what each
// promises. Opaque 8-bit output is drawn into an 8-bit target, whose bytes
// come from the GPU's own float-to-byte conversion: for every channel of
// every preset, the byte is one of the two integers nearest to the float
// read-back x 255, and the nearest unless that value is an exact half (GL
// lets an implementation take either neighbour there). And a 16-bit PNG
// written by the tool holds the float read-back, un-premultiplied, to
// within half of 1/65535. And the raw frames the tool writes from that 8-bit
// target, through its own read-back ring, hold to the first rule against
// the 16-bit PNGs of the same frames.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
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
  const hostkit::PluginLibrary plugin_{VELTRIMA_FREE_PLUGIN_PATH};
};

// An exact value `scaled` = float x 255 and the byte a GL implementation
// made of it: the nearest integer, or either neighbour where the value lies
// within `halfSlack` of an exact half (GL leaves that choice open).
bool IsAllowedByte(double scaled, long byte, double halfSlack) {
  const double below = std::floor(scaled);
  if (std::fabs(scaled - below - 0.5) <= halfSlack) {
    const long low = static_cast<long>(below);
    return byte == low || byte == low + 1;
  }
  return byte == std::lround(scaled);
}

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
      halves += scaled - std::floor(scaled) == 0.5f;
      const long byte = observed[i];
      if (!IsAllowedByte(scaled, byte, 0.0) && wrong++ == 0)
        ADD_FAILURE() << name << ": pixel (" << i / 4 % kWidth << ", " << i / 4 / kWidth
                      << ") channel " << i % 4 << " float x 255 = " << scaled << ", observed "
                      << byte;
    }
    EXPECT_EQ(wrong, 0) << name << ": channels off the nearest integers";
    if (halves > 0) std::printf("%s: %d channels at an exact half\n", name.c_str(), halves);
  }
}

// The tool as shipped: its raw frames from 1 on come out of the 8-bit target
// through its own read-back ring (bottom-up rows, a negative stride), frame 0
// converted by the GPU from the float target, and each must still be a
// nearest integer of the float truth for that frame,
// which a 16-bit PNG sequence of the same frames gives to within 1/131070.
// Not square, so rows handed out in the wrong order or upside down differ;
// seven frames, so the ring of three wraps and a frame handed out of turn
// differs from its moment's truth (the sweep and the cycle move every frame).
TEST_F(ByteTarget, ToolsRawFramesAreANearestIntegerOfTheFloatTruth) {
  constexpr int width = 96, height = 54, frames = 7;
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("veltrima-raw-truth-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const FFUInt32 presets = plugin_.GetElementCount(nullptr, FindParameter("Preset"));
  ASSERT_GE(presets, 10u);
  const std::size_t frameBytes = std::size_t{width} * height * 4;
  // A PNG value v holds the float read-back f to |v / 65535 - f| <= 1/131070,
  // so f x 255 is v / 257 to within this much.
  constexpr double slack = 255.0 / 131070.0 + 1e-9;
  for (FFUInt32 p = 0; p < presets; ++p) {
    const std::string name = plugin_.GetElementName(nullptr, FindParameter("Preset"), p);
    SCOPED_TRACE(name);
    const std::string common = std::string("'") + VELTRIMA_RENDER_PATH + "' -q --preset " +
                               std::to_string(p) + " --size " + std::to_string(width) + "x" +
                               std::to_string(height) + " --frames " + std::to_string(frames);
    const std::string raw = (folder / "frames.rgba").string();
    const std::string pngs = (folder / "truth-%d.png").string();
    ASSERT_EQ(std::system((common + " -o - > '" + raw + "'").c_str()), 0);
    ASSERT_EQ(std::system((common + " --depth 16 -o '" + pngs + "'").c_str()), 0);
    std::ifstream file(raw, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), frameBytes * frames);
    std::vector<std::uint16_t> firstTruth;
    for (int f = 0; f < frames; ++f) {
      const Image truth = ReadPng((folder / ("truth-" + std::to_string(f) + ".png")).string());
      ASSERT_EQ(truth.rgba.size(), frameBytes);
      // A picture that holds still is one picture: frame 0 (drawn into the
      // float target) goes out rounded as the frames after it.
      if (f == 0) firstTruth = truth.rgba;
      if (f == 1 && truth.rgba == firstTruth) {
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + frameBytes, bytes.begin() + frameBytes))
            << "frames 0 and 1 differ where the picture holds still";
      }
      int wrong = 0;
      for (std::size_t i = 0; i < frameBytes; ++i) {
        const double scaled = truth.rgba[i] / 257.0;
        const long byte = static_cast<unsigned char>(bytes[frameBytes * f + i]);
        if (!IsAllowedByte(scaled, byte, slack) && wrong++ == 0)
          ADD_FAILURE() << "frame " << f << " pixel (" << i / 4 % width << ", "
                        << i / 4 / width << ") channel " << i % 4 << ": float x 255 = "
                        << scaled << ", raw byte " << byte;
      }
      EXPECT_EQ(wrong, 0) << "frame " << f << ": channels off the nearest integers";
    }
  }
  std::filesystem::remove_all(folder);
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

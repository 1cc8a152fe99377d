// PLUGE, Nit Steps, Signal Steps, Ramp and Patch read back as codes, against
// the geometry and the PQ, HLG and SDR conversions written again here; and
// the notice an 8-bit framebuffer gets.
#include <GL/glew.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "HdrKit.h"
#include "tests/HostDrawingStates.h"

namespace {

// --- The conversions, from the standards' formulas.

double PqSignal(double nits) {
  const double m1 = 0.1593017578125, m2 = 78.84375;
  const double c1 = 0.8359375, c2 = 18.8515625, c3 = 18.6875;
  const double y = std::pow(nits / 10000.0, m1);
  return std::pow((c1 + c2 * y) / (1.0 + c3 * y), m2);
}
double PqNits(double e) {
  const double m1 = 0.1593017578125, m2 = 78.84375;
  const double c1 = 0.8359375, c2 = 18.8515625, c3 = 18.6875;
  const double p = std::pow(e, 1.0 / m2);
  return 10000.0 * std::pow(std::max(p - c1, 0.0) / (c2 - c3 * p), 1.0 / m1);
}
const double kA = 0.17883277, kB = 0.28466892, kC = 0.55991073;
// BT.2100's system gamma from 400 to 2,000 nits, BT.2390's extended one
// outside.
double HlgGamma(double peak) {
  if (peak >= 400 && peak <= 2000) return 1.2 + 0.42 * std::log10(peak / 1000.0);
  return 1.2 * std::pow(1.111, std::log2(peak / 1000.0));
}
double HlgSignal(double nits, double peak) {
  const double scene = std::pow(nits / peak, 1.0 / HlgGamma(peak));
  return scene <= 1.0 / 12.0 ? std::sqrt(3.0 * scene) : kA * std::log(12.0 * scene - kB) + kC;
}
double HlgNits(double e, double peak) {
  const double scene = e <= 0.5 ? e * e / 3.0 : (std::exp((e - kC) / kA) + kB) / 12.0;
  return peak * std::pow(scene, HlgGamma(peak));
}

struct Signal {
  const char* name;
  char transfer;  // 'P', 'H' or 'S'
  bool narrow;
  int Black() const { return narrow ? 64 : 0; }
  int White() const { return narrow ? 940 : 1023; }
  double SignalOf(double nits, double peak) const {
    if (transfer == 'P') return PqSignal(nits);
    if (transfer == 'H') return HlgSignal(nits, peak);
    return std::pow(nits / peak, 1.0 / 2.4);
  }
  double NitsOf(double e, double peak) const {
    if (transfer == 'P') return PqNits(e);
    if (transfer == 'H') return HlgNits(e, peak);
    return peak * std::pow(e, 2.4);
  }
  int Code(double e) const { return static_cast<int>(std::lround(Black() + (White() - Black()) * e)); }
};
const Signal kSignals[] = {{"PQ Narrow", 'P', true},  {"PQ Full", 'P', false},
                           {"HLG Narrow", 'H', true}, {"HLG Full", 'H', false},
                           {"SDR Narrow", 'S', true}, {"SDR Full", 'S', false}};

// --- PLUGE

int PlugeCode(int narrow, bool narrowRange) {
  if (narrowRange) return narrow;
  return std::clamp(static_cast<int>(std::lround((narrow - 64) * 1023.0 / 876.0)), 0, 1023);
}

int PlugeAt(int x, int y, int high) {
  if (x >= 888 && x <= 1031 && y >= 468 && y <= 611) return high;
  if (x >= 1320 && x <= 1607 && y >= 324 && y <= 467) return 80;
  if (x >= 1320 && x <= 1607 && y >= 612 && y <= 755) return 48;
  if (x >= 312 && x <= 599 && y >= 345 && (y - 345) % 20 < 10 && (y - 345) / 20 < 20)
    return (y - 345) / 20 < 10 ? 80 : 48;
  return 64;
}

TEST(Pluge, SdrAndHdrInBothRangesAt1920x1080And3840x2160) {
  for (const Signal& s : kSignals)
    for (int scale : {1, 2}) {
      if (scale == 2 && s.transfer == 'H') continue;  // the size is the same for all
      const CodeFrame f = RenderHdr({Option("Pattern", "PLUGE"), Option("Signal", s.name)},
                                    1920 * scale, 1080 * scale);
      const int high = s.transfer == 'S' ? 940 : 399;
      ExpectCodes(f, 0, 0, f.Width(), f.Height(),
                  [&](int x, int y) { return Grey(PlugeCode(PlugeAt(x / scale, y / scale, high), s.narrow)); },
                  std::string("PLUGE ") + s.name + " x" + std::to_string(scale));
    }
}

// --- Nit Steps and Signal Steps

int BandEdge(int k, int width, int count) { return static_cast<int>(1LL * k * width / count); }

TEST(NitSteps, EachBandIsItsLightInTheSignal) {
  struct Case {
    int peak, steps;
  };
  // PQ through 0, 100, 203, 1,000 and 10,000 nits among others.
  const Case pq[] = {{1000, 11}, {10000, 5}, {203, 2}, {10000, 64}};
  const Case other[] = {{1000, 11}, {400, 5}, {4000, 9}, {100, 3}};
  for (const Signal& s : kSignals)
    for (const Case& c : s.transfer == 'P' ? pq : other) {
      const CodeFrame f = RenderHdr({Option("Pattern", "Nit Steps"), Option("Signal", s.name),
                                     Value("Peak nits", static_cast<float>(c.peak)),
                                     Value("Steps", static_cast<float>(c.steps)), Value("Labels", 0)},
                                    960, 540);
      for (int k = 0; k < c.steps; ++k) {
        const double nits = static_cast<double>(k) * c.peak / (c.steps - 1);
        ExpectCodes(f, BandEdge(k, 960, c.steps), 0, BandEdge(k + 1, 960, c.steps), 540,
                    Grey(s.Code(s.SignalOf(nits, c.peak))),
                    std::string(s.name) + " " + std::to_string(nits) + " nits of " +
                        std::to_string(c.peak) + ", band " + std::to_string(k));
      }
    }
}

TEST(SignalSteps, EachBandIsAnEqualCodeStep) {
  for (const Signal& s : kSignals)
    for (int steps : {2, 9, 11, 64}) {
      const CodeFrame f = RenderHdr({Option("Pattern", "Signal Steps"), Option("Signal", s.name),
                                     Value("Steps", static_cast<float>(steps)), Value("Labels", 0)},
                                    1920, 270);
      for (int k = 0; k < steps; ++k) {
        const int code = static_cast<int>(
            std::lround(s.Black() + k * static_cast<double>(s.White() - s.Black()) / (steps - 1)));
        ExpectCodes(f, BandEdge(k, 1920, steps), 0, BandEdge(k + 1, 1920, steps), 270, Grey(code),
                    std::string(s.name) + " band " + std::to_string(k) + " of " + std::to_string(steps));
      }
    }
}

// The labels say what the band is: its light and its code, read from the
// picture; the light within the precision printed.
void ExpectLabels(const char* pattern, const Signal& s, int peak, int steps) {
  const CodeFrame f = RenderHdr({Option("Pattern", pattern), Option("Signal", s.name),
                                 Value("Peak nits", static_cast<float>(peak)),
                                 Value("Steps", static_cast<float>(steps))});
  for (int k = 1; k < steps; ++k) {  // band 0 is black: its label's box cannot be told from it
    const int x0 = BandEdge(k, 1920, steps), x1 = BandEdge(k + 1, 1920, steps);
    const int code = f.At(x0 + 1, 10).r;
    const auto text = ReadLabel(f, x0, 540, x1, 1080, s.Black(), 2);
    const std::string where = std::string(pattern) + " " + s.name + " band " + std::to_string(k);
    ASSERT_EQ(text.size(), 2u) << where;
    ASSERT_GT(text[0].size(), 5u) << where;
    EXPECT_EQ(text[0].substr(text[0].size() - 5), " NITS") << where;
    EXPECT_EQ(text[1], "CODE " + std::to_string(code)) << where;
    const double shown = std::stod(text[0]);
    const std::size_t dot = text[0].find('.');
    const int decimals = dot == std::string::npos ? 0 : static_cast<int>(text[0].find(' ') - dot - 1);
    const double nits = std::string(pattern) == "Nit Steps"
                            ? static_cast<double>(k) * peak / (steps - 1)
                            : s.NitsOf((code - s.Black()) / static_cast<double>(s.White() - s.Black()), peak);
    EXPECT_NEAR(shown, nits, 0.5 * std::pow(10.0, -decimals) + 1e-9) << where << ": " << text[0];
    // Above the label the band is its code alone.
    ExpectCodes(f, x0, 0, x1, 540, Grey(code), where + " above its label");
  }
}

TEST(StepLabels, SayTheLightAndTheCodeOfEachBand) {
  ExpectLabels("Nit Steps", kSignals[0], 1000, 11);
  ExpectLabels("Nit Steps", kSignals[3], 1000, 6);
  ExpectLabels("Signal Steps", kSignals[0], 1000, 11);
  ExpectLabels("Signal Steps", kSignals[2], 1000, 9);
  ExpectLabels("Signal Steps", kSignals[5], 300, 5);
}

// --- Ramp

TEST(Ramp, EveryCodeAboveAndItsEightBitTwinBelow) {
  struct Case {
    const Signal* signal;
    int width, height;
  };
  for (const Case& c : {Case{&kSignals[0], 1920, 1080}, Case{&kSignals[1], 1920, 1080},
                        Case{&kSignals[1], 1024, 512}, Case{&kSignals[4], 877, 400}}) {
    const Signal& s = *c.signal;
    const CodeFrame f = RenderHdr({Option("Pattern", "Ramp"), Option("Signal", s.name)},
                                  c.width, c.height);
    const int span = s.White() - s.Black() + 1;
    auto upper = [&](int x, int) { return Grey(s.Black() + x * span / c.width); };
    // Through an 8-bit chain of the range: narrow 8-bit codes are the 10-bit
    // ones / 4 (white 235 is 940), full ones 255 / 1023 of them.
    auto lower = [&](int x, int y) {
      const int code = upper(x, y).r;
      if (s.Black() == 64) return Grey(static_cast<int>(std::lround(code / 4.0)) * 4);
      const double eight = std::round(code * 255.0 / 1023.0);
      return Grey(static_cast<int>(std::lround(eight * 1023.0 / 255.0)));
    };
    // The scale band between the halves is at most an eighth of the height.
    const int upperEnd = c.height * 7 / 16, lowerStart = (c.height * 9 + 15) / 16;
    const std::string what = std::string(s.name) + " " + std::to_string(c.width);
    ExpectCodes(f, 0, 0, c.width, upperEnd, upper, what + " upper half");
    ExpectCodes(f, 0, lowerStart, c.width, c.height, lower, what + " lower half");
    std::set<int> seen;
    for (int x = 0; x < c.width; ++x) seen.insert(f.At(x, 0).r);
    EXPECT_EQ(static_cast<int>(seen.size()), span) << what << ": every code of the range";
    EXPECT_EQ(*seen.begin(), s.Black());
    EXPECT_EQ(*seen.rbegin(), s.White());
    // The scale: white ticks (and labels) on black of the range.
    ExpectCodes(f, 0, upperEnd, c.width, c.height * 9 / 16,
                [&](int x, int y) {
                  const Code3 code = f.At(x, y);
                  return code == Grey(s.White()) ? code : Grey(s.Black());
                },
                what + " scale band");
  }
}

// --- Patch

TEST(Patch, TheWindowHasItsShareOfTheAreaAndItsCodes) {
  struct Case {
    const Signal* signal;
    int width, height, percent;
    float background;
    Code3 patch;
  };
  for (const Case& c : {Case{&kSignals[0], 1920, 1080, 10, 0.0f, {1023, 0, 512}},
                        Case{&kSignals[1], 1280, 720, 37, 0.25f, {4, 940, 64}},
                        Case{&kSignals[4], 1001, 333, 1, 0.5f, {512, 512, 512}},
                        Case{&kSignals[5], 640, 480, 100, 1.0f, {300, 200, 100}}}) {
    const Signal& s = *c.signal;
    const CodeFrame f = RenderHdr(
        {Option("Pattern", "Patch"), Option("Signal", s.name), Value("Labels", 0),
         Value("Patch Size %", static_cast<float>(c.percent)), Value("Background %", c.background),
         Value("Patch Red", static_cast<float>(c.patch.r)),
         Value("Patch Green", static_cast<float>(c.patch.g)),
         Value("Patch Blue", static_cast<float>(c.patch.b))},
        c.width, c.height);
    const double side = std::sqrt(c.percent / 100.0);
    const int w = static_cast<int>(std::lround(c.width * side));
    const int h = static_cast<int>(std::lround(c.height * side));
    const int x0 = (c.width - w) / 2, y0 = (c.height - h) / 2;
    const Code3 ground = Grey(static_cast<int>(
        std::lround(s.Black() + c.background * static_cast<double>(s.White() - s.Black()))));
    ExpectCodes(f, 0, 0, c.width, c.height,
                [&](int x, int y) {
                  return x >= x0 && x < x0 + w && y >= y0 && y < y0 + h ? c.patch : ground;
                },
                std::string(s.name) + " " + std::to_string(c.percent) + " %");
  }
}

TEST(Patch, ItsCodesAreWrittenOutsideIt) {
  const CodeFrame f = RenderHdr({Option("Pattern", "Patch"), Value("Background %", 0.5f),
                                 Value("Patch Red", 1023), Value("Patch Green", 0),
                                 Value("Patch Blue", 77)});
  // The 10 % patch is 607 x 342 at (656, 369); the label goes below it.
  const auto text = ReadLabel(f, 0, 369 + 342, 1920, 1080, 64, 1);
  ASSERT_EQ(text.size(), 1u);
  EXPECT_EQ(text[0], "R 1023  G 0  B 77");
  ExpectCodes(f, 656, 369, 656 + 607, 369 + 342, Code3{1023, 0, 77}, "the patch");
}

// --- The framebuffer's depth

bool HasNotice(const CodeFrame& f) {
  // Patch on black: anything but black in the top band is the notice.
  for (int y = 0; y < f.Height() / 8; ++y)
    for (int x = 0; x < f.Width(); ++x)
      if (f.At(x, y) != Grey(64)) return true;
  return false;
}

TEST(FramebufferDepth, EightBitsAreSaidOnScreenAndOnceInTheLog) {
  const Settings patch{Option("Pattern", "Patch"), Value("Labels", 0)};
  HdrLog().clear();
  const CodeFrame eight = RenderHdr(patch, 960, 540, hostkit::PixelFormat::RGBA8);
  EXPECT_TRUE(HasNotice(eight));
  const auto text = ReadLabel(
      RenderHdr({Option("Pattern", "Patch"), Value("Labels", 0), Value("Background %", 0.5f)}, 960,
                540, hostkit::PixelFormat::RGBA8),
      0, 0, 960, 540 / 8, 64, 1);
  ASSERT_EQ(text.size(), 1u);
  EXPECT_EQ(text[0], "8-BIT FRAMEBUFFER: CODES ROUNDED");
  // Each instance logs it once, however many frames it draws.
  EXPECT_EQ(HdrLog().size(), 2u);
  for (const std::string& line : HdrLog()) EXPECT_NE(line.find("8 bits"), std::string::npos) << line;

  Settings quiet = patch;
  quiet.push_back(Value("Framebuffer Warning", 0));
  EXPECT_FALSE(HasNotice(RenderHdr(quiet, 960, 540, hostkit::PixelFormat::RGBA8)));
  HdrLog().clear();
  EXPECT_FALSE(HasNotice(RenderHdr(patch, 960, 540)));
  EXPECT_TRUE(HdrLog().empty()) << "a float target is not rounded";
}

// An 8-bit framebuffer gets round(c x 255 / 1023) of every code: read back
// as the code each byte stands for, the ramp's upper half is each code
// through 8 bits.
TEST(FramebufferDepth, EightBitsGetEveryCodeRounded) {
  for (const char* signal : {"PQ Narrow", "SDR Full"}) {
    const bool narrow = std::string(signal) == "PQ Narrow";
    const int black = narrow ? 64 : 0, span = (narrow ? 940 : 1023) - black + 1;
    const CodeFrame f = RenderHdr({Option("Pattern", "Ramp"), Option("Signal", signal),
                                   Value("Framebuffer Warning", 0)},
                                  1920, 1080, hostkit::PixelFormat::RGBA8);
    ExpectCodes(f, 0, 0, 1920, 400,
                [&](int x, int) {
                  const int code = black + x * span / 1920;
                  const double eight = std::round(code * 255.0 / 1023.0);
                  return Grey(static_cast<int>(std::lround(eight * 1023.0 / 255.0)));
                },
                std::string(signal) + " ramp on 8 bits");
  }
}

// A host whose framebuffer is sRGB-encoded, with GL_FRAMEBUFFER_SRGB on,
// would have every code GL draws re-encoded (code 512 stored as 188, not
// 128). The plug-in draws its codes with the encoding off, on the frame that
// composes the picture and on the frames that copy it, and leaves the host's
// switch as it found it.
TEST(FramebufferDepth, AnSrgbTargetGetsTheCodesNotTheirEncoding) {
  HdrContext();
  for (const char* signal : {"PQ Narrow", "SDR Full"}) {
    const bool narrow = std::string(signal) == "PQ Narrow";
    const int black = narrow ? 64 : 0, span = (narrow ? 940 : 1023) - black + 1;
    hostkit::HostInstance host(HdrPlugin(), 960, 540, hostkit::PixelFormat::SRGBA8);
    const float pattern = HdrOption("Pattern", "Ramp"), chosen = HdrOption("Signal", signal);
    ASSERT_EQ(host.Set(HdrParam("Pattern"), pattern), FF_SUCCESS);
    ASSERT_EQ(host.Set(HdrParam("Signal"), chosen), FF_SUCCESS);
    ASSERT_EQ(host.Set(HdrParam("Framebuffer Warning"), 0.0f), FF_SUCCESS);
    for (int frame = 1; frame <= 3; ++frame) {
      glEnable(GL_FRAMEBUFFER_SRGB);
      ASSERT_EQ(host.RunFrames(1), FF_SUCCESS);
      EXPECT_TRUE(glIsEnabled(GL_FRAMEBUFFER_SRGB)) << "the host's sRGB switch was left off";
      glDisable(GL_FRAMEBUFFER_SRGB);
      const CodeFrame f = ReadHdrCodes(host, 960, 540, hostkit::PixelFormat::SRGBA8);
      ExpectCodes(f, 0, 0, 960, 200,
                  [&](int x, int) {
                    const int code = black + x * span / 960;
                    const double eight = std::round(code * 255.0 / 1023.0);
                    return Grey(static_cast<int>(std::lround(eight * 1023.0 / 255.0)));
                  },
                  std::string(signal) + " ramp on an sRGB target, frame " + std::to_string(frame));
    }
  }
}

TEST(FramebufferDepth, ManyFramesLogOnce) {
  HdrContext();
  HdrLog().clear();
  hostkit::HostInstance host(HdrPlugin(), 64, 64, hostkit::PixelFormat::RGBA8);
  EXPECT_EQ(host.RunFrames(5), FF_SUCCESS);
  EXPECT_EQ(HdrLog().size(), 1u);
}

// The ramp's picture is kept after its first frame and copied. Under a
// host's blending or colour mask every frame is drawn instead, so that the
// frames after the first land on the host's framebuffer as the first did.
TEST(Ramp, UnderTheHostsBlendingOrMaskEveryFrameLandsAsTheFirst) {
  HdrContext();
  const float ramp = HdrOption("Pattern", "Ramp");
  for (const HostDrawingState& state : kHostDrawingStates) {
    hostkit::HostInstance host(HdrPlugin(), 320, 180);
    ASSERT_EQ(host.Set(HdrParam("Pattern"), ramp), FF_SUCCESS);
    std::vector<float> first;
    for (int frame = 0; frame < 3; ++frame) {
      host.Target().Clear(0.25f, 0.5f, 0.75f, 0.5f);
      host.Target().Bind();
      state.set();
      const FFUInt32 result = host.RunFrames(1);
      ResetHostDrawingState();
      ASSERT_EQ(result, FF_SUCCESS) << state.name;
      const std::vector<float> frameRead = host.Target().ReadWholeTarget();
      if (frame == 0)
        first = frameRead;
      else
        EXPECT_TRUE(frameRead == first) << state.name << ": frame " << frame << " differs";
    }
  }
}

}  // namespace

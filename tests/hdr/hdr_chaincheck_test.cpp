// Chain Check through the loaded module: every pixel outside the people's
// labels is the code the layout (chaincheck/Layout.h) gives it, in every
// signal and at the sizes it is made for; its strip reads back as what was
// set, frame after frame, on a float and an 8-bit target; "Labels" off
// leaves the label boxes black and the strip in place.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "HdrKit.h"
#include "chaincheck/Layout.h"
#include "chaincheck/StripReader.h"

namespace {

namespace cc = chaincheck;
namespace sig = veltrima::signal;

Code3 ToCode3(const cc::Codes& c) { return {c[0], c[1], c[2]}; }

bool Inside(const cc::Box& b, int x, int y) { return x >= b.x0 && x < b.x1 && y >= b.y0 && y < b.y1; }

// The frame the layout describes, code by code.
std::vector<Code3> Expected(const cc::Layout& layout, int width, int height) {
  std::vector<Code3> codes(static_cast<std::size_t>(width) * height, ToCode3(layout.background));
  for (const cc::Area& a : layout.areas)
    for (int y = a.box.y0; y < a.box.y1; ++y)
      for (int x = a.box.x0; x < a.box.x1; ++x) codes[static_cast<std::size_t>(y) * width + x] = ToCode3(a.codes);
  return codes;
}

// The green channel of a frame (the strip is grey) as a 10-bit grey image.
cc::GreyImage GreenOf(const CodeFrame& f) {
  cc::GreyImage image{f.Width(), f.Height(), 1023, {}};
  for (int y = 0; y < f.Height(); ++y)
    for (int x = 0; x < f.Width(); ++x) image.values.push_back(static_cast<std::uint16_t>(f.At(x, y).g));
  return image;
}

struct Case {
  const char* signal;
  int width, height;
  bool labels;
};

TEST(HdrChainCheck, EveryPixelIsTheLayoutsCode) {
  const Case cases[] = {{"PQ Narrow", 1920, 1080, true}, {"PQ Full", 1920, 1080, true},
                        {"HLG Narrow", 1280, 720, true}, {"HLG Full", 1366, 768, false},
                        {"SDR Narrow", 3840, 2160, true}, {"SDR Full", 1920, 1200, false}};
  for (const Case& c : cases) {
    const std::string where = std::string(c.signal) + " " + std::to_string(c.width) + "x" + std::to_string(c.height);
    const CodeFrame f = RenderHdr({Option("Pattern", "Chain Check"), Option("Signal", c.signal),
                                   Value("Peak nits", 600), Value("Labels", c.labels ? 1.0f : 0.0f)},
                                  c.width, c.height);
    cc::StripContent sent;
    sent.signal = sig::SignalNamed(c.signal).value();
    sent.peakNits = 600;
    const cc::Layout layout = cc::MakeLayout(sent, c.width, c.height);
    const std::vector<Code3> expected = Expected(layout, c.width, c.height);
    int wrong = 0;
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) {
        if (c.labels && (Inside(layout.stripLabel, x, y) || Inside(layout.titleLabel, x, y))) continue;
        const Code3& want = expected[static_cast<std::size_t>(y) * c.width + x];
        if (f.At(x, y) != want && wrong++ == 0)
          ADD_FAILURE() << where << ": probe at (" << x << ", " << y << ") expected " << want << ", observed "
                        << f.At(x, y);
      }
    EXPECT_EQ(wrong, 0) << where << ": pixels off the layout";
    if (c.labels) {
      // Something is written in the labels' boxes.
      int lit = 0;
      for (int y = layout.titleLabel.y0; y < layout.titleLabel.y1; ++y)
        for (int x = layout.titleLabel.x0; x < layout.titleLabel.x1; ++x)
          lit += f.At(x, y) == Grey(sig::WhiteCode(sent.signal.range));
      EXPECT_GT(lit, 1000) << where << ": no title label";
    }
    const cc::StripReading read = cc::ReadStrip(GreenOf(f));
    ASSERT_EQ(read.status, cc::StripReading::Status::Decoded) << where;
    EXPECT_TRUE(read.content == sent) << where;
  }
}

// Frame after frame the strip counts the frames drawn and the rest of the
// picture (kept and copied) stays the first frame's, also through an
// 8-bit framebuffer that rounds the codes and shows its notice.
TEST(HdrChainCheck, TheStripCountsFramesOverTheKeptPicture) {
  HdrContext();
  for (hostkit::PixelFormat format : {hostkit::PixelFormat::RGBA32F, hostkit::PixelFormat::RGBA8}) {
    constexpr int kWidth = 1280, kHeight = 720;
    hostkit::HostInstance host(HdrPlugin(), kWidth, kHeight, format);
    host.Set(HdrParam("Pattern"), HdrOption("Pattern", "Chain Check"));
    host.Set(HdrParam("Signal"), HdrOption("Signal", "HLG Narrow"));
    cc::StripContent sent;
    sent.signal = sig::SignalNamed("HLG Narrow").value();
    const cc::Box strip = cc::MakeLayout(sent, kWidth, kHeight).strip;
    std::optional<CodeFrame> first;
    for (int frame = 0; frame < 4; ++frame) {
      ASSERT_EQ(host.RunFrames(1), FF_SUCCESS);
      const CodeFrame f = ReadHdrCodes(host, kWidth, kHeight, format);
      const cc::StripReading read = cc::ReadStrip(GreenOf(f));
      ASSERT_EQ(read.status, cc::StripReading::Status::Decoded) << "frame " << frame;
      EXPECT_EQ(read.content.frame, frame);
      if (!first) {
        first = f;
        continue;
      }
      int differ = 0;
      for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) differ += !Inside(strip, x, y) && f.At(x, y) != first->At(x, y);
      EXPECT_EQ(differ, 0) << "frame " << frame << ": pixels outside the strip changed";
    }
  }
}

}  // namespace

// The render tool's pieces for files of a signal, on their own: the content
// light level against PQ, HLG and SDR light written here apart from
// signal/, the YUV of a signal's codes (greys keep their code as Y, nothing
// squeezed; colours decode within a code; other depths by the range's rule;
// 4:2:0 chroma left-sited), its RGB at every depth by the range's rule, and
// x265's HDR parameters in the units its documentation gives, with
// BT.2020's published primaries.
extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
}

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "tools/render/ContentLight.h"
#include "tools/render/Mastering.h"
#include "tools/render/SignalLevels.h"
#include "tools/render/SignalYuv.h"

namespace {

using veltrima::signal::Range;
using veltrima::signal::Transfer;

std::uint16_t Word(int code) { return static_cast<std::uint16_t>(std::lround(code * 65535.0 / 1023)); }

// A frame of `pixels` grey or coloured pixels, opaque.
std::vector<std::uint16_t> Frame(const std::vector<std::array<int, 3>>& codes) {
  std::vector<std::uint16_t> rgba;
  for (const auto& c : codes) rgba.insert(rgba.end(), {Word(c[0]), Word(c[1]), Word(c[2]), 65535});
  return rgba;
}

double PqNits(double e) {
  const double m1 = 2610.0 / 16384, m2 = 2523.0 / 4096 * 128, c1 = 3424.0 / 4096,
               c2 = 2413.0 / 4096 * 32, c3 = 2392.0 / 4096 * 32;
  const double p = std::pow(std::clamp(e, 0.0, 1.0), 1 / m2);
  return 10000 * std::pow(std::max(p - c1, 0.0) / (c2 - c3 * p), 1 / m1);
}

ContentLight Measure(const VideoSignal& signal,
                     const std::vector<std::vector<std::array<int, 3>>>& frames) {
  ContentLightMeter meter(signal);
  for (const auto& frame : frames) meter.AddFrame(Frame(frame).data(), frame.size());
  return meter.Result();
}

TEST(ContentLight, PqNarrowClampsSuperWhiteAndAveragesTheBrightestFrame) {
  const VideoSignal pq{{Transfer::Pq, Range::Narrow}, 1000};
  // 1019 is above E' 1: it shows what 940 shows, 10,000 nits, never more.
  EXPECT_EQ(Measure(pq, {{{1019, 1019, 1019}}}).maxCll, 10000u);
  EXPECT_EQ(Measure(pq, {{{64, 64, 64}, {4, 4, 4}}}).maxCll, 0u);
  // A pixel's light is its brightest component's; MaxFALL the brightest
  // frame's mean, not the clip's.
  const int mid = 502;
  const double midNits = PqNits((mid - 64) / 876.0);
  const ContentLight light =
      Measure(pq, {{{64, 64, mid}, {64, 64, 64}}, {{mid, 64, 64}, {mid, mid, 64}}, {{64, 64, 64}}});
  EXPECT_EQ(light.maxCll, static_cast<unsigned>(std::lround(midNits)));
  EXPECT_EQ(light.maxFall, static_cast<unsigned>(std::lround(midNits)));
  EXPECT_EQ(Measure(pq, {{{mid, 64, 64}, {64, 64, 64}}}).maxFall,
            static_cast<unsigned>(std::lround(midNits / 2)));
}

TEST(ContentLight, HlgLightFollowsTheSceneLuminanceOfTheWholePixel) {
  const VideoSignal hlg{{Transfer::Hlg, Range::Full}, 1000};
  EXPECT_EQ(Measure(hlg, {{{1023, 1023, 1023}}}).maxCll, 1000u);
  // Pure red: scene light 1 in R, luminance 0.2627, gamma 1.2 at 1,000 nits.
  EXPECT_EQ(Measure(hlg, {{{1023, 0, 0}}}).maxCll,
            static_cast<unsigned>(std::lround(1000 * std::pow(0.2627, 0.2))));
  const VideoSignal sdr{{Transfer::Sdr, Range::Narrow}, 100};
  EXPECT_EQ(Measure(sdr, {{{940, 940, 940}}}).maxCll, 100u);
}

struct FrameDeleter {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
using FramePointer = std::unique_ptr<AVFrame, FrameDeleter>;

FramePointer EmptyFrame(AVPixelFormat format, int width, int height) {
  FramePointer frame(av_frame_alloc());
  frame->format = format;
  frame->width = width;
  frame->height = height;
  EXPECT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
  return frame;
}

FramePointer Convert(const VideoSignal& signal, AVPixelFormat format,
                     const std::vector<std::array<int, 3>>& codes, int width, int height) {
  FramePointer frame = EmptyFrame(format, width, height);
  SignalYuv(signal, format).Convert(Frame(codes).data(), frame.get());
  return frame;
}

int Sample(const AVFrame& frame, int plane, int x, int y) {
  const std::uint8_t* row = frame.data[plane] + frame.linesize[plane] * y;
  const bool wide = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame.format))->comp[0].depth > 8;
  return wide ? reinterpret_cast<const std::uint16_t*>(row)[x] : row[x];
}

TEST(SignalYuv, GreysKeepTheirCodeAsLumaInTheirOwnRange) {
  for (const Range range : {Range::Narrow, Range::Full}) {
    std::vector<std::array<int, 3>> greys;
    for (int code = 0; code <= 1023; ++code) greys.push_back({code, code, code});
    const FramePointer frame =
        Convert({{Transfer::Pq, range}, 1000}, AV_PIX_FMT_YUV444P10LE, greys, 1024, 1);
    for (int code = 0; code <= 1023; ++code) {
      ASSERT_EQ(Sample(*frame, 0, code, 0), code) << "range " << static_cast<int>(range);
      ASSERT_EQ(Sample(*frame, 1, code, 0), 512);
      ASSERT_EQ(Sample(*frame, 2, code, 0), 512);
    }
  }
}

// R, G, B codes of a 4:4:4 pixel decoded by the tags' matrix and range.
std::array<double, 3> Decode(int y, int cb, int cr, double kr, double kb, bool narrow) {
  const double luma = narrow ? (y - 64) / 876.0 : y / 1023.0;
  const double span = narrow ? 896.0 : 1023.0;
  const double r = luma + 2 * (1 - kr) * (cr - 512) / span;
  const double b = luma + 2 * (1 - kb) * (cb - 512) / span;
  const double g = (luma - kr * r - kb * b) / (1 - kr - kb);
  const auto code = [&](double e) { return narrow ? 64 + 876 * e : 1023 * e; };
  return {code(r), code(g), code(b)};
}

TEST(SignalYuv, ColoursDecodeWithinOneCodeByTheSignalsMatrix) {
  struct Case {
    VideoSignal signal;
    double kr, kb;
  };
  for (const Case& c : {Case{{{Transfer::Pq, Range::Narrow}, 1000}, 0.2627, 0.0593},
                        Case{{{Transfer::Hlg, Range::Full}, 1000}, 0.2627, 0.0593},
                        Case{{{Transfer::Sdr, Range::Narrow}, 100}, 0.2126, 0.0722}}) {
    const bool narrow = c.signal.signal.range == Range::Narrow;
    const int low = narrow ? 64 : 0, high = narrow ? 940 : 1023;
    std::vector<std::array<int, 3>> colours;
    for (int r = low; r <= high; r += 29)
      for (int g = low; g <= high; g += 31)
        for (int b = low; b <= high; b += 37) colours.push_back({r, g, b});
    const int count = static_cast<int>(colours.size());
    const FramePointer frame = Convert(c.signal, AV_PIX_FMT_YUV444P10LE, colours, count, 1);
    double worst = 0;
    for (int i = 0; i < count; ++i) {
      const auto decoded = Decode(Sample(*frame, 0, i, 0), Sample(*frame, 1, i, 0),
                                  Sample(*frame, 2, i, 0), c.kr, c.kb, narrow);
      for (int k = 0; k < 3; ++k)
        worst = std::max(worst, std::fabs(decoded[static_cast<std::size_t>(k)] -
                                          colours[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)]));
    }
    // Nearest of the eight integer triples; plain rounding reaches 1.4.
    EXPECT_LT(worst, 1.0) << "kr " << c.kr << (narrow ? " narrow" : " full");
  }
}

TEST(SignalYuv, EightBitsFourTwoZeroAndAlphaFollowTheFormat) {
  const VideoSignal sdr{{Transfer::Sdr, Range::Narrow}, 100};
  // 8-bit H.264: narrow white is 235, the 10-bit code over four.
  const FramePointer eight = Convert(sdr, AV_PIX_FMT_YUV444P, {{940, 940, 940}}, 1, 1);
  EXPECT_EQ(Sample(*eight, 0, 0, 0), 235);
  EXPECT_EQ(Sample(*eight, 1, 0, 0), 128);
  // 4:2:0: one chroma sample for a flat 2x2 block, as 4:4:4 has it.
  const std::vector<std::array<int, 3>> red(4, {940, 64, 64});
  const FramePointer full = Convert(sdr, AV_PIX_FMT_YUV444P10LE, red, 2, 2);
  const FramePointer half = Convert(sdr, AV_PIX_FMT_YUV420P10LE, red, 2, 2);
  EXPECT_NEAR(Sample(*half, 1, 0, 0), Sample(*full, 1, 0, 0), 1);
  EXPECT_NEAR(Sample(*half, 2, 0, 0), Sample(*full, 2, 0, 0), 1);
  EXPECT_NEAR(Sample(*half, 0, 1, 1), Sample(*full, 0, 1, 1), 1);
  const FramePointer alpha = Convert(sdr, AV_PIX_FMT_YUVA444P10LE, {{64, 64, 64}}, 1, 1);
  EXPECT_EQ(Sample(*alpha, 3, 0, 0), 1023);
}

TEST(SignalYuv, EightBitsTakeEachCodeByItsRangesRule) {
  // BT.2100: full-range codes are (2^n - 1) E', so 10-bit 700, 800, 1000
  // are 174, 199, 249 at 8 bits (a shift by two gives 175, 200, 250);
  // narrow ones scale by 2^(n - 10).
  const std::vector<std::array<int, 3>> greys = {
      {700, 700, 700}, {800, 800, 800}, {1000, 1000, 1000}, {1023, 1023, 1023}, {940, 940, 940}, {64, 64, 64}};
  const FramePointer full =
      Convert({{Transfer::Sdr, Range::Full}, 100}, AV_PIX_FMT_YUV444P, greys, 6, 1);
  const int fullY[] = {174, 199, 249, 255, 234, 16};
  const FramePointer narrow =
      Convert({{Transfer::Sdr, Range::Narrow}, 100}, AV_PIX_FMT_YUV444P, greys, 6, 1);
  const int narrowY[] = {175, 200, 250, 255, 235, 16};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(Sample(*full, 0, i, 0), fullY[i]) << "full " << greys[static_cast<std::size_t>(i)][0];
    EXPECT_EQ(Sample(*narrow, 0, i, 0), narrowY[i]) << "narrow " << greys[static_cast<std::size_t>(i)][0];
    EXPECT_EQ(Sample(*full, 1, i, 0), 128);
  }
}

TEST(SignalYuv, FourTwoZeroChromaIsLeftSited) {
  // Red in columns 0 to 2, grey from 3: the sample of columns 2 and 3 lies
  // on column 2 and filters columns 1, 2, 3 by 1 2 1, three quarters red
  // (a mean of the 2x2 block, sited between the columns, would be half).
  const VideoSignal pq{{Transfer::Pq, Range::Narrow}, 1000};
  const std::array<int, 3> red{700, 300, 300}, grey{502, 502, 502};
  std::vector<std::array<int, 3>> codes;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 8; ++x) codes.push_back(x < 3 ? red : grey);
  const FramePointer half = Convert(pq, AV_PIX_FMT_YUV420P10LE, codes, 8, 2);
  const FramePointer full = Convert(pq, AV_PIX_FMT_YUV444P10LE, {red}, 1, 1);
  for (int plane = 1; plane <= 2; ++plane) {
    const double redChroma = Sample(*full, plane, 0, 0);
    EXPECT_EQ(Sample(*half, plane, 0, 0), redChroma) << plane;
    EXPECT_NEAR(Sample(*half, plane, 1, 0), 512 + 0.75 * (redChroma - 512), 1) << plane;
    EXPECT_EQ(Sample(*half, plane, 2, 0), 512) << plane;
  }
}

TEST(SignalLevels, EveryRgbDepthHoldsTheCodeByItsRangesRule) {
  struct Case {
    Range range;
    AVPixelFormat format;
    int code, value;
  };
  // H.273: narrow (219 E' + 16) 2^(n - 8), full (2^n - 1) E'.
  const Case cases[] = {
      {Range::Narrow, AV_PIX_FMT_GBRP16LE, 940, 60160}, {Range::Narrow, AV_PIX_FMT_GBRP16LE, 64, 4096},
      {Range::Narrow, AV_PIX_FMT_GBRP12LE, 940, 3760},  {Range::Narrow, AV_PIX_FMT_GBRP10LE, 940, 940},
      {Range::Narrow, AV_PIX_FMT_RGB24, 940, 235},      {Range::Narrow, AV_PIX_FMT_RGB48BE, 1023, 65472},
      {Range::Full, AV_PIX_FMT_GBRP12LE, 236, 945},     {Range::Full, AV_PIX_FMT_GBRP16LE, 1023, 65535},
      {Range::Full, AV_PIX_FMT_BGR0, 700, 174},         {Range::Full, AV_PIX_FMT_RGBA64BE, 512, 32800},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << av_get_pix_fmt_name(c.format) << " code " << c.code);
    const FramePointer frame = EmptyFrame(c.format, 2, 1);
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(c.format);
    SignalLevels(c.range, d->comp[0].depth)
        .WriteRgb(Frame({{c.code, c.code, 0}, {0, 0, c.code}}).data(), frame.get());
    std::uint32_t red[2], blue[2];
    const std::uint8_t* data[4] = {frame->data[0], frame->data[1], frame->data[2], frame->data[3]};
    av_read_image_line2(red, data, frame->linesize, d, 0, 0, 0, 2, 0, 4);
    av_read_image_line2(blue, data, frame->linesize, d, 0, 0, 2, 2, 0, 4);
    EXPECT_EQ(red[0], static_cast<std::uint32_t>(c.value));
    EXPECT_EQ(blue[1], static_cast<std::uint32_t>(c.value));
    EXPECT_EQ(blue[0], 0u);
  }
  // Alpha is full scale at every depth.
  const FramePointer alpha = EmptyFrame(AV_PIX_FMT_GBRAP12LE, 1, 1);
  SignalLevels(Range::Narrow, 12).WriteRgb(Frame({{64, 64, 64}}).data(), alpha.get());
  EXPECT_EQ(Sample(*alpha, 3, 0, 0), 4095);
}

TEST(Mastering, X265ParametersInItsUnitsWithBt2020AndD65) {
  // Chromaticity in 0.00002, luminance in 0.0001 nits; green, blue, red.
  EXPECT_EQ(X265HdrParams(1000, {10000, 400}),
            "master-display=G(8500,39850)B(6550,2300)R(35400,14600)WP(15635,16450)"
            "L(10000000,1):max-cll=10000,400");
  EXPECT_NE(X265HdrParams(4000, {0, 0}).find("L(40000000,1):max-cll=0,0"), std::string::npos);
}

}  // namespace

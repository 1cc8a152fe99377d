// Where the sent frame lies in a capture, read back from Chain Check frames
// made from the layout and resized, moved or cut; and the chroma filter
// named from edge profiles that real converters produced.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "chaincheck/Layout.h"
#include "tools/signal-read/ChromaFilter.h"
#include "tools/signal-read/GeometryReading.h"

namespace {

namespace cc = chaincheck;

// One plane of 10-bit codes per channel, as floats before they are written.
struct Picture {
  int width = 0, height = 0;
  std::vector<float> v[3];
  float& At(int c, int x, int y) { return v[c][static_cast<std::size_t>(y) * width + x]; }
  float At(int c, int x, int y) const { return v[c][static_cast<std::size_t>(y) * width + x]; }
};

Picture Draw(const cc::StripContent& content, int width, int height) {
  const cc::Layout layout = cc::MakeLayout(content, width, height);
  Picture p{width, height, {}};
  for (int c = 0; c < 3; ++c)
    p.v[c].assign(static_cast<std::size_t>(width) * height, static_cast<float>(layout.background[c]));
  for (const cc::Area& a : layout.areas)
    for (int y = std::max(a.box.y0, 0); y < std::min(a.box.y1, height); ++y)
      for (int x = std::max(a.box.x0, 0); x < std::min(a.box.x1, width); ++x)
        for (int c = 0; c < 3; ++c) p.At(c, x, y) = static_cast<float>(a.codes[static_cast<std::size_t>(c)]);
  return p;
}

// Resampled by `factor` (bilinear, pixel centres aligned), moved by
// (dx, dy) and cut to width x height; what lies outside the source is code 0.
Picture Transform(const Picture& in, double factor, int dx, int dy, int width, int height) {
  Picture out{width, height, {}};
  for (int c = 0; c < 3; ++c) out.v[c].assign(static_cast<std::size_t>(width) * height, 0.0f);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const double sx = (x - dx + 0.5) / factor - 0.5, sy = (y - dy + 0.5) / factor - 0.5;
      if (sx < -0.5 || sy < -0.5 || sx > in.width - 0.5 || sy > in.height - 0.5) continue;
      const double cx = std::clamp(sx, 0.0, in.width - 1.0), cy = std::clamp(sy, 0.0, in.height - 1.0);
      const int x0 = static_cast<int>(cx), y0 = static_cast<int>(cy);
      const int x1 = std::min(x0 + 1, in.width - 1), y1 = std::min(y0 + 1, in.height - 1);
      const double fx = cx - x0, fy = cy - y0;
      for (int c = 0; c < 3; ++c)
        out.At(c, x, y) = static_cast<float>((in.At(c, x0, y0) * (1 - fx) + in.At(c, x1, y0) * fx) * (1 - fy) +
                                             (in.At(c, x0, y1) * (1 - fx) + in.At(c, x1, y1) * fx) * fy);
    }
  return out;
}

CaptureFrame AsCapture(const Picture& p) {
  CaptureFrame f;
  f.width = p.width;
  f.height = p.height;
  f.bits = 10;
  for (int c = 0; c < 3; ++c)
    for (const float v : p.v[c]) f.planes[static_cast<std::size_t>(c)].push_back(static_cast<std::uint16_t>(std::lround(v)));
  return f;
}

struct GeometryCase {
  const char* name;
  int sentWidth, sentHeight;
  double factor;
  int dx, dy, width, height;  // the capture: moved, then cut to this size
  bool blackBeyond;           // cut to (width, height) then widened back with black
  double wantFactor;          // 1: not scaled
  int wantDx, wantDy;
  bool wantCropped;
};

const GeometryCase kGeometry[] = {
    {"as sent", 1920, 1080, 1, 0, 0, 1920, 1080, false, 1, 0, 0, false},
    {"sent at 1280x720 itself", 1280, 720, 1, 0, 0, 1280, 720, false, 1, 0, 0, false},
    {"moved right and down", 1920, 1080, 1, 6, 4, 1920, 1080, false, 1, 6, 4, false},
    {"moved left and up", 1920, 1080, 1, -10, -3, 1920, 1080, false, 1, -10, -3, false},
    {"cut to a smaller capture", 1920, 1080, 1, 0, 0, 1900, 1060, false, 1, 0, 0, true},
    {"cut and widened back with black", 1920, 1080, 1, 0, 0, 1900, 1060, true, 1, 0, 0, true},
    {"moved and cut", 1920, 1080, 1, 5, 0, 1880, 1080, false, 1, 5, 0, true},
    {"resized by 2/3", 1920, 1080, 2.0 / 3, 0, 0, 1280, 720, false, 0.667, 0, 0, false},
    {"resized by 1/2", 1920, 1080, 0.5, 0, 0, 960, 540, false, 0.5, 0, 0, false},
    {"resized by 1.5", 1920, 1080, 1.5, 0, 0, 2880, 1620, false, 1.5, 0, 0, false},
};

TEST(SignalReadGeometry, FindsTheFactorOffsetAndCut) {
  cc::StripContent content;
  content.signal = {veltrima::signal::Transfer::Pq, veltrima::signal::Range::Narrow};
  for (const GeometryCase& c : kGeometry) {
    SCOPED_TRACE(c.name);
    Picture p = Transform(Draw(content, c.sentWidth, c.sentHeight), c.factor, c.dx, c.dy, c.width, c.height);
    if (c.blackBeyond) p = Transform(p, 1, 0, 0, c.sentWidth, c.sentHeight);
    const CaptureFrame frame = AsCapture(p);
    ChainReading reading;
    Geometry g;
    std::string why;
    ASSERT_TRUE(ReadPlacedChain(frame, reading, g, why)) << why;
    ASSERT_TRUE(g.measured);
    EXPECT_NEAR(g.factor, c.wantFactor, 1e-9);
    if (c.wantFactor != 1) continue;
    EXPECT_EQ(g.dx, c.wantDx);
    EXPECT_EQ(g.dy, c.wantDy);
    EXPECT_EQ(g.Smaller(frame.width, frame.height) || !g.missingCorners.empty(), c.wantCropped)
        << "sent " << g.sentWidth << "x" << g.sentHeight << ", " << g.missingCorners.size() << " corners missing";
    // Put back where it was sent, the ramp reads code for code.
    ASSERT_EQ(reading.ramp.size(), 1024u);
    for (const int code : {16, 500, 1007}) EXPECT_NEAR(reading.ramp[static_cast<std::size_t>(code)], code, 0.01) << code;
  }
}

// Profiles of the colour edge at an odd column (columns edge - 4 to
// edge + 3, 1 the left colour) as FFmpeg's converters gave them through
// 4:2:2 and back.
struct FilterCase {
  const char* converter;
  std::vector<double> profile;
  const char* want;
};

const FilterCase kFilters[] = {
    {"zscale point", {1, 1, 1, 1, 0, 0, 0, 0}, "dropped"},
    {"zscale bilinear", {1, 1, 0.823, 0.647, 0.531, 0, 0, 0}, "bilinear"},
    {"zscale bicubic", {1.047, 1.044, 0.918, 0.647, 0.481, -0.044, -0.091, 0}, "bicubic"},
    {"zscale spline16", {1.056, 1.053, 0.938, 0.647, 0.47, -0.053, -0.097, 0}, "bicubic"},
    {"swscale default", {1.037, 1.12, 0.947, 0.57, 0.428, 0.052, -0.099, -0.037}, "bicubic"},
    {"swscale area", {1, 1, 0.839, 0.517, 0.483, 0.161, 0, 0}, "averaged"},
    {"swscale area on Y'CbCr", {1, 1, 0.823, 0.469, 0.531, 0.177, 0, 0}, "averaged"},
};

TEST(SignalReadChromaFilter, NamesTheFilterFromTheOddEdge) {
  for (const FilterCase& c : kFilters) EXPECT_EQ(ChromaFilterOf(c.profile), c.want) << c.converter;
}

}  // namespace

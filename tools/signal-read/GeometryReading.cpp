#include "tools/signal-read/GeometryReading.h"

#include <algorithm>
#include <cmath>

#include "chaincheck/Layout.h"
#include "tools/signal-read/LineFit.h"

namespace {

namespace cc = chaincheck;

// Where a frame of one size puts the parts the geometry is measured by.
struct SentMarks {
  int stripLeft = 0, stripTop = 0, stripWidth = 0;
  int rampLeft = 0;            // code 0's column
  int rampTop = 0, rampBottom = 0;
  cc::Box columnGrille{1 << 30, 1 << 30, -1, -1};
};

SentMarks MarksAt(const cc::StripContent& content, int width, int height) {
  const cc::Layout layout = cc::MakeLayout(content, width, height);
  SentMarks m;
  m.stripLeft = layout.strip.x0;
  m.stripTop = layout.strip.y0;
  m.stripWidth = layout.strip.Width();
  for (const cc::Area& a : layout.areas) {
    // Code 0's column may lie off a frame narrower than the ramp.
    if (a.part == cc::Part::Ramp) {
      m.rampLeft = a.box.x0 - a.index;
      m.rampTop = a.box.y0;
      m.rampBottom = a.box.y1;
    }
    if (a.part == cc::Part::Grille && a.index == 0) {
      cc::Box& g = m.columnGrille;
      g = {std::min(g.x0, a.box.x0), std::min(g.y0, a.box.y0), std::max(g.x1, a.box.x1), std::max(g.y1, a.box.y1)};
    }
  }
  return m;
}

const std::vector<std::uint16_t>& GreyValues(const CaptureFrame& f) {
  return f.planes[f.colour == CaptureColour::Rgb ? 1 : 0];
}

double GreyAt(const CaptureFrame& f, int x, int y) {
  return GreyValues(f)[static_cast<std::size_t>(y) * static_cast<std::size_t>(f.width) + static_cast<std::size_t>(x)];
}

// The ramp band's mean per capture column, in codes, over the middle half
// of its rows (placed by the strip, which scales with the frame).
std::vector<double> RampProfile(const CaptureFrame& f, const ChainReading& r) {
  const SentMarks at = MarksAt(r.strip.content, f.width, f.height);
  const double quarter = (at.rampBottom - at.rampTop) / 4.0;
  const int y0 = std::clamp(static_cast<int>(std::lround(r.offsetY + r.scaleY * (at.rampTop + quarter))), 0, f.height - 1);
  const int y1 = std::clamp(static_cast<int>(std::lround(r.offsetY + r.scaleY * (at.rampBottom - quarter))), y0 + 1, f.height);
  std::vector<double> profile(static_cast<std::size_t>(f.width), 0.0);
  for (int y = y0; y < y1; ++y)
    for (int x = 0; x < f.width; ++x) profile[static_cast<std::size_t>(x)] += GreyAt(f, x, y);
  for (double& p : profile) p /= (y1 - y0) * r.valuesPerCode;
  return profile;
}

struct Crossing {
  double code, x;
};

// Where, walking left from the ramp's bright end, the profile falls below
// each step's received level: the capture column of that step's code.
std::vector<Crossing> RampCrossings(const std::vector<double>& profile, const ChainReading& r) {
  std::vector<StepMeasure> steps = r.steps;
  std::sort(steps.begin(), steps.end(), [](const StepMeasure& a, const StepMeasure& b) { return a.sent < b.sent; });
  std::vector<Crossing> crossings;
  if (steps.size() < 3 || profile.size() < 2) return crossings;
  const double low = steps.front().received[1], high = steps.back().received[1];
  // Steps a clip merged say nothing of where their code lies.
  std::vector<StepMeasure> usable;
  for (const StepMeasure& m : steps) {
    const double v = m.received[1];
    if (v <= low + 2 || v >= high - 2) continue;
    if (!usable.empty() && v <= usable.back().received[1] + 2) continue;
    usable.push_back(m);
  }
  // The bright end: the last column at least midway between black and the
  // ramp's brightest.
  const double brightest = *std::max_element(profile.begin(), profile.end());
  int x = static_cast<int>(profile.size()) - 1;
  while (x > 0 && profile[static_cast<std::size_t>(x)] < (brightest + low) / 2) --x;
  // A resized end is a column or two of its own mix: on to the top code.
  while (x > 0 && profile[static_cast<std::size_t>(x) - 1] >= profile[static_cast<std::size_t>(x)]) --x;
  for (auto m = usable.rbegin(); m != usable.rend(); ++m) {
    const double level = m->received[1];
    while (x > 0 && profile[static_cast<std::size_t>(x)] >= level) --x;
    if (x <= 0 || x + 1 >= static_cast<int>(profile.size())) break;
    const double below = profile[static_cast<std::size_t>(x)], above = profile[static_cast<std::size_t>(x) + 1];
    const double t = above > below ? (level - below) / (above - below) : 1;
    crossings.push_back({static_cast<double>(m->sent), x + std::clamp(t, 0.0, 1.0)});
  }
  return crossings;
}

// Least squares x = intercept + slope · code.
bool LineThrough(const std::vector<Crossing>& c, double& slope, double& intercept) {
  LineFit fit;
  for (const Crossing& k : c) fit.Add(k.code, k.x);
  return fit.Solve(slope, intercept, 2);
}

// The line through the crossings, fitted again without those more than a
// few pixels off it (a resampler's ringing at the ramp's bright end moves
// the first); false when under 8 remain, or under 80 % of them.
bool FitCrossings(std::vector<Crossing>& c, double& slope, double& intercept) {
  if (c.size() < 8 || !LineThrough(c, slope, intercept)) return false;
  const std::size_t all = c.size();
  auto off = [&](const Crossing& k) { return std::abs(k.x - intercept - slope * k.code) > 4 + 2 * slope; };
  c.erase(std::remove_if(c.begin(), c.end(), off), c.end());
  if (c.size() < 8 || c.size() * 5 < all * 4 || !LineThrough(c, slope, intercept)) return false;
  return slope > 0.25 && slope < 4 && std::none_of(c.begin(), c.end(), off);
}

// Output sizes a capture is most often resized from: a size near one of
// them is taken as exact (the ramp's slope is good to about 0.2 %).
constexpr int kUsualWidths[] = {1280, 1366, 1600, 1920, 2048, 2560, 3200, 3840, 4096, 5120, 7680};
constexpr int kUsualHeights[] = {720, 768, 900, 1080, 1200, 1440, 1600, 2160, 2400, 2880, 4320};

template <std::size_t N>
int LikelySentSize(double size, const int (&usual)[N]) {
  for (const int s : usual)
    if (std::abs(size - s) <= 0.005 * s) return s;
  return static_cast<int>(std::lround(size));
}

// The row below the column grille in the capture, at scale 1: the first
// row down from its middle whose mean over the grille's middle columns
// falls below midway between the grille and black.
double ColumnGrilleFoot(const CaptureFrame& f, const ChainReading& r) {
  const SentMarks at = MarksAt(r.strip.content, f.width, f.height);
  const cc::Box& g = at.columnGrille;
  if (g.x1 < 0) return -1;
  auto mapX = [&](double x) { return std::clamp(static_cast<int>(std::lround(r.offsetX + r.scaleX * x)), 0, f.width - 1); };
  const int x0 = mapX(g.x0 + g.Width() / 4.0), x1 = mapX(g.x1 - g.Width() / 4.0);
  if (x1 - x0 < 2) return -1;
  auto rowMean = [&](int y) {
    double sum = 0;
    for (int x = x0; x < x1; ++x) sum += GreyAt(f, x, y);
    return sum / (x1 - x0);
  };
  int y = std::clamp(static_cast<int>(std::lround(r.offsetY + r.scaleY * (g.y0 + g.y1) / 2.0)), 0, f.height - 1);
  const double threshold = (rowMean(y) + r.strip.black) / 2;
  while (y < f.height && rowMean(y) >= threshold) ++y;
  return y;
}

// A mark's pixels inside the capture, and whether they arrived bright.
struct Arm {
  int inside = 0, bright = 0;
};

void CheckCorners(const CaptureFrame& f, const ChainReading& r, Geometry& g) {
  const cc::Layout sent = cc::MakeLayout(r.strip.content, g.sentWidth, g.sentHeight);
  const double threshold = (r.strip.black + r.strip.white) / 2;
  static const char* const kNames[2][2] = {{"top left", "bottom left"}, {"top right", "bottom right"}};
  Arm arms[2][2];
  for (const cc::Area& a : sent.areas) {
    if (a.part != cc::Part::Corner) continue;
    const bool right = a.box.x1 > g.sentWidth / 2, bottom = a.box.y1 > g.sentHeight / 2;
    Arm& arm = arms[right][bottom];
    for (int y = a.box.y0 + g.dy; y < a.box.y1 + g.dy; ++y)
      for (int x = a.box.x0 + g.dx; x < a.box.x1 + g.dx; ++x) {
        if (x < 0 || y < 0 || x >= f.width || y >= f.height) continue;
        ++arm.inside;
        arm.bright += GreyAt(f, x, y) > threshold;
      }
  }
  for (int right = 0; right < 2; ++right)
    for (int bottom = 0; bottom < 2; ++bottom) {
      const Arm& arm = arms[right][bottom];
      if (arm.inside > 0 && arm.bright * 2 < arm.inside) g.missingCorners.push_back(kNames[right][bottom]);
    }
}

// The size nearest `estimate` whose layout puts `measure` nearest
// `target`, the capture's own size first when it fits within 3 pixels (an
// 8-bit ramp's steps of four codes move its crossings by up to 3).
template <typename Measure>
int SentSize(int own, double estimate, double target, Measure measure) {
  if (std::abs(measure(own) - target) <= 3) return own;
  int best = own;
  double bestMiss = 1e9;
  for (int s = static_cast<int>(estimate) - 8; s <= static_cast<int>(estimate) + 8; ++s) {
    if (s < 16) continue;
    const double miss = std::abs(measure(s) - target) + std::abs(s - estimate) / 16;
    if (miss < bestMiss) {
      bestMiss = miss;
      best = s;
    }
  }
  return best;
}

}  // namespace

Geometry MeasureGeometry(const CaptureFrame& f, const ChainReading& r) {
  Geometry g;
  g.sentWidth = f.width;
  g.sentHeight = f.height;
  std::vector<Crossing> crossings = RampCrossings(RampProfile(f, r), r);
  double slope = 1, intercept = 0;
  if (!FitCrossings(crossings, slope, intercept)) return g;
  g.measured = true;
  g.crossings = static_cast<int>(crossings.size());
  if (std::abs(slope - 1) > 0.01) {
    g.sentWidth = LikelySentSize(f.width / slope, kUsualWidths);
    g.sentHeight = LikelySentSize(f.height / slope, kUsualHeights);
    g.factor = std::round(1000.0 * f.width / g.sentWidth) / 1000;
    return g;
  }
  // At scale 1: the ramp's code 0 lies at intercept (a column's index is
  // its code's), the strip at its found left edge; their distance is the
  // sent width's alone, the offset moving both alike.
  // First guesses from the strip's width and the grille's foot, which the
  // layout scales with the frame, against where it puts them at the
  // capture's own size.
  const cc::StripContent& content = r.strip.content;
  const SentMarks own = MarksAt(content, f.width, f.height);
  if (own.stripWidth <= 0) return g;
  const double rampFromStrip = intercept - r.strip.left;
  const double stripWidth = r.strip.cell * cc::kStripCells;
  g.sentWidth = SentSize(f.width, f.width * stripWidth / own.stripWidth, rampFromStrip, [&](int w) {
    const SentMarks m = MarksAt(content, w, f.height);
    return static_cast<double>(m.rampLeft - m.stripLeft);
  });
  const double foot = ColumnGrilleFoot(f, r);
  const double ownSpan = own.columnGrille.y1 - own.stripTop;
  if (foot > 0 && ownSpan > 0) {
    const double span = foot - r.strip.top;
    g.sentHeight = SentSize(f.height, f.height * span / ownSpan, span, [&](int h) {
      const SentMarks m = MarksAt(content, g.sentWidth, h);
      return static_cast<double>(m.columnGrille.y1 - m.stripTop);
    });
  }
  const SentMarks at = MarksAt(content, g.sentWidth, g.sentHeight);
  g.dx = static_cast<int>(std::lround(r.strip.left - at.stripLeft));
  g.dy = r.strip.top - at.stripTop;
  CheckCorners(f, r, g);
  return g;
}

CaptureFrame PlacedAsSent(const CaptureFrame& f, const Geometry& g, const ChainReading& r) {
  CaptureFrame out = f;
  out.width = g.sentWidth;
  out.height = g.sentHeight;
  // The surround: left of the strip, on its top row.
  const int sx = std::clamp(static_cast<int>(r.strip.left) - 2, 0, f.width - 1);
  const int sy = std::clamp(r.strip.top, 0, f.height - 1);
  for (int p = 0; p < 3; ++p) {
    const int shiftX = p == 0 ? 0 : f.chromaShiftX, shiftY = p == 0 ? 0 : f.chromaShiftY;
    const int inWidth = f.PlaneWidth(p), inHeight = f.PlaneHeight(p);
    const int width = out.PlaneWidth(p), height = out.PlaneHeight(p);
    const auto& in = f.planes[static_cast<std::size_t>(p)];
    const std::uint16_t fill = in[static_cast<std::size_t>(sy >> shiftY) * inWidth + (sx >> shiftX)];
    std::vector<std::uint16_t> plane(static_cast<std::size_t>(width) * height, fill);
    const int ox = g.dx >> shiftX, oy = g.dy >> shiftY;
    for (int y = 0; y < height; ++y) {
      const int from = y + oy;
      if (from < 0 || from >= inHeight) continue;
      for (int x = 0; x < width; ++x) {
        const int fx = x + ox;
        if (fx < 0 || fx >= inWidth) continue;
        plane[static_cast<std::size_t>(y) * width + x] = in[static_cast<std::size_t>(from) * inWidth + fx];
      }
    }
    out.planes[static_cast<std::size_t>(p)] = std::move(plane);
  }
  return out;
}

bool ReadPlacedChain(const CaptureFrame& f, ChainReading& r, Geometry& g, std::string& why) {
  if (!ReadChain(f, r, why)) return false;
  g = MeasureGeometry(f, r);
  if (!g.measured || g.Scaled()) return true;
  if (g.dx == 0 && g.dy == 0 && g.sentWidth == f.width && g.sentHeight == f.height) return true;
  ChainReading placed;
  std::string placedWhy;
  if (!ReadChain(PlacedAsSent(f, g, r), placed, placedWhy)) return true;
  r = placed;
  return true;
}

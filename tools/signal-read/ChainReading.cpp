#include "tools/signal-read/ChainReading.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "signal/CodeRules.h"

namespace {

namespace cc = chaincheck;
namespace sig = veltrima::signal;

// Whether an RGB capture deeper than 10 bits holds its codes shifted (code
// x 2^(bits - 10), as a file tagged narrow range writes them) rather than
// at full scale (code x (2^bits - 1) / 1023, as a framebuffer or a
// converter that replicates bits gives them): then nearly every value away
// from 0 lies on the shift's lattice, which full-scale values almost never do.
bool HoldsShiftedCodes(const CaptureFrame& f) {
  if (f.colour != CaptureColour::Rgb || f.bits <= 10) return false;
  const unsigned step = 1u << (f.bits - 10);
  std::size_t counted = 0, onLattice = 0;
  for (const std::uint16_t v : f.planes[1]) {
    if (v == 0) continue;
    ++counted;
    if (v % step == 0) ++onLattice;
  }
  return counted > 0 && onLattice * 10 >= counted * 9;
}

// The factor from a 10-bit code to the capture's value.
double ValuesPerCode(const CaptureFrame& f, sig::Range sentRange) {
  if (f.colour == CaptureColour::Rgb)
    return HoldsShiftedCodes(f) ? std::ldexp(1.0, f.bits - 10) : f.MaxValue() / 1023.0;
  return sig::CodeAtDepth(sentRange, 1.0, f.bits) - sig::CodeAtDepth(sentRange, 0.0, f.bits);
}

double Median(std::vector<std::uint16_t>& values) {
  if (values.empty()) return 0;
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// The values of plane p over [x0, x1) x [y0, y1) (luma-sized coordinates).
std::vector<std::uint16_t> PlaneValues(const CaptureFrame& f, int p, int x0, int y0, int x1, int y1) {
  std::vector<std::uint16_t> values;
  const int shift = p == 0 ? 0 : f.chromaShiftX, shiftY = p == 0 ? 0 : f.chromaShiftY;
  const int width = f.PlaneWidth(p);
  for (int y = y0 >> shiftY; y < std::max(y1 >> shiftY, (y0 >> shiftY) + 1); ++y)
    for (int x = x0 >> shift; x < std::max((x1 >> shift), (x0 >> shift) + 1); ++x)
      values.push_back(f.planes[static_cast<std::size_t>(p)][static_cast<std::size_t>(y) * width + x]);
  return values;
}

double PlaneMedian(const CaptureFrame& f, int p, int x0, int y0, int x1, int y1) {
  std::vector<std::uint16_t> values = PlaneValues(f, p, x0, y0, x1, y1);
  return Median(values);
}

// The plane the chroma zone is read in and what one code of R' difference
// is worth there: R' itself, or Cr (R' - Y') / (2 (1 - Kr)) at constant luma.
struct ChromaPlane {
  int plane;
  double perRedCode;
};

ChromaPlane ChromaPlaneOf(const CaptureFrame& f, const cc::StripContent& sent, double perCode) {
  if (f.colour == CaptureColour::Rgb) return {0, perCode};
  const sig::LumaWeights w = sig::LumaWeightsOf(sig::MatrixOf(sent.signal.transfer));
  return {2, perCode / (2 * (1 - w.red))};
}

// The mean of plane p's samples on even minus odd columns (or rows) over a
// box (luma coordinates, the plane unsubsampled in that direction).
double ParityDifference(const CaptureFrame& f, int p, const cc::Box& box, bool columns) {
  const int width = f.PlaneWidth(p);
  const int shiftX = p == 0 ? 0 : f.chromaShiftX, shiftY = p == 0 ? 0 : f.chromaShiftY;
  double sum[2] = {0, 0};
  double count[2] = {0, 0};
  for (int y = box.y0; y < box.y1; ++y)
    for (int x = box.x0; x < box.x1; ++x) {
      const int parity = (columns ? x : y) & 1;
      const std::size_t at = static_cast<std::size_t>(y >> shiftY) * static_cast<std::size_t>(width) +
                             static_cast<std::size_t>(x >> shiftX);
      sum[parity] += f.planes[static_cast<std::size_t>(p)][at];
      count[parity] += 1;
    }
  if (count[0] == 0 || count[1] == 0) return 0;
  return sum[0] / count[0] - sum[1] / count[1];
}

// Chroma alternation and the odd edge, at the sent size only.
void ReadChromaZone(const CaptureFrame& f, const cc::Layout& layout, double perCode, ChainReading& r) {
  const ChromaPlane cp = ChromaPlaneOf(f, r.strip.content, perCode);
  cc::Box blocks[2] = {{1 << 30, 1 << 30, -1, -1}, {1 << 30, 1 << 30, -1, -1}};
  int sent[2] = {0, 0};
  const cc::Area* red = nullptr;
  const cc::Area* green = nullptr;
  for (const cc::Area& a : layout.areas) {
    if (a.part == cc::Part::ChromaEdge && a.index == 1) (red ? green : red) = &a;
    if (a.part != cc::Part::ChromaAlternation) continue;
    cc::Box& b = blocks[a.index];
    b = {std::min(b.x0, a.box.x0), std::min(b.y0, a.box.y0), std::max(b.x1, a.box.x1), std::max(b.y1, a.box.y1)};
    // Even columns (rows) hold the pair's first colour, odd ones its second.
    const int at = a.index == 0 ? a.box.x0 : a.box.y0;
    sent[a.index] += (at & 1 ? -1 : 1) * a.codes[0];
  }
  // The luma grille, one-pixel white lines on even columns (rows): where it
  // does not arrive, the capture was resized and no one-pixel alternation
  // can be judged in that direction.
  cc::Box grilles[2] = {{1 << 30, 1 << 30, -1, -1}, {1 << 30, 1 << 30, -1, -1}};
  for (const cc::Area& a : layout.areas) {
    if (a.part != cc::Part::Grille) continue;
    cc::Box& b = grilles[a.index];
    b = {std::min(b.x0, a.box.x0), std::min(b.y0, a.box.y0), std::max(b.x1, a.box.x1), std::max(b.y1, a.box.y1)};
  }
  const sig::Range range = r.strip.content.signal.range;
  const double lineSwing = (sig::WhiteCode(range) - sig::BlackCode(range)) * perCode;
  const int luma = f.colour == CaptureColour::Rgb ? 1 : 0;
  for (int i = 0; i < 2; ++i) {
    const bool columns = i == 0;
    if ((columns ? f.chromaShiftX : f.chromaShiftY) != 0 || blocks[i].x1 < 0 || grilles[i].x1 < 0) continue;
    const cc::Box g{grilles[i].x0 + 4, grilles[i].y0 + 4, grilles[i].x1 - 4, grilles[i].y1 - 4};
    if (ParityDifference(f, luma, g, columns) < 0.6 * lineSwing) continue;
    cc::Box b = blocks[i];
    // Away from the block's sides, where neighbours reach in.
    b = {b.x0 + 4, b.y0 + 4, b.x1 - 4, b.y1 - 4};
    const int count = columns ? blocks[i].Width() : blocks[i].Height();
    const double expected = 2.0 * sent[i] / std::max(count, 1) * cp.perRedCode;
    if (std::abs(expected) < 1e-9) continue;
    (columns ? r.chromaColumns : r.chromaRows) = ParityDifference(f, cp.plane, b, columns) / expected;
  }
  if (red && green && f.chromaShiftX == 0) {
    const int edge = green->box.x0, y0 = red->box.y0 + red->box.Height() / 4, y1 = red->box.y1 - red->box.Height() / 4;
    const double left = PlaneMedian(f, cp.plane, edge - 8, y0, edge - 4, y1);
    const double right = PlaneMedian(f, cp.plane, edge + 4, y0, edge + 8, y1);
    for (int x = edge - 4; x < edge + 4; ++x) {
      const double t = (PlaneMedian(f, cp.plane, x, y0, x + 1, y1) - right) / (left - right);
      r.edgeBlur += x >= edge - 3 && x < edge + 3 && t > 0.2 && t < 0.8;
      r.edgeProfile.push_back(t);
    }
  }
}

// The middle half of `area` as it lies in the capture, where neither
// scaling nor chroma filtering reaches from its neighbours: x0, y0, x1, y1,
// at least one pixel, inside the frame.
std::array<int, 4> MiddleHalf(const cc::Area& area, const ChainReading& r, const CaptureFrame& f) {
  auto mapX = [&](double x) { return static_cast<int>(std::lround(r.offsetX + r.scaleX * x)); };
  auto mapY = [&](double y) { return static_cast<int>(std::lround(r.offsetY + r.scaleY * y)); };
  const double qx = area.box.Width() / 4.0, qy = area.box.Height() / 4.0;
  const int x0 = std::clamp(mapX(area.box.x0 + qx), 0, f.width - 1);
  const int x1 = std::clamp(mapX(area.box.x1 - qx), x0 + 1, f.width);
  const int y0 = std::clamp(mapY(area.box.y0 + qy), 0, f.height - 1);
  const int y1 = std::clamp(mapY(area.box.y1 - qy), y0 + 1, f.height);
  return {x0, y0, x1, y1};
}

}  // namespace

cc::GreyImage GreyPlaneOf(const CaptureFrame& f) {
  cc::GreyImage image;
  if (f.Empty()) return image;
  image.width = f.width;
  image.height = f.height;
  image.maxValue = f.MaxValue();
  image.values = f.planes[f.colour == CaptureColour::Rgb ? 1 : 0];
  return image;
}

std::vector<StepMeasure> MeasureGreySteps(const CaptureFrame& f, const ChainReading& r) {
  const cc::Layout layout = cc::MakeLayout(r.strip.content, f.width, f.height);
  const double perCode = r.valuesPerCode;
  const bool yuv = f.colour == CaptureColour::YCbCr;
  std::vector<StepMeasure> steps;
  for (const cc::Area& a : layout.areas) {
    if (a.part != cc::Part::GreyStep) continue;
    const auto [x0, y0, x1, y1] = MiddleHalf(a, r, f);
    StepMeasure m;
    m.sent = a.codes[1];
    for (int c = 0; c < 3; ++c)
      m.received[static_cast<std::size_t>(c)] = PlaneMedian(f, yuv ? 0 : c, x0, y0, x1, y1) / perCode;
    for (const std::uint16_t v : PlaneValues(f, yuv ? 0 : 1, x0, y0, x1, y1)) m.pixels.push_back(v / perCode);
    steps.push_back(m);
  }
  return steps;
}

bool ReadChain(const CaptureFrame& f, ChainReading& r, std::string& why) {
  r = ChainReading{};
  r.codedBits = f.bits;
  r.chroma = f.chromaShiftX == 0 ? "4:4:4" : f.chromaShiftY == 0 ? "4:2:2" : "4:2:0";
  r.strip = cc::ReadStrip(GreyPlaneOf(f));
  if (r.strip.status != cc::StripReading::Status::Decoded) {
    why = r.strip.status == cc::StripReading::Status::NotFound
              ? "no Chain Check strip found"
              : "a Chain Check strip was found but its cells do not read (guards or CRC)";
    return false;
  }
  const cc::Layout layout = cc::MakeLayout(r.strip.content, f.width, f.height);
  r.scaleX = r.strip.cell / (layout.strip.Width() / static_cast<double>(cc::kStripCells));
  r.scaleY = (r.strip.bottom - r.strip.top) / static_cast<double>(layout.strip.Height());
  r.offsetX = r.strip.left - r.scaleX * layout.strip.x0;
  r.offsetY = r.strip.top - r.scaleY * layout.strip.y0;
  const double perCode = ValuesPerCode(f, r.strip.content.signal.range);
  r.valuesPerCode = perCode;
  const bool yuv = f.colour == CaptureColour::YCbCr;

  r.steps = MeasureGreySteps(f, r);

  for (const cc::Area& a : layout.areas) {
    if (a.part != cc::Part::Saturated) continue;
    const auto [x0, y0, x1, y1] = MiddleHalf(a, r, f);
    PatchMeasure m;
    m.sent = a.codes;
    for (int c = 0; c < 3; ++c) m.received[static_cast<std::size_t>(c)] = PlaneMedian(f, c, x0, y0, x1, y1) / perCode;
    (yuv ? r.codedPatches : r.patches).push_back(m);
  }

  const bool unscaled = std::abs(r.scaleX - 1) < 0.002 && std::abs(r.scaleY - 1) < 0.05 &&
                        std::abs(r.offsetX) < 0.5 && std::abs(r.offsetY) < 2;
  if (unscaled) {
    r.ramp.assign(sig::kMaxCode + 1, 0.0);
    for (const cc::Area& a : layout.areas) {
      if (a.part != cc::Part::Ramp) continue;
      const int qy = a.box.Height() / 4;
      r.ramp[static_cast<std::size_t>(a.index)] =
          PlaneMedian(f, yuv ? 0 : 1, a.box.x0, a.box.y0 + qy, a.box.x1, a.box.y1 - qy) / perCode;
    }
    ReadChromaZone(f, layout, perCode, r);
  }
  return true;
}

#include "tools/signal-read/ChainReading.h"

#include <algorithm>
#include <cmath>

#include "signal/CodeRules.h"

namespace {

namespace cc = chaincheck;
namespace sig = veltrima::signal;

// The factor from a 10-bit code to the capture's value.
double ValuesPerCode(const CaptureFrame& f, sig::Range sentRange) {
  if (f.colour == CaptureColour::Rgb) return f.MaxValue() / 1023.0;
  return sig::CodeAtDepth(sentRange, 1.0, f.bits) - sig::CodeAtDepth(sentRange, 0.0, f.bits);
}

double Median(std::vector<std::uint16_t>& values) {
  if (values.empty()) return 0;
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// The median of plane p over [x0, x1) x [y0, y1) (luma-sized coordinates).
double PlaneMedian(const CaptureFrame& f, int p, int x0, int y0, int x1, int y1) {
  std::vector<std::uint16_t> values;
  const int shift = p == 0 ? 0 : f.chromaShiftX, shiftY = p == 0 ? 0 : f.chromaShiftY;
  const int width = f.PlaneWidth(p);
  for (int y = y0 >> shiftY; y < std::max(y1 >> shiftY, (y0 >> shiftY) + 1); ++y)
    for (int x = x0 >> shift; x < std::max((x1 >> shift), (x0 >> shift) + 1); ++x)
      values.push_back(f.planes[static_cast<std::size_t>(p)][static_cast<std::size_t>(y) * width + x]);
  return Median(values);
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
  auto mapX = [&](double x) { return static_cast<int>(std::lround(r.offsetX + r.scaleX * x)); };
  auto mapY = [&](double y) { return static_cast<int>(std::lround(r.offsetY + r.scaleY * y)); };
  const bool yuv = f.colour == CaptureColour::YCbCr;

  for (const cc::Area& a : layout.areas) {
    if (a.part != cc::Part::GreyStep) continue;
    // The middle half of the step, where neither scaling nor chroma
    // filtering reaches from its neighbours.
    const double qx = a.box.Width() / 4.0, qy = a.box.Height() / 4.0;
    const int x0 = std::clamp(mapX(a.box.x0 + qx), 0, f.width - 1), x1 = std::clamp(mapX(a.box.x1 - qx), x0 + 1, f.width);
    const int y0 = std::clamp(mapY(a.box.y0 + qy), 0, f.height - 1), y1 = std::clamp(mapY(a.box.y1 - qy), y0 + 1, f.height);
    StepMeasure m;
    m.sent = a.codes[1];
    for (int c = 0; c < 3; ++c)
      m.received[static_cast<std::size_t>(c)] = PlaneMedian(f, yuv ? 0 : c, x0, y0, x1, y1) / perCode;
    r.steps.push_back(m);
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
  }
  return true;
}

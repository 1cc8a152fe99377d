#include "tools/render/ContentLight.h"

#include <algorithm>
#include <cmath>

#include "signal/CodeRules.h"

using namespace veltrima::signal;

namespace {

// A frame's word holds its code at full scale, as a framebuffer does
// (signal/FrameCodes.h): the code is full range's at 16 bits, rounded.
std::size_t CodeOfWord(std::uint16_t word) {
  return static_cast<std::size_t>(Code10FromDepth(Range::Full, word, 16));
}

}  // namespace

ContentLightMeter::ContentLightMeter(const VideoSignal& signal)
    : hlg_(signal.signal.transfer == Transfer::Hlg),
      peak_(signal.peakNits),
      weights_(LumaWeightsOf(Matrix::Bt2020)) {
  const double gamma = HlgSystemGamma(peak_);
  gammaLessOne_ = gamma - 1.0;
  for (int code = 0; code <= kMaxCode; ++code) {
    const double nits = NitsFromSignal(signal.signal.transfer,
                                       SignalFromCode(signal.signal.range, code), peak_);
    // HLG's display light of a colour depends on the scene luminance of all
    // three components (the OOTF), so its table holds scene light, which a
    // grey of that code shows as peak x light^gamma.
    table_[static_cast<std::size_t>(code)] = hlg_ ? std::pow(nits / peak_, 1.0 / gamma) : nits;
  }
}

void ContentLightMeter::AddFrame(const std::uint16_t* rgba, std::size_t pixels) {
  double brightest = 0, sum = 0;
  for (std::size_t i = 0; i < pixels; ++i) {
    const std::uint16_t* p = rgba + 4 * i;
    const double r = table_[CodeOfWord(p[0])];
    const double g = table_[CodeOfWord(p[1])];
    const double b = table_[CodeOfWord(p[2])];
    double light = std::max({r, g, b});
    if (hlg_) {
      // BT.2100's luminance of HLG scene light: BT.2020's weights.
      const double luminance = weights_.red * r + weights_.green * g + weights_.blue * b;
      light = luminance > 0 ? peak_ * std::pow(luminance, gammaLessOne_) * light : 0.0;
    }
    brightest = std::max(brightest, light);
    sum += light;
  }
  maxPixel_ = std::max(maxPixel_, brightest);
  if (pixels > 0) maxAverage_ = std::max(maxAverage_, sum / static_cast<double>(pixels));
}

ContentLight ContentLightMeter::Result() const {
  return {static_cast<unsigned>(std::lround(maxPixel_)),
          static_cast<unsigned>(std::lround(maxAverage_))};
}

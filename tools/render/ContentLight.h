// The content light level of the frames a file holds (CTA-861.3): MaxCLL,
// the brightest pixel of the whole clip, and MaxFALL, the brightest frame
// average, both in nits, where a pixel's light is that of its brightest
// component. Measured from the 16-bit frames as they are written: each word
// is read back as the 10-bit code it carries and turned into display light
// by the signal's own transfer function (signal/Signal.h), so super-white
// codes count as the signal's top (10,000 nits in PQ).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "signal/CodeRules.h"
#include "tools/render/SignalChoice.h"

struct ContentLight {
  unsigned maxCll = 0;   // nits, rounded to the nearest
  unsigned maxFall = 0;  // nits, rounded to the nearest
  bool operator==(const ContentLight& other) const {
    return maxCll == other.maxCll && maxFall == other.maxFall;
  }
};

class ContentLightMeter {
 public:
  explicit ContentLightMeter(const VideoSignal& signal);

  // One frame of straight-alpha 16-bit RGBA, `pixels` pixels; alpha is not light.
  void AddFrame(const std::uint16_t* rgba, std::size_t pixels);
  // What the frames added so far measure; zero before any.
  ContentLight Result() const;

 private:
  using CodeTable = std::array<double, 1024>;
  bool hlg_;
  double peak_;
  veltrima::signal::LumaWeights weights_;  // of HLG's scene light
  double gammaLessOne_ = 0;  // HLG's system gamma - 1
  CodeTable table_{};        // per code: nits (PQ, SDR) or scene light (HLG)
  double maxPixel_ = 0, maxAverage_ = 0;
};

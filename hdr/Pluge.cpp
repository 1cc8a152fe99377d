// BT.814-4 PLUGE at 1920 x 1080 on black 64, scaled by ReferenceGrid. Full
// range shows each narrow code as the signal's NarrowToFull does, clipped,
// so its darker-than-black parts equal black.
#include "hdr/CodeShapes.h"
#include "hdr/Patterns.h"
#include "signal/CodeRules.h"

namespace hdr {
namespace {

using veltrima::signal::Range;
using veltrima::signal::Transfer;

constexpr int kLighter = 80, kDarker = 48;

int InRange(int narrowCode, Range range) {
  return range == Range::Narrow ? narrowCode : veltrima::signal::NarrowToFull(narrowCode);
}

}  // namespace

void AddPluge(const HdrSettings& s, int width, int height, shapes::ShapeList& list) {
  const Range range = s.signal.range;
  const ReferenceGrid g(width, height);
  auto add = [&](int x0, int y0, int x1, int y1, int narrowCode) {
    list.AddRect(g.Scaled(x0, y0, x1, y1), CodeColour(Grey(InRange(narrowCode, range))));
  };
  add(0, 0, ReferenceGrid::kWidth, ReferenceGrid::kHeight, 64);
  // The higher-level box: nominal white for SDR; for PQ and HLG code 399,
  // 26.7 nits in PQ (26.6 in HLG on a 1,000-nit display), where 940 would be
  // blinding.
  add(888, 468, 1032, 612, s.signal.transfer == Transfer::Sdr ? 940 : 399);
  add(1320, 324, 1608, 468, kLighter);
  add(1320, 612, 1608, 756, kDarker);
  for (int i = 0; i < 20; ++i) {
    const int y = 345 + 20 * i;
    add(312, y, 600, y + 10, i < 10 ? kLighter : kDarker);
  }
}

}  // namespace hdr

// Nit Steps and Signal Steps: N vertical bands, band k from x = floor(kW/N)
// to floor((k+1)W/N), each a grey code with a label at its foot.
#include <algorithm>
#include <string>
#include <vector>

#include "hdr/CodeShapes.h"
#include "hdr/Patterns.h"

namespace hdr {
namespace {

namespace sig = veltrima::signal;

struct Band {
  int code;
  double nits;
};

int BandEdge(int k, int width, int count) {
  return static_cast<int>(static_cast<long long>(k) * width / count);
}

// The label's lines: light and code with their names when they fit the
// band, the bare numbers when only they do.
std::vector<std::vector<std::string>> LabelChoices(const Band& band) {
  const std::string nits = FormatNits(band.nits), code = std::to_string(band.code);
  return {{nits + " NITS", "CODE " + code}, {nits, code}};
}

void AddBands(const HdrSettings& s, int width, int height, const std::vector<Band>& bands,
              shapes::ShapeList& list) {
  const int count = static_cast<int>(bands.size());
  const int margin = std::max(1, height / 100);
  const int maxScale = std::max(1, height / 270);
  for (int k = 0; k < count; ++k) {
    const int x0 = BandEdge(k, width, count), x1 = BandEdge(k + 1, width, count);
    list.AddRect({x0, 0, x1, height}, CodeColour(Grey(bands[static_cast<std::size_t>(k)].code)));
    if (!s.labels) continue;
    for (const auto& lines : LabelChoices(bands[static_cast<std::size_t>(k)])) {
      const int scale = FittingLabelScale(lines, x1 - x0 - 2, height / 4, maxScale);
      if (scale == 0) continue;
      const LabelSize size = MeasureLabel(lines, scale);
      AddLabel(list, lines, x0 + (x1 - x0 - size.width) / 2, height - margin - size.height, scale,
               s.signal.range);
      break;
    }
  }
}

}  // namespace

void AddNitSteps(const HdrSettings& s, int width, int height, shapes::ShapeList& list) {
  std::vector<Band> bands;
  for (int k = 0; k < s.steps; ++k) {
    const double nits = static_cast<double>(k) * s.peakNits / (s.steps - 1);
    const double signal = sig::SignalFromNits(s.signal.transfer, nits, s.peakNits);
    bands.push_back({sig::CodeFromSignal(s.signal.range, signal), nits});
  }
  AddBands(s, width, height, bands, list);
}

void AddSignalSteps(const HdrSettings& s, int width, int height, shapes::ShapeList& list) {
  const int black = sig::BlackCode(s.signal.range), white = sig::WhiteCode(s.signal.range);
  std::vector<Band> bands;
  for (int k = 0; k < s.steps; ++k) {
    // round(black + k (white - black) / (N - 1)), halves up, in integers.
    const int span = s.steps - 1;
    const int code = black + (2 * k * (white - black) + span) / (2 * span);
    const double nits =
        sig::NitsFromSignal(s.signal.transfer, sig::SignalFromCode(s.signal.range, code), s.peakNits);
    bands.push_back({code, nits});
  }
  AddBands(s, width, height, bands, list);
}

}  // namespace hdr

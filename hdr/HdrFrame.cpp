// The whole frame: the chosen pattern, then the notice an 8-bit
// framebuffer gets, drawn over it at the top left.
#include <algorithm>
#include <vector>

#include "hdr/CodeShapes.h"
#include "hdr/Patterns.h"

namespace hdr {

void AddRoundedFramebufferNotice(const HdrSettings& s, int width, int height,
                                 shapes::ShapeList& list) {
  const std::vector<std::string> lines{kRoundedFramebufferNotice};
  const int margin = std::max(1, height / 100);
  const int scale = FittingLabelScale(lines, width - 2 * margin, height - 2 * margin,
                                      std::max(1, height / 270));
  AddLabel(list, lines, margin, margin, scale, s.signal.range);
}

void ComposeHdrFrame(const HdrSettings& s, int width, int height, bool rounded,
                     shapes::ShapeList& list, const NetworkPatchView* network) {
  if (width <= 0 || height <= 0) return;
  switch (s.pattern) {
    case HdrPattern::Bt2111Bars: AddBt2111Bars(s, width, height, list); break;
    case HdrPattern::Pluge: AddPluge(s, width, height, list); break;
    case HdrPattern::NitSteps: AddNitSteps(s, width, height, list); break;
    case HdrPattern::SignalSteps: AddSignalSteps(s, width, height, list); break;
    case HdrPattern::Ramp: AddRamp(s, width, height, list); break;
    case HdrPattern::Patch:
      if (network) {
        AddNetworkPatch(s, *network, width, height, list);
      } else {
        AddPatch(s, width, height, list);
      }
      break;
    case HdrPattern::ChainCheck: AddChainCheck(s, width, height, list); break;
  }
  if (rounded && s.framebufferWarning) AddRoundedFramebufferNotice(s, width, height, list);
}

}  // namespace hdr

#include "tools/render/SignalOutput.h"

#include <algorithm>
#include <string>

namespace {

std::string TransferName(const veltrima::signal::Signal& signal) {
  return signal.transfer == veltrima::signal::Transfer::Pq ? "PQ" : "HLG";
}

}  // namespace

int DepthForSignal(const std::optional<VideoSignal>& signal, int depth, bool given,
                   OutputKind output, const Codec* codec) {
  if (!signal) return depth;
  if (!given) {
    if (output == OutputKind::SingleImage || output == OutputKind::ImageSequence) depth = 16;
    if (codec) {
      const std::vector<int> depths = DepthsOf(*codec);
      if (std::find(depths.begin(), depths.end(), 10) != depths.end()) depth = 10;
    }
  }
  if (depth == 8 && IsHdr(signal->signal)) {
    const std::string what =
        output == OutputKind::RawStream ? std::string("raw frames are 8-bit")
        : given                         ? std::string("--depth 8")
                                        : "--codec " + std::string(codec->name) + " is 8-bit";
    throw UsageError(what + ": a " + TransferName(signal->signal) +
                     " signal in 8 bits bands; use --depth 10, 12 or 16 (16-bit PNG, FFV1, "
                     "ProRes, HEVC)");
  }
  return depth;
}

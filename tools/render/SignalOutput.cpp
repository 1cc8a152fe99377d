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
  const bool eightBitCodec = codec && DepthsOf(*codec).back() == 8;
  if (!given) {
    if (output == OutputKind::SingleImage || output == OutputKind::ImageSequence) depth = 16;
    if (codec) {
      // The least depth above 8 the codec offers: 10, or 16 for PNG frames.
      // An 8-bit codec's frames are read back at 16 too, and each code is
      // rounded once, to its 8 bits by the range's rule
      // (VideoSettings::codecDepth), not first by an 8-bit framebuffer.
      const std::vector<int> depths = DepthsOf(*codec);
      const auto deep = std::find_if(depths.begin(), depths.end(), [](int d) { return d > 8; });
      depth = deep != depths.end() ? *deep : 16;
    }
  }
  if ((depth == 8 || eightBitCodec) && IsHdr(signal->signal)) {
    const std::string what =
        output == OutputKind::RawStream ? std::string("raw frames are 8-bit")
        : eightBitCodec                 ? "--codec " + std::string(codec->name) + " is 8-bit"
                                        : std::string("--depth 8");
    throw UsageError(what + ": a " + TransferName(signal->signal) +
                     " signal in 8 bits bands; use --depth 10, 12 or 16 (16-bit PNG, FFV1, "
                     "ProRes, HEVC)");
  }
  return depth;
}

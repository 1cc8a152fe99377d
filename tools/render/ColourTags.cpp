#include "tools/render/ColourTags.h"

using veltrima::signal::Range;
using veltrima::signal::Transfer;

ColourTags TagsFor(const std::optional<VideoSignal>& signal, bool rgbCodec) {
  if (!signal)
    return {AVCOL_PRI_BT709, AVCOL_TRC_BT709, rgbCodec ? AVCOL_SPC_RGB : AVCOL_SPC_BT709,
            rgbCodec ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG};
  const AVColorRange range =
      signal->signal.range == Range::Narrow ? AVCOL_RANGE_MPEG : AVCOL_RANGE_JPEG;
  // H.273: matrix 0 (identity, GBR) for RGB samples, whatever the signal.
  const auto matrix = [&](AVColorSpace yuv) { return rgbCodec ? AVCOL_SPC_RGB : yuv; };
  switch (signal->signal.transfer) {
    case Transfer::Pq:
      return {AVCOL_PRI_BT2020, AVCOL_TRC_SMPTE2084, matrix(AVCOL_SPC_BT2020_NCL), range};
    case Transfer::Hlg:
      return {AVCOL_PRI_BT2020, AVCOL_TRC_ARIB_STD_B67, matrix(AVCOL_SPC_BT2020_NCL), range};
    case Transfer::Sdr:
      break;
  }
  return {AVCOL_PRI_BT709, AVCOL_TRC_BT709, matrix(AVCOL_SPC_BT709), range};
}

PngColour CicpFor(const VideoSignal& signal) {
  // FFmpeg's enumerations are H.273's code points, so the numbers are the tags'.
  const ColourTags tags = TagsFor(signal, true);
  PngColour colour;
  colour.primaries = static_cast<std::uint8_t>(tags.primaries);
  colour.transfer = static_cast<std::uint8_t>(tags.transfer);
  colour.matrix = static_cast<std::uint8_t>(tags.matrix);
  colour.fullRange = tags.range == AVCOL_RANGE_JPEG;
  return colour;
}

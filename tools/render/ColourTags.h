// What a file says its pixels hold: colour primaries, transfer, matrix and
// range, as FFmpeg's tags and as a PNG's cICP chunk. Without a signal the
// tool's files are BT.709; with one, the signal's own: PQ smpte2084 and HLG
// arib-std-b67 with bt2020 primaries and the bt2020nc matrix, SDR bt709,
// Narrow range tv and Full range pc. RGB samples (FFV1, PNG, H.264 RGB)
// carry matrix 0, "gbr" (H.273's identity), in every case.
#pragma once

extern "C" {
#include <libavutil/pixfmt.h>
}

#include <optional>

#include "imaging/PngFile.h"
#include "tools/render/SignalChoice.h"

struct ColourTags {
  AVColorPrimaries primaries;
  AVColorTransferCharacteristic transfer;
  AVColorSpace matrix;
  AVColorRange range;
};

// The tags of a signal's files. `rgbCodec`: the codec stores RGB (FFV1,
// PNG): matrix "gbr", with range pc without a signal and the signal's range
// with one.
ColourTags TagsFor(const std::optional<VideoSignal>& signal, bool rgbCodec);

// The cICP chunk of a PNG holding the signal: the same H.273 code points as
// an RGB codec's video tags (matrix 0).
PngColour CicpFor(const VideoSignal& signal);

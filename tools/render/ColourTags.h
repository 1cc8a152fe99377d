// What a file says its pixels hold: colour primaries, transfer, matrix and
// range, as FFmpeg's tags and as a PNG's cICP chunk. Without a signal the
// tool's files are BT.709; with one, the signal's own: PQ smpte2084 and HLG
// arib-std-b67 with bt2020 primaries and the bt2020nc matrix, SDR bt709,
// Narrow range tv and Full range pc.
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
// PNG); without a signal such files say matrix "gbr" and range pc, with one
// they carry the signal's matrix and range like any other.
ColourTags TagsFor(const std::optional<VideoSignal>& signal, bool rgbCodec);

// The cICP chunk of a PNG holding the signal: the same H.273 code points as
// the video tags, with matrix 0 (PNG stores RGB).
PngColour CicpFor(const VideoSignal& signal);

// What a plug-in's signal asks of the output: enough bits. PQ and HLG band
// at 8 bits, so they get 10 (video; 16 for PNG frames) or 16 (PNG files)
// unless --depth says otherwise, and --depth 8 with them is refused.
#pragma once

#include <optional>

#include "tools/render/Codec.h"
#include "tools/render/FrameOutput.h"
#include "tools/render/SignalChoice.h"

// The depth to render at: `depth` as given (`given`), else, for a plug-in
// with a signal, 16 for PNG files and a video codec's least depth above 8
// (16 for a codec of 8 bits only, written at 8). Throws
// UsageError for 8 bits of a PQ or HLG signal (or an 8-bit codec). `codec` is null unless the
// output is a video file.
int DepthForSignal(const std::optional<VideoSignal>& signal, int depth, bool given,
                   OutputKind output, const Codec* codec);

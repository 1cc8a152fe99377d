// What a plug-in's signal asks of the output: enough bits. PQ and HLG band
// at 8 bits, so they get 10 (video) or 16 (PNG) unless --depth says
// otherwise, and --depth 8 with them is refused.
#pragma once

#include <optional>

#include "tools/render/Codec.h"
#include "tools/render/FrameOutput.h"
#include "tools/render/SignalChoice.h"

// The depth to render at: `depth` as given (`given`), else, for a plug-in
// with a signal, 16 for PNG and 10 for a video codec that has it. Throws
// UsageError for 8 bits of a PQ or HLG signal. `codec` is null unless the
// output is a video file.
int DepthForSignal(const std::optional<VideoSignal>& signal, int depth, bool given,
                   OutputKind output, const Codec* codec);

// What the grey ladder says the chain did to the transfer, in the names of
// the reader's JSON vocabulary, judged before the levels so that a bent
// curve is not read as a range or depth fault, nor a range fault as a bent
// curve:
//  - clipped ("above_nits"): the ladder arrives unchanged up to a level and
//    every step above it arrives at that one level (their spread at most 3
//    codes, 6 through a lossy codec), which lies more than 4 codes below
//    where white arrives (a level at white is headroom-clipped);
//  - tone-mapped and rolled-off ("knee_nits"): unchanged up to a knee, then
//    every step lower than sent by more than 4 codes, rising (each at least
//    the one before, less 1.5 codes, 3 lossy) by more than 8 codes in all. Rolled-off
//    when the brightest step sent still arrives within 4 codes of white (or
//    above: the top stays reachable, the curve only bends into the room
//    below it), tone-mapped when it arrives lower (the peak itself lowered;
//    "peak_nits" says where);
//  - transfer-converted ("from", "to": "PQ", "HLG", "SDR"): the steps from
//    black to white, taken through the sent transfer to light and through
//    another transfer's encoding back to codes (a display peak of 100, 203,
//    1,000 nits or the strip's for HLG and SDR, on either side), lie on one
//    straight line of what they arrive as, within 4 codes at every step the
//    other transfer carries unclipped (at least 16); of several, the one
//    whose line a range setting gives.
// "Unchanged" means on the straight line through the steps from black to a
// quarter of the way to white, within 4 codes: a range change the greys
// then name stacks with any of these. The knee is the last step on it, and
// at least a quarter of the way to white. Steps that leave the line by none
// of these rules are said as unexplained, never named.
#pragma once

#include <optional>

#include "signal/Signal.h"
#include "tools/signal-read/ChainReading.h"
#include "tools/signal-read/GreyVerdict.h"

// The transfer whose curve the ladder's received codes follow: the sent one
// when they keep its curve (up to a range change, a clip or a bend above a
// knee), another when they match that transfer's encoding of the sent
// light; none when neither holds. For judging a file's transfer tag against
// the pixels.
std::optional<veltrima::signal::Transfer> TransferTheLadderFits(const ChainReading& reading);

// The grey verdict with the transfer judged first: a transfer fault is named
// and undone before JudgeGreys reads the rest (the steps a bend or clip took
// left out, and the ramp judged for depth only up to its knee; a converted
// ladder's steps put back on the sent curve, its ramp not judged), so that
// a range change or clip below black stacked with it is still named.
GreyVerdict JudgeLevels(const ChainReading& reading);

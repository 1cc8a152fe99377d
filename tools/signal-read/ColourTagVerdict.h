// Whether the file's declared transfer, primaries and matrix agree with
// what its pixels show (tags-disagree, "tag": "transfer", "primaries" or
// "matrix"; "declared" and "measured" in the reader's words: "PQ", "HLG",
// "SDR"; "BT.2020", "BT.709", "BT.601"; a tag of no family of these is
// given in FFmpeg's name and disagrees with any pixels).
//
// Evidence needed:
//  - transfer: the grey ladder's levels are explained (arrived as sent, or
//    by a range, clip or depth fault, none of which changes the curve), so
//    the pixels carry the transfer the strip says was sent; where a
//    transfer-converted fault is named, they carry its "to";
//  - primaries: in an R'G'B' capture every saturated patch arrives within
//    6 codes of its sent codes on the ladder's line, so the sent colours
//    (BT.2020 for PQ and HLG, BT.709 for SDR) are intact;
//  - matrix: in a Y'CbCr capture whose greys arrived explained, the
//    saturated patches decode to their sent codes within 12 codes by one
//    matrix alone (BT.2020 or BT.709), in the range the ladder shows.
// A file that declares nothing for a tag, or an R'G'B' file's matrix, is
// not judged.
#pragma once

#include <string>

#include "tools/capture/DeclaredTags.h"
#include "tools/signal-read/ChainReading.h"
#include "tools/signal-read/GreyVerdict.h"

// A declared tag in the reader's words (FFmpeg's name where it knows none).
std::string TransferFamily(const std::string& ffmpegName);
std::string PrimariesFamily(const std::string& ffmpegName);
std::string MatrixFamily(const std::string& ffmpegName);

void CheckDeclaredColour(const ChainReading& reading, const DeclaredTags& declared, GreyVerdict& verdict);

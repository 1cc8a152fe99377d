// The QR code's mask, chosen on bit rows: a symbol encoded once with mask 0 is
// redrawn under each of the eight masks and scored by the QR standard's four
// penalty rules, a whole row or column at a time. The encoder's own choice
// encodes and scores the symbol eight times, which took most of a SYNC
// frame's CPU time at small outputs; this picks the same mask for a fraction.
#pragma once

#include <array>
#include <optional>

#include <qrcodegen/qrcodegen.hpp>

#include "sync/QrSymbol.h"

// The largest version the bit rows hold (45 modules a side); every stamp text
// fits it. Larger symbols are left to the encoder's own choice.
constexpr int kQrFastMaxVersion = 7;

// `code` (any mask, error correction M, version at most kQrFastMaxVersion)
// redrawn under each mask, 0 to 7, with the format bits of that mask.
// Empty when the version or error correction is outside what is handled here.
std::optional<std::array<QrSymbol, 8>> RemaskQr(const qrcodegen::QrCode& code);

// The symbol under the mask with the lowest penalty score by the four rules
// (runs of five or more of a colour in a row or column, 2x2 blocks of a
// colour, finder-like 1:1:3:1:1 runs with four light units beside them, the
// margin counting as light, and the dark share's distance from half), the
// lowest-numbered mask on a tie; empty where RemaskQr is.
std::optional<QrSymbol> ChooseQrMask(const qrcodegen::QrCode& code);

// What the grey steps say a chain does to one channel's code: the sent code
// to its received value, interpolated between the steps (piecewise linear,
// beyond the first and last step along the nearest two, within the code
// range: a sent 0 or 1023 lies outside the steps). Greys carry no colour, so a fault
// that moves colours alone (a channel order, a Cb/Cr order) leaves this
// map as it was; predicting a patch through it keeps a range or transfer
// fault stacked with such a fault out of the colour test.
#pragma once

#include <array>

#include "tools/signal-read/ChainReading.h"

// Channel c's received value for sent code `code`; `code` itself when the
// reading holds no steps.
double StepMapped(const ChainReading& reading, int channel, double code);

// A patch's sent codes, each channel through its own step map.
std::array<double, 3> StepMappedCodes(const ChainReading& reading, const std::array<double, 3>& codes);

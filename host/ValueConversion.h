// Turns a parameter value exactly as a host sent it (any float: NaN, the
// infinities, values far outside the declared range) into the whole number,
// flag or fraction a plug-in's frame uses. Every conversion is defined for
// any float: NaN gives the range's minimum, values beyond the range saturate
// at its ends however large, and nothing passes through an integer type that
// could overflow.
#pragma once

// Rounded to nearest (halves away from zero), then clamped to [lo, hi].
int RoundClamped(float value, int lo, int hi);

// Rounded to nearest, saturated at the 32-bit range; NaN gives 0.
int RoundSaturated(float value);

// On when the value is above 0.5; NaN is off.
bool Flag(float value);

// Clamped to [0, 1]; NaN gives 0.
float Fraction(float value);

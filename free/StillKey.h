// What the still part of a FREE frame depends on: the converted settings,
// the output size, the texts and, for the solid pattern, the colour shown.
// Two frames with equal keys draw the same pixels everywhere outside their
// changing rectangles (FrameRegions' ChangingRects), so a picture drawn for
// one serves the other.
#pragma once

#include "free/GlyphFont.h"
#include "free/ParameterConversion.h"

struct StillKey {
  FrameParameters p;  // speed left at 0: it moves the clock, never a still pixel
  int width = 0, height = 0;
  int solidIndex = -1;  // -1 unless the pattern is the solid colour
  EncodedTexts texts;
};

StillKey MakeStillKey(const FrameParameters& p, int solidIndex, const EncodedTexts& texts,
                      int width, int height);

// Equal when every field holds the same bits (a NaN equals itself).
bool SameStill(const StillKey& a, const StillKey& b);

// Equal settings, whatever the output size, the texts or the colour shown:
// the keys of two frames a host's change of parameter lies between differ
// here, those of a colour step of the solid cycle do not.
bool SameSettings(const StillKey& a, const StillKey& b);

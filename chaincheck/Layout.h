// Where everything of a Chain Check frame lies and which codes it carries:
// the one home that the HDR plug-in draws from and the reader measures by.
// Geometry is given on a 1920 x 1080 output and placed on a width x height
// one at round(e · width / 1920) and round(e · height / 1080), except what
// is made of single pixels (the ramp's columns, the chroma zone's and the
// grille's alternations, the corner marks), which lies on output pixels
// whatever the size. Everything sits on black of the range; the frame works
// at 1920 x 1080, 3840 x 2160 and any output of 1280 x 720 or more.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "chaincheck/StripFormat.h"
#include "signal/Signal.h"

namespace chaincheck {

using Codes = std::array<int, 3>;  // R', G', B' as 10-bit codes

// [x0, x1) x [y0, y1) in output pixels.
struct Box {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  int Width() const { return x1 - x0; }
  int Height() const { return y1 - y0; }
};

enum class Part {
  Corner,             // 1-pixel white marks along the edges at the corners
  StripCell,          // index: the cell, 0-57
  GreyStep,           // index: the step, left to right, top row first
  Ramp,               // index: the code, one output column each
  Saturated,          // index: into SaturatedPatches()
  ChromaEdge,         // a colour edge at an even (index 0) or odd (1) column
  ChromaAlternation,  // index 0: columns alternate, 1: rows alternate
  Grille,             // index 0: white columns, 1: white rows
};

struct Area {
  Part part;
  int index = 0;
  Box box;
  Codes codes{};
};

struct Layout {
  // In draw order, later over earlier, on `background`.
  std::vector<Area> areas;
  Codes background{};
  Box strip;        // the strip's cells, all 58
  Box stripLabel;   // room for people's text beside the strip
  Box titleLabel;   // room for people's text at the foot
};

// The frame for what the strip says (its signal, peak and counter).
Layout MakeLayout(const StripContent& content, int width, int height);

// The strip alone: `strip` and its white cells, nothing else (what changes
// from one frame to the next).
Layout MakeStripLayout(const StripContent& content, int width, int height);

// The grey steps' codes, darkest first: below black (narrow: 4 to 63),
// black, a ladder of 64 equal steps to white, above white (narrow: 941 to
// 1019). Full range has no codes outside black and white, so its ends
// are dense instead.
std::vector<int> GreyStepCodes(veltrima::signal::Range range);

// The saturated patches, in order: BT.2020 red, green, blue, cyan, magenta,
// yellow at 100 % and then at 75 % of the signal; then the same BT.709
// colours carried in BT.2020 (converted in linear light, BT.2087), at
// 100 % and 75 %.
struct SaturatedPatch {
  std::string name;  // e.g. "R 100", "Y709 75"
  Codes codes;
};
std::vector<SaturatedPatch> SaturatedPatches(const veltrima::signal::Signal& signal, int peakNits);

// A BT.709 colour whose channels are on (`level`, a code) or off (black),
// carried in BT.2020: converted in the signal's linear light by BT.2087.
Codes Bt709ColourInBt2020(const veltrima::signal::Signal& signal, int peakNits, int level,
                          bool red, bool green, bool blue);

// Any R'G'B' codes taken as BT.709 and carried into BT.2020 the same way,
// unrounded (E' clamped to 0-1 on the way in): what a stage that converts
// BT.709 to BT.2020 does to a colour that already was BT.2020.
std::array<double, 3> Bt709CodesInBt2020(const veltrima::signal::Signal& signal, int peakNits,
                                         const std::array<double, 3>& codes);

// The two colours the chroma zone alternates: the same luma (by the
// signal's matrix, to within rounding) with Cb and Cr of opposite signs.
std::array<Codes, 2> ChromaOpposedPair(const veltrima::signal::Signal& signal);

}  // namespace chaincheck

// FigureBands: a FigureList cut into horizontal bands of the output, so that
// a picture can be drawn a band per frame, each band clipped to its rows
// (a scissor) and drawing only the figures that reach into them, in the
// list's order. Every pixel of a band then gets exactly the figures, in the
// same order, that a draw of the whole list gives it, so a picture drawn
// band by band equals one drawn whole. CPU only, no GL: made when the
// figures are composed, outside the frame.
//
// A band's rows are chosen so that its work (the pixels its figures cover
// inside it, and a set-up cost for each figure) stays within a budget: on a
// software renderer, about what one copy of the output costs.
#pragma once

#include <cstddef>
#include <vector>

#include "shapes/FigureList.h"

namespace shapes {

struct FigureBand {
  int top = 0, bottom = 0;  // output rows [top, bottom), counted from the top
  std::size_t first = 0, count = 0;  // its figures in the banded list
};

struct BandedFigures {
  // Each band's figures one after the other; a figure that reaches into
  // several bands is held once for each.
  FigureList figures;
  // Top to bottom, together covering every row of the output.
  std::vector<FigureBand> bands;
};

// What a pixel's share of a band costs against a figure's set-up, in pixels
// of figure area: on llvmpipe a figure's two triangles cost about as much to
// set up as shading this many pixels.
constexpr double kFigureSetupPixels = 400.0;

// Cuts `list`, drawn on an output of width x height, into bands whose work
// each stays within `budgetPixels` (pixels covered plus kFigureSetupPixels
// per figure); a row whose own work is larger is a band alone. A list of no
// more than `wholeBelow` figures is one band of the whole output, unless its
// work passes 16 budgets (a plate the output's size, say). With
// `aimBands` above 0 the budget grows where the work would need more than
// that many bands, so that a picture takes about that many frames at most
// (the greedy cut may give up to twice as many).
BandedFigures CutIntoBands(const FigureList& list, int width, int height, double budgetPixels,
                           std::size_t wholeBelow = 0, std::size_t aimBands = 0);

}  // namespace shapes

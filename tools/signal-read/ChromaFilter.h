// Which filter a chroma subsampling used, from the profile of a colour edge
// at an odd column (ChainReading::edgeProfile: 1 where the left colour
// arrives, 0 the right's), where 4:2:2 and 4:2:0 must mix the two sides:
//  - "dropped": no column between the sides (chroma taken from one of
//    each pair of columns);
//  - "bicubic": the profile overshoots a side by 3 % of the edge's swing
//    or more (the negative lobes of a cubic or longer kernel);
//  - "averaged": a blur in which two neighbouring columns between the
//    sides do not fall from left to right by more than 0.06 (one chroma
//    value shared by the pair across the edge: a box average; in R'G'B'
//    the pair's own luma still tells them apart, and may lift the right);
//  - "bilinear": a monotone blur whose columns each hold their own mix
//    (a triangle filter interpolates between chroma samples).
#pragma once

#include <string>
#include <vector>

std::string ChromaFilterOf(const std::vector<double>& edgeProfile);

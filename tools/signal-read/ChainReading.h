// What a capture of a Chain Check frame holds: the strip (what was sent),
// then every grey step's median and, where the capture is at the size it
// was sent, the ramp's codes column by column, all as 10-bit codes of the
// capture's own values (no rounding of ours).
//
// Values become codes by the container's rule: R'G'B' as v · 1023 / max
// (the rule every HDR pixel is written by), Y' by the sent range's depth
// rule (signal/CodeRules.h: narrow scaled by 2^(bits - 10), full by
// (2^bits - 1) / 1023). A grey's Y' is its R', G' and B'.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "chaincheck/Layout.h"
#include "chaincheck/StripReader.h"
#include "tools/capture/CaptureFrame.h"

struct StepMeasure {
  int sent = 0;                      // the grey code sent
  std::array<double, 3> received{};  // R', G', B' medians as 10-bit codes
  // Every G' (Y') value the median is taken of, as 10-bit codes: a
  // dithered stage shows in how they spread.
  std::vector<double> pixels;
};

struct PatchMeasure {
  chaincheck::Codes sent{};          // R', G', B' codes sent
  std::array<double, 3> received{};  // their medians as 10-bit codes
};

struct ChainReading {
  chaincheck::StripReading strip;
  std::vector<StepMeasure> steps;
  // The grey steps of later frames, at the same places, measured only
  // where the first frame's steps spread over the 8-bit lattice: whether
  // a dither's pattern moves from frame to frame.
  std::vector<std::vector<StepMeasure>> laterSteps;
  // The saturated patches, R'G'B' captures only (a Y'CbCr capture would
  // need a matrix of ours to compare).
  std::vector<PatchMeasure> patches;
  // Of a Y'CbCr capture: the patches' Y', Cb and Cr medians as coded, as
  // 10-bit codes (Cb and Cr about 512), which a matrix is judged by.
  std::vector<PatchMeasure> codedPatches;
  // received[c] for ramp code c (0-1023); empty when the capture was scaled
  // or shifted, which leaves no column of one code.
  std::vector<double> ramp;
  // The brightest ramp code judged for depth: a transfer bent above a knee
  // leaves the codes above it off their line whatever the depth.
  int rampLast = 1023;
  // How the capture was coded: its depth and chroma ("4:4:4", "4:2:2",
  // "4:2:0"; R'G'B' is 4:4:4).
  int codedBits = 0;
  std::string chroma;
  // Through a codec that may lose detail: the steps' medians still hold,
  // but a ramp that arrives neither intact nor by an 8-bit rule says
  // nothing (bits unknown), since compression alone moves its columns.
  bool compressed = false;
  // The chroma zone at the sent size, in the capture's own chroma (R' of
  // R'G'B', Cr of Y'CbCr): how much of the sent column (row) alternation
  // arrives, 1 intact, 0 gone; -1 where not measured (a direction the
  // capture's own coding subsamples, or where the one-pixel luma grille
  // does not arrive either: a resized capture). And how many columns
  // of the edge at an odd column arrive between its two sides (0 where
  // chroma was dropped or kept, more where a filter mixed neighbours).
  double chromaColumns = -1, chromaRows = -1;
  int edgeBlur = 0;
  // The odd edge's profile, columns edge - 4 to edge + 3: 1 where the
  // left side's value arrives, 0 the right side's (a filter with negative
  // lobes goes beyond); empty where not measured.
  std::vector<double> edgeProfile;
  // Where the layout was found: capture x = scale · layout x + offset.
  double scaleX = 1, scaleY = 1, offsetX = 0, offsetY = 0;
  // The capture's values per 10-bit code of the grey plane.
  double valuesPerCode = 1;
};

// The grey plane a strip is looked for in: G' of R'G'B', Y' of Y'CbCr.
chaincheck::GreyImage GreyPlaneOf(const CaptureFrame& frame);

// The grey steps of a frame laid out as `placed` was read: their medians
// and their pixels.
std::vector<StepMeasure> MeasureGreySteps(const CaptureFrame& frame, const ChainReading& placed);

// Reads the frame; false with `why` when no strip is found.
bool ReadChain(const CaptureFrame& frame, ChainReading& reading, std::string& why);

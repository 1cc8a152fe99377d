// Where the sent frame lies in a capture: the factor it was resized by, the
// whole pixels it was moved by, and whether part of it is missing at an
// edge. Stages, each from a part of the Chain Check frame made for it:
//  1. factor: the ramp, one code per sent column, crosses each grey step's
//     received level where that step's code lies; a line through those
//     crossings gives capture pixels per sent pixel (levels a chain moved
//     move the steps alike, so a range or transfer fault does not bend it);
//  2. sent size: resized, the whole frame is taken to have arrived (the
//     strip and steps scale with the frame and cannot tell); at its own
//     scale, the distance from the strip's left edge to the ramp (a fixed
//     1024 columns centred, against the strip's share of the width) gives
//     the sent width, and the strip's top to the foot of the column grille
//     the sent height;
//  3. offset: the strip's found corner less where that size puts it;
//  4. corner marks: each one-pixel mark that the offset puts inside the
//     capture must be there.
// A resized capture is judged for its factor alone (its offset and edges
// are not measured).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "tools/capture/CaptureFrame.h"
#include "tools/signal-read/ChainReading.h"

struct Geometry {
  bool measured = false;    // the ramp gave a factor
  double factor = 1;        // capture pixels per sent pixel
  int sentWidth = 0, sentHeight = 0;
  int dx = 0, dy = 0;       // capture = factor · sent + offset (at scale 1)
  int crossings = 0;        // ramp crossings the factor rests on
  // Corner marks inside the capture that did not arrive, by name
  // ("top left", ...).
  std::vector<std::string> missingCorners;
  bool Scaled() const { return measured && factor != 1; }
  bool Smaller(int width, int height) const { return sentWidth > width || sentHeight > height; }
};

// Stages 1-4 from a capture and its reading at the capture's size.
Geometry MeasureGeometry(const CaptureFrame& frame, const ChainReading& reading);

// The capture as the sent frame at scale 1: moved back by the offset and cut
// or widened to the sent size, what lies outside the capture filled with the
// strip's surround. A subsampled plane moves by the offset over its step.
CaptureFrame PlacedAsSent(const CaptureFrame& frame, const Geometry& geometry, const ChainReading& reading);

// Reads the capture (ReadChain) and measures where the frame lies; a frame
// moved or cut at scale 1 is put back where it was sent and read again, so
// that its ramp and chroma zone are read column for column.
bool ReadPlacedChain(const CaptureFrame& frame, ChainReading& reading, Geometry& geometry, std::string& why);

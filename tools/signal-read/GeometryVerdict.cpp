#include "tools/signal-read/GeometryVerdict.h"

#include <cstdio>
#include <string>

namespace {

std::string Size(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }

}  // namespace

void CheckGeometry(const Geometry& g, int captureWidth, int captureHeight, GreyVerdict& v) {
  if (!g.measured) return;
  if (g.Scaled()) {
    Fault f;
    f.name = "scaled";
    char factor[32];
    std::snprintf(factor, sizeof factor, "%.3g", g.factor);
    f.evidence = "the ramp, one code per sent column, crosses " + std::to_string(g.crossings) +
                 " grey levels at " + factor + " capture columns per code: the frame arrives resized by " + factor +
                 " (" + Size(g.sentWidth, g.sentHeight) + " sent as " + Size(captureWidth, captureHeight) + ")";
    f.advice = "a stage resizes the picture (an output resolution, a scaler, the capture format): set every "
               "stage to the sent size with pixels mapped one to one";
    f.numbers = {{"factor", g.factor}};
    v.faults.push_back(f);
    return;
  }
  if (g.dx != 0 || g.dy != 0) {
    Fault f;
    f.name = "shifted";
    f.evidence = "the strip and the ramp lie " + std::to_string(g.dx) + " pixels across and " + std::to_string(g.dy) +
                 " down from where the sent size puts them: the picture arrives moved";
    f.advice = "a stage places the picture off its origin (an output or canvas offset, a capture window): set its "
               "position to 0, 0";
    f.numbers = {{"pixels", {g.dx, g.dy}}};
    v.faults.push_back(f);
  }
  const bool smaller = g.Smaller(captureWidth, captureHeight);
  if (!smaller && g.missingCorners.empty()) return;
  Fault f;
  f.name = "cropped";
  std::string corners;
  for (const std::string& c : g.missingCorners) corners += (corners.empty() ? "" : ", ") + c;
  f.evidence = smaller ? "the capture is " + Size(captureWidth, captureHeight) + " at the frame's own scale, sent as " +
                             Size(g.sentWidth, g.sentHeight)
                       : "";
  if (!corners.empty())
    f.evidence += (f.evidence.empty() ? "" : "; ") + std::string("the corner marks at the ") + corners +
                  " do not arrive";
  f.evidence += ": part of the picture is cut off at an edge";
  f.advice = "a stage cuts the picture (overscan, a crop, a window or canvas smaller than the output): turn "
             "overscan off and show the whole output";
  v.faults.push_back(f);
}

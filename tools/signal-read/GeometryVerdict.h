// Whether the frame arrived at the size and place it was sent (scaled,
// "factor"; shifted, "pixels": [dx, dy]; cropped), from GeometryReading.
// Evidence needed: scaled, a ramp slope of at least 8 crossings that lie on
// one line and differ from one capture pixel per code by more than 1 %;
// shifted, the strip found whole pixels away from where the sent size puts
// it, at scale 1; cropped, a capture smaller than the sent size at scale 1,
// or a corner mark that the offset keeps inside the capture and that does
// not arrive (marks moved out by a shift are that shift's).
#pragma once

#include "tools/signal-read/GeometryReading.h"
#include "tools/signal-read/GreyVerdict.h"

void CheckGeometry(const Geometry& geometry, int captureWidth, int captureHeight, GreyVerdict& verdict);

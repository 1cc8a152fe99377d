// The HDR metadata of a file: the mastering display (SMPTE ST 2086: BT.2020
// primaries, D65 white, 0.0001 nits to the signal's "Peak nits") and the
// content light level measured from its frames. The container gets both as
// stream side data; libx265 writes them into the bitstream's SEI, and takes
// them only as x265-params at encoder open.
#pragma once

#include <string>

#include "tools/render/ContentLight.h"

struct AVStream;

// Attaches the mastering display and the content light level to the stream
// (before the container's header is written). Throws std::runtime_error
// when out of memory.
void AttachHdrSideData(AVStream* stream, double peakNits, const ContentLight& light);

// The same as libx265's "master-display" and "max-cll" parameters, joined
// with ':' as x265-params takes them.
std::string X265HdrParams(double peakNits, const ContentLight& light);

// What a capture file says about its own pixels, beside what they show: the
// colour tags as the container or the stream declares them, in FFmpeg's
// names ("tv", "smpte2084", "bt2020", "bt2020nc", "left"), empty where the
// file leaves a tag unspecified. The range is also given in our words.
#pragma once

#include <string>

struct DeclaredTags {
  std::string codec;        // "ffv1", "prores", "hevc"; empty for PNG and raw
  std::string pixelFormat;  // as coded: "yuv420p10le", "gbrp10le"
  // Whether the codec may lose detail (FFmpeg's own word for it: H.264,
  // HEVC, ProRes; not FFV1, v210, PNG or raw frames).
  bool lossyCodec = false;
  std::string range;        // "narrow" or "full"; empty when unspecified
  std::string transfer, primaries, matrix, chromaLocation;
  // HDR metadata, 0 where absent: the mastering display's peak and the
  // content's maximum light level, in nits.
  double masteringPeakNits = 0;
  int maxContentLight = 0;
  // Video files only, 0 where the file does not say: the frame rate, the
  // number of frames the container lists (a file cut short decodes fewer),
  // and the turn clockwise (0, 90, 180 or 270 degrees) that shows its
  // frames upright, from the display matrix a phone writes when held turned.
  double framesPerSecond = 0;
  long long listedFrames = 0;
  int clockwiseDegrees = 0;
};

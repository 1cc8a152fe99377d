#include "tools/capture/FrameLimits.h"

bool FrameSizeAccepted(std::int64_t width, std::int64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxFrameSide && height <= kMaxFrameSide &&
         width * height <= kMaxFramePixels;
}

#include "tools/render/RepeatCheck.h"

#include <cstring>

RepeatCheck::RepeatCheck(std::size_t rowBytes, int height)
    : rowBytes_(rowBytes), height_(height), last_(rowBytes * static_cast<std::size_t>(height)) {}

bool RepeatCheck::Repeats(const std::uint8_t* top, std::ptrdiff_t stride) {
  int y = 0;
  if (kept_)
    while (y < height_ && std::memcmp(top + stride * y, &last_[rowBytes_ * static_cast<std::size_t>(y)],
                                      rowBytes_) == 0)
      ++y;
  if (kept_ && y == height_) return true;
  // The rows above the first that differs are already kept.
  for (; y < height_; ++y)
    std::memcpy(&last_[rowBytes_ * static_cast<std::size_t>(y)], top + stride * y, rowBytes_);
  kept_ = true;
  return false;
}

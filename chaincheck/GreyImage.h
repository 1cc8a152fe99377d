// A frame as the Chain Check strip reader sees it: one grey (luma) value per
// pixel at the capture's own depth, rows top-down. The reader thresholds
// relative to levels it measures, so the depth only bounds the values.
#pragma once

#include <cstdint>
#include <vector>

namespace chaincheck {

struct GreyImage {
  int width = 0, height = 0;
  int maxValue = 1023;                // 255 for 8 bits, 65535 for 16
  std::vector<std::uint16_t> values;  // width * height

  std::uint16_t At(int x, int y) const {
    return values[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
  // Whether the values cover width x height (a reader refuses one that
  // does not rather than read past it).
  bool Valid() const;
};

}  // namespace chaincheck

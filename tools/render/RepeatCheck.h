// Whether a frame handed to a video file holds the same bytes as the one
// before it. Most test patterns hold still, and a still frame then costs the
// file one comparison instead of a conversion into the codec's format: the
// picture converted last time is sent to the encoder again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class RepeatCheck {
 public:
  // Frames of `height` rows of `rowBytes` bytes each.
  RepeatCheck(std::size_t rowBytes, int height);

  // True when the rows from `top` (`stride` bytes apart, negative for a
  // frame stored bottom-up) equal the last frame's; otherwise keeps a copy of
  // them for the next call and answers false. The first frame never repeats.
  bool Repeats(const std::uint8_t* top, std::ptrdiff_t stride);

 private:
  std::size_t rowBytes_;
  int height_;
  std::vector<std::uint8_t> last_;
  bool kept_ = false;
};

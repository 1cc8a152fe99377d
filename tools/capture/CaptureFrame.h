// A captured frame as it was coded, at its own depth: three planes of R', G',
// B' or of Y', Cb, Cr, no conversion of ours in between, so that nothing a
// reader reports can have been added by the reading.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

enum class CaptureColour { Rgb, YCbCr };

struct CaptureFrame {
  int width = 0, height = 0;
  int bits = 8;  // of every sample: 8 to 16
  CaptureColour colour = CaptureColour::Rgb;
  // Chroma planes' subsampling as shifts: 0, 0 for 4:4:4; 1, 0 for 4:2:2
  // (planes 1 and 2 are then (width + 1) / 2 wide); 1, 1 for 4:2:0 (and
  // (height + 1) / 2 high). RGB is always 0, 0.
  int chromaShiftX = 0, chromaShiftY = 0;
  // R', G', B' or Y', Cb, Cr; rows top-down.
  std::array<std::vector<std::uint16_t>, 3> planes;

  int PlaneWidth(int plane) const {
    return plane == 0 ? width : (width + (1 << chromaShiftX) - 1) >> chromaShiftX;
  }
  int PlaneHeight(int plane) const {
    return plane == 0 ? height : (height + (1 << chromaShiftY) - 1) >> chromaShiftY;
  }
  bool Empty() const { return planes[0].empty(); }
  int MaxValue() const { return (1 << bits) - 1; }
};

// Frames drawn on the CPU the way a SYNC frame carries its codes, then put
// through what a capture does to them: scaling by any factor, a slight
// rotation, a little cropping, noise. Grey levels are floats 0..1 until the
// frame is handed to the reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/sync-read/LumaImage.h"

struct GreyImage {
  int width = 0, height = 0;
  std::vector<float> value;  // rows top-down
  float& At(int x, int y) {
    return value[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                 static_cast<std::size_t>(x)];
  }
  float At(int x, int y) const {
    return value[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                 static_cast<std::size_t>(x)];
  }
};

GreyImage Blank(int width, int height, float level);
void FillRect(GreyImage& image, int x, int y, int width, int height, float level);
// Scattered bright and dark rectangles, bars and one-cell-like squares above
// the strip's band, so that the search meets things that are almost guards.
void Clutter(GreyImage& image, unsigned seed);
// The strip of `word` in cells of `cellSize` pixels, placed as the plug-in
// places it (framestamp's geometry), white 1 on a black band.
void DrawStrip(GreyImage& image, std::uint64_t word, int cellSize);
// A QR code of `text` (zxing-cpp's writer, quiet zone 4 modules) with
// modules of `module` pixels, its top-left corner at (x, y).
void DrawQr(GreyImage& image, const std::string& text, int module, int x, int y);

// The image seen through a camera: scaled by `scale` and rotated by
// `degrees` about its centre (bilinear), into width x height.
GreyImage Transform(const GreyImage& image, double scale, double degrees, int width, int height);
GreyImage Scaled(const GreyImage& image, double scale);
GreyImage Cropped(const GreyImage& image, int left, int top, int right, int bottom);
void AddNoise(GreyImage& image, double sigma, unsigned seed);

std::vector<std::uint8_t> ToRgba8(const GreyImage& image);
LumaImage ToLuma(const GreyImage& image);

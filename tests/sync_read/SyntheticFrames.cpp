#include "tests/sync_read/SyntheticFrames.h"

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "framestamp/StampCode.h"

GreyImage Blank(int width, int height, float level) {
  GreyImage image;
  image.width = width;
  image.height = height;
  image.value.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), level);
  return image;
}

void FillRect(GreyImage& image, int x, int y, int width, int height, float level) {
  for (int row = std::max(0, y); row < std::min(image.height, y + height); ++row)
    for (int col = std::max(0, x); col < std::min(image.width, x + width); ++col)
      image.At(col, row) = level;
}

void Clutter(GreyImage& image, unsigned seed) {
  std::mt19937 random(seed);
  const int limit = image.height * 2 / 3;  // leaves the bottom third to the strip
  const auto pick = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, std::max(low, high))(random);
  };
  for (int i = 0; i < 60; ++i) {
    const int size = pick(2, 40);
    FillRect(image, pick(0, image.width), pick(0, limit - size), size * pick(1, 4), size,
             i % 2 ? 1.0f : 0.0f);
  }
}

void DrawStrip(GreyImage& image, std::uint64_t word, int cellSize) {
  const StripRect band = StripBand(cellSize, image.height);
  FillRect(image, band.x, band.y, band.width, band.height, 0.0f);
  for (int i = 0; i < kStripCells; ++i) {
    const StripRect cell = StripCell(cellSize, image.height, i);
    FillRect(image, cell.x, cell.y, cell.width, cell.height,
             StripCellIsWhite(word, i) ? 1.0f : 0.0f);
  }
}

void DrawQr(GreyImage& image, const std::string& text, int module, int x, int y) {
  const ZXing::BitMatrix code =
      ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode).setMargin(4).encode(text, 1, 1);
  for (int row = 0; row < code.height(); ++row)
    for (int col = 0; col < code.width(); ++col)
      FillRect(image, x + col * module, y + row * module, module, module,
               code.get(col, row) ? 0.0f : 1.0f);
}

GreyImage Transform(const GreyImage& image, double scale, double degrees, int width,
                    int height) {
  GreyImage out = Blank(width, height, 0.0f);
  const double angle = degrees * 3.14159265358979323846 / 180;
  const double c = std::cos(angle), s = std::sin(angle);
  const double inX = image.width / 2.0, inY = image.height / 2.0;
  const double outX = width / 2.0, outY = height / 2.0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      // Pixel centre back into the source, then bilinear between centres.
      const double dx = (x + 0.5 - outX) / scale, dy = (y + 0.5 - outY) / scale;
      const double sx = c * dx + s * dy + inX - 0.5, sy = -s * dx + c * dy + inY - 0.5;
      const int x0 = static_cast<int>(std::floor(sx)), y0 = static_cast<int>(std::floor(sy));
      const double fx = sx - x0, fy = sy - y0;
      const auto at = [&](int px, int py) {
        return static_cast<double>(image.At(std::clamp(px, 0, image.width - 1),
                                            std::clamp(py, 0, image.height - 1)));
      };
      const double top = at(x0, y0) * (1 - fx) + at(x0 + 1, y0) * fx;
      const double bottom = at(x0, y0 + 1) * (1 - fx) + at(x0 + 1, y0 + 1) * fx;
      out.At(x, y) = static_cast<float>(top * (1 - fy) + bottom * fy);
    }
  return out;
}

GreyImage Scaled(const GreyImage& image, double scale) {
  return Transform(image, scale, 0.0, static_cast<int>(std::lround(image.width * scale)),
                   static_cast<int>(std::lround(image.height * scale)));
}

GreyImage Cropped(const GreyImage& image, int left, int top, int right, int bottom) {
  GreyImage out = Blank(image.width - left - right, image.height - top - bottom, 0.0f);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) out.At(x, y) = image.At(x + left, y + top);
  return out;
}

void AddNoise(GreyImage& image, double sigma, unsigned seed) {
  std::mt19937 random(seed);
  std::normal_distribution<float> noise(0.0f, static_cast<float>(sigma));
  for (float& v : image.value) v = std::clamp(v + noise(random), 0.0f, 1.0f);
}

std::vector<std::uint8_t> ToRgba8(const GreyImage& image) {
  std::vector<std::uint8_t> rgba(image.value.size() * 4);
  for (std::size_t i = 0; i < image.value.size(); ++i) {
    const auto v = static_cast<std::uint8_t>(std::lround(std::clamp(image.value[i], 0.0f, 1.0f) * 255));
    rgba[4 * i] = rgba[4 * i + 1] = rgba[4 * i + 2] = v;
    rgba[4 * i + 3] = 255;
  }
  return rgba;
}

LumaImage ToLuma(const GreyImage& image) {
  const auto rgba = ToRgba8(image);
  return LumaFromRgba8(rgba.data(), image.width, image.height);
}

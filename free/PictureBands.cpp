#include "free/PictureBands.h"

#include <algorithm>

int PictureBandCount(int width, int height, long long bandPixels) {
  if (width <= 0 || height <= 0 || bandPixels < 1) return 1;
  const long long pixels = static_cast<long long>(width) * height;
  if (pixels <= 4 * bandPixels) return 1;
  const long long bands = (pixels + bandPixels - 1) / bandPixels;
  return static_cast<int>(std::min<long long>(bands, height));
}

RowSpan PictureBand(int height, int count, int index) {
  const auto row = [height, count](int k) {
    return static_cast<int>(static_cast<long long>(height) * k / count);
  };
  return RowSpan{row(index), row(index + 1)};
}

std::vector<PixelRect> PiecesInRows(const std::vector<PixelRect>& pieces, RowSpan rows) {
  std::vector<PixelRect> inside;
  for (PixelRect piece : pieces) {
    piece.y0 = std::max(piece.y0, rows.top);
    piece.y1 = std::min(piece.y1, rows.bottom);
    if (piece.y0 < piece.y1) inside.push_back(piece);
  }
  return inside;
}

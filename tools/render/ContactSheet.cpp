#include "tools/render/ContactSheet.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "free/GlyphFont.h"

namespace {

constexpr int kMaxTileWidth = 480;
constexpr int kMaxColumns = 5;
constexpr int kMargin = 12;
constexpr int kCaptionScale = 2;
constexpr int kCaptionHeight = 7 * kCaptionScale + 10;
constexpr std::uint8_t kBackground[4] = {24, 24, 28, 255};
constexpr std::uint8_t kInk[4] = {235, 235, 235, 255};

// The caption font is the shared one (glyphs/GlyphTable.h): the plug-in's
// glyphs, which its encoder picks, and the table's slash, which preset names
// use and the plug-in's encoder does not know.
// Captions are written in capitals, except the x of a size such as
// 176x176, which keeps the font's small x as the plug-in writes it.
const char* CaptionGlyph(const std::string& text, std::size_t i) {
  const char c = text[i];
  if (c == '/') return GlyphBitmap(kGlyphSlash);
  const auto isDigit = [&](std::size_t at) {
    return at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]));
  };
  const bool sizeSeparator = c == 'x' && i > 0 && isDigit(i - 1) && isDigit(i + 1);
  const char shown =
      sizeSeparator ? c : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::int32_t glyph = kGlyphBlank;
  EncodeText(std::string_view(&shown, 1), &glyph);
  return GlyphBitmap(glyph);
}

}  // namespace

ContactSheet::ContactSheet(int frameWidth, int frameHeight, int tileCount)
    : frameWidth_(frameWidth), frameHeight_(frameHeight) {
  factor_ = std::max(1, (frameWidth + kMaxTileWidth - 1) / kMaxTileWidth);
  tileWidth_ = std::max(1, frameWidth / factor_);
  tileHeight_ = std::max(1, frameHeight / factor_);
  columns_ = std::max(1, std::min(kMaxColumns, tileCount));
  const int rows = (tileCount + columns_ - 1) / columns_;
  width_ = columns_ * tileWidth_ + (columns_ + 1) * kMargin;
  height_ = rows * (tileHeight_ + kCaptionHeight) + (rows + 1) * kMargin;
  pixels_.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4);
  FillRect(0, 0, width_, height_, kBackground);
}

void ContactSheet::Add(int index, const std::vector<std::uint8_t>& rgba,
                       const std::string& caption) {
  const int left = kMargin + (index % columns_) * (tileWidth_ + kMargin);
  const int top = kMargin + (index / columns_) * (tileHeight_ + kCaptionHeight + kMargin);
  // Box filter over factor x factor blocks, composited over black.
  for (int ty = 0; ty < tileHeight_; ++ty)
    for (int tx = 0; tx < tileWidth_; ++tx) {
      unsigned sum[3] = {0, 0, 0};
      for (int dy = 0; dy < factor_; ++dy)
        for (int dx = 0; dx < factor_; ++dx) {
          const std::size_t at =
              (static_cast<std::size_t>(ty * factor_ + dy) * frameWidth_ + tx * factor_ + dx) * 4;
          for (int c = 0; c < 3; ++c) sum[c] += rgba[at + c] * rgba[at + 3] / 255u;
        }
      const std::size_t out = (static_cast<std::size_t>(top + ty) * width_ + left + tx) * 4;
      const unsigned count = static_cast<unsigned>(factor_ * factor_);
      for (int c = 0; c < 3; ++c) pixels_[out + c] = static_cast<std::uint8_t>(sum[c] / count);
      pixels_[out + 3] = 255;
    }
  DrawCaption(left, top + tileHeight_ + (kCaptionHeight - 7 * kCaptionScale) / 2, caption);
}

void ContactSheet::FillRect(int x, int y, int w, int h, const std::uint8_t colour[4]) {
  for (int row = std::max(0, y); row < std::min(height_, y + h); ++row)
    for (int col = std::max(0, x); col < std::min(width_, x + w); ++col)
      std::copy(colour, colour + 4,
                pixels_.begin() + static_cast<long>((static_cast<std::size_t>(row) * width_ + col) * 4));
}

void ContactSheet::DrawCaption(int x, int y, const std::string& text) {
  const int advance = 6 * kCaptionScale;
  const int maxGlyphs = tileWidth_ / advance;
  for (int i = 0; i < static_cast<int>(text.size()) && i < maxGlyphs; ++i) {
    const char* bitmap = CaptionGlyph(text, static_cast<std::size_t>(i));
    for (int bit = 0; bit < 35; ++bit)
      if (bitmap[bit] == '1')
        FillRect(x + i * advance + (bit % 5) * kCaptionScale, y + (bit / 5) * kCaptionScale,
                 kCaptionScale, kCaptionScale, kInk);
  }
}

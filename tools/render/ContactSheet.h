// A contact sheet: frames shrunk into tiles, five to a row, each captioned
// below with its name in the plug-in's own 5x7 font.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class ContactSheet {
 public:
  // Tiles show frames of frameWidth x frameHeight reduced by a whole factor
  // so that a tile is at most 480 pixels wide.
  ContactSheet(int frameWidth, int frameHeight, int tileCount);

  // Places frame `index` (straight RGBA8, rows top-down) with its caption.
  void Add(int index, const std::vector<std::uint8_t>& rgba, const std::string& caption);

  int Width() const { return width_; }
  int Height() const { return height_; }
  const std::vector<std::uint8_t>& Pixels() const { return pixels_; }

 private:
  void FillRect(int x, int y, int w, int h, const std::uint8_t colour[4]);
  void DrawCaption(int x, int y, const std::string& text);

  int frameWidth_, frameHeight_, factor_, tileWidth_, tileHeight_, columns_;
  int width_, height_;
  std::vector<std::uint8_t> pixels_;
};

#include "PatternKit.h"

#include <algorithm>
#include <cstdlib>

#include "PluginFixture.h"
#include "hostkit/HostInstance.h"

namespace patterns {

namespace {

// The glyph bitmaps, top row first, five columns a row, '1' for ink.
const char* const kFont[kGlyphCount] = {
    "01110 10001 10011 10101 11001 10001 01110",  // 0
    "00100 01100 00100 00100 00100 00100 01110",  // 1
    "01110 10001 00001 00010 00100 01000 11111",  // 2
    "11111 00010 00100 00010 00001 10001 01110",  // 3
    "00010 00110 01010 10010 11111 00010 00010",  // 4
    "11111 10000 11110 00001 00001 10001 01110",  // 5
    "00110 01000 10000 11110 10001 10001 01110",  // 6
    "11111 00001 00010 00100 01000 01000 01000",  // 7
    "01110 10001 10001 01110 10001 10001 01110",  // 8
    "01110 10001 10001 01111 00001 00010 01100",  // 9
    "01110 10001 10001 11111 10001 10001 10001",  // A
    "11110 10001 10001 11110 10001 10001 11110",  // B
    "01110 10001 10000 10000 10000 10001 01110",  // C
    "11100 10010 10001 10001 10001 10010 11100",  // D
    "11111 10000 10000 11110 10000 10000 11111",  // E
    "11111 10000 10000 11110 10000 10000 10000",  // F
    "01110 10001 10000 10111 10001 10001 01111",  // G
    "10001 10001 10001 11111 10001 10001 10001",  // H
    "01110 00100 00100 00100 00100 00100 01110",  // I
    "00111 00010 00010 00010 00010 10010 01100",  // J
    "10001 10010 10100 11000 10100 10010 10001",  // K
    "10000 10000 10000 10000 10000 10000 11111",  // L
    "10001 11011 10101 10101 10001 10001 10001",  // M
    "10001 10001 11001 10101 10011 10001 10001",  // N
    "01110 10001 10001 10001 10001 10001 01110",  // O
    "11110 10001 10001 11110 10000 10000 10000",  // P
    "01110 10001 10001 10001 10101 10010 01101",  // Q
    "11110 10001 10001 11110 10100 10010 10001",  // R
    "01111 10000 10000 01110 00001 00001 11110",  // S
    "11111 00100 00100 00100 00100 00100 00100",  // T
    "10001 10001 10001 10001 10001 10001 01110",  // U
    "10001 10001 10001 10001 10001 01010 00100",  // V
    "10001 10001 10001 10101 10101 10101 01010",  // W
    "10001 10001 01010 00100 01010 10001 10001",  // X
    "10001 10001 10001 01010 00100 00100 00100",  // Y
    "11111 00001 00010 00100 01000 10000 11111",  // Z
    "00000 00000 10001 01010 00100 01010 10001",  // small x
    "00000 01100 01100 00000 01100 01100 00000",  // colon
    "00000 00000 00000 11111 00000 00000 00000",  // hyphen
    "00000 00000 00000 00000 00000 00000 00000",  // blank
    "00000 00000 00000 00000 00000 01100 01100",  // full stop
    "00000 00000 00000 00000 01100 00100 01000",  // comma
};

}  // namespace

Frame RenderFirstFrame(int width, int height, const Settings& settings) {
  EnsurePluginLoaderRan();
  hostkit::HostInstance host(Plugin(), width, height);
  Settings all{{kMoving, 0.0f}, {kShowRes, 0.0f}};
  for (const auto& [index, value] : settings) all[index] = value;
  for (const auto& [index, value] : all)
    EXPECT_EQ(host.Set(static_cast<FFUInt32>(index), value), FF_SUCCESS) << "parameter " << index;
  EXPECT_EQ(host.RunFrames(1), FF_SUCCESS);
  return ReadPixels(host.Target());
}

bool GlyphInk(int glyph, int gx, int gy) {
  std::string bits;
  for (const char* c = kFont[glyph]; *c; ++c)
    if (*c != ' ') bits += *c;
  return bits.at(static_cast<std::size_t>(gy * 5 + gx)) == '1';
}

std::vector<int> Glyphs(const std::string& text) {
  std::vector<int> out;
  for (char c : text) {
    if (c >= '0' && c <= '9') out.push_back(c - '0');
    else if (c == 'x') out.push_back(kGlyphSmallX);
    else if (c >= 'A' && c <= 'Z') out.push_back(10 + (c - 'A'));
    else if (c >= 'a' && c <= 'z') out.push_back(10 + (c - 'a'));
    else if (c == ':') out.push_back(37);
    else if (c == '-') out.push_back(38);
    else if (c == '.') out.push_back(kGlyphFullStop);
    else if (c == ',') out.push_back(kGlyphComma);
    else out.push_back(kGlyphBlank);
  }
  return out;
}

void ExpectText(const Frame& f, int ox, int oy, int sc, const std::vector<int>& glyphs, Rgba ink,
                std::optional<Rgba> paper, int pad, const std::string& what) {
  const int tw = TextWidth(glyphs.size()) * sc, th = 7 * sc;
  int differing = 0;
  std::ostringstream first;
  for (int dy = -pad; dy < th + pad; ++dy)
    for (int dx = -pad; dx < tw + pad; ++dx) {
      const int x = ox + dx, y = oy + dy;
      if (x < 0 || y < 0 || x >= f.Width() || y >= f.Height()) continue;
      bool onInk = false;
      if (dx >= 0 && dy >= 0 && dx < tw && dy < th) {
        const int slot = dx / (6 * sc), gx = (dx - slot * 6 * sc) / sc, gy = dy / sc;
        onInk = gx < 5 && GlyphInk(glyphs[static_cast<std::size_t>(slot)], gx, gy);
      }
      const Rgba seen = f.At(x, y);
      const bool ok = onInk ? seen == ink : paper ? seen == *paper : seen != ink;
      if (!ok && differing++ == 0) {
        first << "\n  first at " << Where(x, y) << " (text pixel " << dx << "," << dy
              << "): expected ";
        if (onInk) first << "ink " << ink;
        else if (paper) first << "plate " << *paper;
        else first << "anything but ink " << ink;
        first << ", observed " << seen;
      }
    }
  EXPECT_EQ(differing, 0) << what << " drawn at " << Where(ox, oy) << " scale " << sc << ": "
                          << differing << " pixels wrong" << first.str();
}

std::vector<int> ReadText(const Frame& f, int ox, int oy, int sc, int count, Rgba ink) {
  std::vector<int> out;
  for (int slot = 0; slot < count; ++slot) {
    int found = -1;
    for (int g = 0; g < kGlyphCount && found < 0; ++g) {
      bool same = true;
      for (int gy = 0; gy < 7 && same; ++gy)
        for (int gx = 0; gx < 5 && same; ++gx) {
          const int x = ox + (slot * 6 + gx) * sc, y = oy + gy * sc;
          same = (f.At(x, y) == ink) == GlyphInk(g, gx, gy);
        }
      if (same) found = g;
    }
    out.push_back(found);
  }
  return out;
}

}  // namespace patterns

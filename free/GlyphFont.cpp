#include "free/GlyphFont.h"

#include <algorithm>

#include "free/Parameters.h"

namespace {

// Each entry is seven rows of five pixels, top row first, written one row per
// literal piece so the shapes stay readable.
const char* const kGlyphs[kGlyphCount] = {
    "01110" "10001" "10011" "10101" "11001" "10001" "01110",  // 0
    "00100" "01100" "00100" "00100" "00100" "00100" "01110",  // 1
    "01110" "10001" "00001" "00010" "00100" "01000" "11111",  // 2
    "11111" "00010" "00100" "00010" "00001" "10001" "01110",  // 3
    "00010" "00110" "01010" "10010" "11111" "00010" "00010",  // 4
    "11111" "10000" "11110" "00001" "00001" "10001" "01110",  // 5
    "00110" "01000" "10000" "11110" "10001" "10001" "01110",  // 6
    "11111" "00001" "00010" "00100" "01000" "01000" "01000",  // 7
    "01110" "10001" "10001" "01110" "10001" "10001" "01110",  // 8
    "01110" "10001" "10001" "01111" "00001" "00010" "01100",  // 9
    "01110" "10001" "10001" "11111" "10001" "10001" "10001",  // A
    "11110" "10001" "10001" "11110" "10001" "10001" "11110",  // B
    "01110" "10001" "10000" "10000" "10000" "10001" "01110",  // C
    "11100" "10010" "10001" "10001" "10001" "10010" "11100",  // D
    "11111" "10000" "10000" "11110" "10000" "10000" "11111",  // E
    "11111" "10000" "10000" "11110" "10000" "10000" "10000",  // F
    "01110" "10001" "10000" "10111" "10001" "10001" "01111",  // G
    "10001" "10001" "10001" "11111" "10001" "10001" "10001",  // H
    "01110" "00100" "00100" "00100" "00100" "00100" "01110",  // I
    "00111" "00010" "00010" "00010" "00010" "10010" "01100",  // J
    "10001" "10010" "10100" "11000" "10100" "10010" "10001",  // K
    "10000" "10000" "10000" "10000" "10000" "10000" "11111",  // L
    "10001" "11011" "10101" "10101" "10001" "10001" "10001",  // M
    "10001" "10001" "11001" "10101" "10011" "10001" "10001",  // N
    "01110" "10001" "10001" "10001" "10001" "10001" "01110",  // O
    "11110" "10001" "10001" "11110" "10000" "10000" "10000",  // P
    "01110" "10001" "10001" "10001" "10101" "10010" "01101",  // Q
    "11110" "10001" "10001" "11110" "10100" "10010" "10001",  // R
    "01111" "10000" "10000" "01110" "00001" "00001" "11110",  // S
    "11111" "00100" "00100" "00100" "00100" "00100" "00100",  // T
    "10001" "10001" "10001" "10001" "10001" "10001" "01110",  // U
    "10001" "10001" "10001" "10001" "10001" "01010" "00100",  // V
    "10001" "10001" "10001" "10101" "10101" "10101" "01010",  // W
    "10001" "10001" "01010" "00100" "01010" "10001" "10001",  // X
    "10001" "10001" "10001" "01010" "00100" "00100" "00100",  // Y
    "11111" "00001" "00010" "00100" "01000" "10000" "11111",  // Z
    "00000" "00000" "10001" "01010" "00100" "01010" "10001",  // small x
    "00000" "01100" "01100" "00000" "01100" "01100" "00000",  // colon
    "00000" "00000" "00000" "11111" "00000" "00000" "00000",  // hyphen
    "00000" "00000" "00000" "00000" "00000" "00000" "00000",  // blank
    "00000" "00000" "00000" "00000" "00000" "01100" "01100",  // full stop
    "00000" "00000" "00000" "00000" "01100" "00100" "01000",  // comma
};

constexpr int kGlyphPixels = 35;
constexpr int kFirstWordPixels = 30;

const char* const kSolidNames[] = {"RED", "GREEN", "BLUE", "WHITE", "BLACK"};

std::int32_t GlyphFor(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'Z') return 10 + (c - 'A');
  if (c == 'x') return kGlyphSmallX;
  if (c >= 'a' && c <= 'z') return 10 + (c - 'a');
  switch (c) {
    case ':': return kGlyphColon;
    case '-': return kGlyphHyphen;
    case '.': return kGlyphFullStop;
    case ',': return kGlyphComma;
    default: return kGlyphBlank;
  }
}

// How many panels, whole or cut at the far edge, fit from the offset to the
// output's end; at least 1. Taken in 64 bits so that no size overflows, and
// with a divisor of at least 1 whatever the caller passes.
long long PanelCount(int extent, int offset, int panel) {
  const long long size = std::max(panel, 1);
  const long long count = (static_cast<long long>(extent) - offset + size - 1) / size;
  return std::max(1LL, count);
}

std::string Size(long long a, long long b) { return std::to_string(a) + "x" + std::to_string(b); }

}  // namespace

const char kCreditText[] = "OVNVELTRIMA.IO";
static_assert(sizeof(kCreditText) == kCreditGlyphs + 1, "the shader draws exactly 14 credit glyphs");

const char* GlyphBitmap(int glyph) {
  if (glyph < 0 || glyph >= kGlyphCount) return kGlyphs[kGlyphBlank];
  return kGlyphs[glyph];
}

std::array<std::int32_t, kFontWords> PackFont() {
  std::array<std::int32_t, kFontWords> words{};
  for (int c = 0; c < kGlyphCount; ++c) {
    const char* bits = kGlyphs[c];
    // Built unsigned: at most bit 29 is ever set, so the result fits int32.
    std::uint32_t first = 0, second = 0;
    for (int j = 0; j < kGlyphPixels; ++j) {
      if (bits[j] != '1') continue;
      if (j < kFirstWordPixels)
        first |= 1u << j;
      else
        second |= 1u << (j - kFirstWordPixels);
    }
    words[2 * c] = static_cast<std::int32_t>(first);
    words[2 * c + 1] = static_cast<std::int32_t>(second);
  }
  return words;
}

int EncodeText(std::string_view text, std::int32_t* out) {
  const int n = static_cast<int>(std::min<std::size_t>(text.size(), kMaxTextGlyphs));
  for (int i = 0; i < n; ++i) out[i] = GlyphFor(static_cast<unsigned char>(text[i]));
  return n;
}

std::string InfoLine1(int width, int height) { return Size(width, height); }

std::string InfoLine2(const FrameParameters& p, int solidIndex, int width, int height) {
  switch (p.pattern) {
    case kPatternPanelGrid:
      return "PANELS " +
             Size(PanelCount(width, p.offsetX, p.panelWidth),
                  PanelCount(height, p.offsetY, p.panelHeight)) +
             " " + Size(p.panelWidth, p.panelHeight);
    case kPatternFullRaster:
      return "GRID " + Size(p.panelWidth, p.panelHeight);
    case kPatternColourBars:
      return "COLOUR BARS 75";
    case kPatternGradients:
      return "RGBW RAMPS";
    case kPatternSolidColour:
      if (solidIndex < 0 || solidIndex > 4) return "";
      return kSolidNames[solidIndex];
    case kPatternLineSweep:
      return "LINE SWEEP";
    case kPatternPixelChecker:
      return "PIXEL CHECKER " + std::to_string(p.lineWidth) + "PX";
    default:
      return "";
  }
}

EncodedTexts EncodeFrameTexts(const FrameParameters& p, int solidIndex, int width, int height) {
  EncodedTexts t;  // value-initialised: every buffer starts zero-filled
  t.line1Count = EncodeText(InfoLine1(width, height), t.line1.data());
  t.line2Count = EncodeText(InfoLine2(p, solidIndex, width, height), t.line2.data());
  EncodeText(kCreditText, t.credit.data());
  return t;
}

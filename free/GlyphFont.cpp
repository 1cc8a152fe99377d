#include "free/GlyphFont.h"

#include <algorithm>

#include "free/Parameters.h"
#include "glyphs/Utf8Glyphs.h"

namespace {

const char* const kSolidNames[] = {"RED", "GREEN", "BLUE", "WHITE", "BLACK"};

// One glyph a byte: the texts here are the plug-in's own ASCII, where a small
// x is the sign between a size's numbers. The shared font's glyphs past the
// shader's 42 (and the placeholder) are not in the shader: blank instead.
std::int32_t GlyphFor(unsigned char c) {
  const std::int32_t glyph = GlyphForCodePoint(c, SmallX::Times);
  return glyph < kGlyphCount ? glyph : kGlyphBlank;
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

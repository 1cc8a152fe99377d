// Shared tools of the pattern tests: one rendered first frame held in memory
// (probed with the suite's pixel probes), text probes, and an independent
// copy of the 5x7 font so that expected text can be laid out glyph by glyph.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "PixelProbe.h"
#include "free/Parameters.h"

namespace patterns {

// Parameter indices, as the host addresses them: the plug-in's own
// (free/Parameters.h), under the short names these tests use.
enum Param : int {
  kPreset = kParamPreset,
  kPattern = kParamPattern,
  kPanelWidth = kParamPanelWidth,
  kPanelHeight = kParamPanelHeight,
  kOffsetX = kParamOffsetX,
  kOffsetY = kParamOffsetY,
  kPanelLabel = kParamPanelLabel,
  kMoving = kParamMovingElement,
  kShowRes = kParamShowResolution,
  kBrightness = kParamBrightness,
  kLineWidth = kParamLineWidth,
  kNumberSize = kParamNumberSize,
  kSolidColour = kParamSolidColour,
  kSpeed = kParamSpeed,
  kBackground = kParamBackground,
  kCredit = kParamCredit,
};

// The "Pattern" option's element values, the plug-in's own.
enum Pattern : int {
  kPanelGrid = kPatternPanelGrid,
  kFullRaster = kPatternFullRaster,
  kColourBars = kPatternColourBars,
  kGradients = kPatternGradients,
  kSolid = kPatternSolidColour,
  kLineSweep = kPatternLineSweep,
  kPixelChecker = kPatternPixelChecker,
};

constexpr Rgba kOpaqueBlack{0, 0, 0, 1};
constexpr Rgba kClear{0, 0, 0, 0};
constexpr Rgba kWhite{1, 1, 1, 1};

// An opaque colour.
constexpr Rgba Opaque(float r, float g, float b) { return {r, g, b, 1}; }

// The first frame of a fresh instance at width x height, read back once.
using Frame = Pixels;

using Settings = std::map<int, float>;

// Renders the first frame of a fresh instance made through plugMain. Every
// frame starts from the defaults with the moving element and the info box
// off, then applies `settings` in index order.
Frame RenderFirstFrame(int width, int height, const Settings& settings);

// --- The font: 42 glyphs of 5 x 7 pixels, 0-9, A-Z, small x, colon, hyphen,
// blank, full stop, comma.

constexpr int kGlyphSmallX = 36;
constexpr int kGlyphBlank = 39;
constexpr int kGlyphFullStop = 40;
constexpr int kGlyphComma = 41;
constexpr int kGlyphCount = 42;

bool GlyphInk(int glyph, int gx, int gy);

// The glyph indices of a text: digits, letters (either case; a small x is
// glyph 36), ':' '-' '.' ','; anything else is the blank glyph.
std::vector<int> Glyphs(const std::string& text);

// Width at scale 1: six pixels a glyph, no blank column after the last.
inline int TextWidth(std::size_t glyphs) {
  return glyphs == 0 ? 0 : static_cast<int>(glyphs) * 6 - 1;
}

// Checks text drawn with its top-left corner at (ox, oy), every glyph pixel
// an sc x sc block: glyph pixels are `ink`; every other pixel of the text
// rectangle, and of a plate margin `pad` wide around it, is `paper`, or, when
// no paper is given, anything but `ink`. Pixels outside the frame are skipped
// (text may be clipped).
void ExpectText(const Frame& f, int ox, int oy, int sc, const std::vector<int>& glyphs, Rgba ink,
                std::optional<Rgba> paper, int pad, const std::string& what);

// Reads text back: for each of `count` glyph cells at (ox, oy) with scale sc,
// the glyph whose bitmap matches the pixels equal to `ink` exactly, or -1.
std::vector<int> ReadText(const Frame& f, int ox, int oy, int sc, int count, Rgba ink);

}  // namespace patterns

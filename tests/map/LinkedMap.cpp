#include "LinkedMap.h"

#include <array>
#include <chrono>
#include <thread>
#include <cstdint>

#include "glyphs/GlyphTable.h"
#include "glyphs/Utf8Glyphs.h"
#include "host/EntryPoint.h"
#include "map/OVNVeltrimaMap.h"
#include "shapes/GlyphText.h"

namespace {

// Each glyph's character, found by asking the encoder about every printable
// ASCII character but the small letters (so a letter reads as its capital).
const std::array<std::string, kGlyphTableSize>& Characters() {
  static const std::array<std::string, kGlyphTableSize> table = [] {
    std::array<std::string, kGlyphTableSize> t;
    t.fill("\xEF\xBF\xBD");
    for (char32_t c = U' '; c <= U'~'; ++c) {
      if (c >= U'a' && c <= U'z') continue;
      const std::int32_t g = GlyphForCodePoint(c, SmallX::Letter);
      if (g != kGlyphPlaceholder) t[static_cast<std::size_t>(g)] = std::string(1, static_cast<char>(c));
    }
    t[kGlyphSmallX] = "x";
    t[kGlyphMiddleDot] = "\xC2\xB7";
    t[kGlyphEllipsis] = "\xE2\x80\xA6";
    return t;
  }();
  return table;
}

}  // namespace

const hostkit::PluginLibrary& LinkedMap() {
  static hostkit::PluginLibrary plugin(&plugMain, &SetLogCallback, "OVNVeltrimaMap (linked)");
  return plugin;
}

hostkit::GLContext& LinkedMapContext() {
  static hostkit::GLContext context(hostkit::OptionsFromEnvironment());
  context.MakeCurrent();
  return context;
}

std::vector<ScreenText> TextsOf(const shapes::FigureList& figures) {
  std::vector<ScreenText> texts;
  const std::vector<float>& data = figures.InstanceData();
  int lastCount = 0, lineGlyphs = 0;  // the last run's glyphs, the last line's
  for (std::size_t i = 0; i < figures.Count(); ++i) {
    if (figures.KindAt(i) != shapes::FigureKind::TextRun) {
      lastCount = 0;
      continue;
    }
    const float* f = &data[i * shapes::kFloatsPerFigure];
    const int x = static_cast<int>(f[0]), y = static_cast<int>(f[1]);
    const int scale = static_cast<int>(f[13]), count = static_cast<int>(f[14]);
    // The glyphs, kRunGlyphBits each, kRunGlyphsPerFloat to a float of
    // the second colour.
    std::string text;
    for (int k = 0; k < count; ++k) {
      const auto packed = static_cast<std::uint32_t>(f[8 + k / shapes::kRunGlyphsPerFloat]);
      const int shift = shapes::kRunGlyphBits * (k % shapes::kRunGlyphsPerFloat);
      const std::uint32_t glyph = (packed >> shift) & ((1u << shapes::kRunGlyphBits) - 1);
      text += glyph < Characters().size() ? Characters()[glyph] : "\xEF\xBF\xBD";
    }
    const bool continues = lastCount == shapes::kGlyphsPerRun && texts.back().y == y &&
                           texts.back().scale == scale &&
                           x == texts.back().x + lineGlyphs * shapes::kGlyphAdvance * scale;
    if (continues) {
      texts.back().text += text;
      lineGlyphs += count;
    } else {
      texts.push_back({x, y, scale, text});
      lineGlyphs = count;
    }
    lastCount = count;
  }
  return texts;
}

std::vector<ScreenText> TextsOf(const hostkit::HostInstance& instance) {
  return TextsOf(static_cast<const OVNVeltrimaMap*>(instance.Id())->LastFigures());
}

bool Settle(hostkit::HostInstance& instance) {
  const auto& map = *static_cast<const OVNVeltrimaMap*>(instance.Id());
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  do {
    if (instance.RunFrames(1) != FF_SUCCESS) return false;
    if (!map.Updating()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  } while (std::chrono::steady_clock::now() < limit);
  return false;
}

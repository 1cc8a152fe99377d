#include "HdrKit.h"

#include <cmath>
#include <functional>
#include <ostream>
#include <sstream>
#include <algorithm>

#include "glyphs/GlyphTable.h"

namespace {

void Collect(const char* message) { HdrLog().emplace_back(message ? message : "(null)"); }

}  // namespace

hostkit::PluginLibrary& HdrPlugin() {
  static hostkit::PluginLibrary plugin(VELTRIMA_HDR_PLUGIN_PATH);
  static const bool logging = [] {
    plugin.SetLogCallback(&Collect);
    return true;
  }();
  (void)logging;
  return plugin;
}

hostkit::GLContext& HdrContext() {
  static hostkit::GLContext context(hostkit::OptionsFromEnvironment());
  context.MakeCurrent();
  return context;
}

FFUInt32 HdrParam(const std::string& name) {
  const FFUInt32 count = HdrPlugin().GetNumParameters();
  for (FFUInt32 i = 0; i < count; ++i) {
    const char* reported = HdrPlugin().GetParameterName(i);
    if (reported && name == reported) return i;
  }
  ADD_FAILURE() << "the plug-in has no parameter \"" << name << "\"";
  return count;
}

float HdrOption(const std::string& name, const std::string& element) {
  HdrContext();
  const FFUInt32 id = HdrParam(name);
  hostkit::HostInstance host(HdrPlugin(), 4, 4);
  const FFUInt32 count = HdrPlugin().GetElementCount(host.Id(), id);
  for (FFUInt32 i = 0; i < count; ++i) {
    const char* reported = HdrPlugin().GetElementName(host.Id(), id, i);
    if (reported && element == reported)
      return hostkit::FloatFromBits(HdrPlugin().GetElementValue(host.Id(), id, i).UIntValue);
  }
  ADD_FAILURE() << "\"" << name << "\" has no element \"" << element << "\"";
  return 0;
}

std::vector<std::string>& HdrLog() {
  static std::vector<std::string> messages;
  return messages;
}

std::ostream& operator<<(std::ostream& out, const Code3& c) {
  return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

CodeFrame RenderHdr(const Settings& settings, int width, int height, hostkit::PixelFormat format) {
  HdrContext();
  // Element values are looked up before the instance is made: each lookup
  // makes an instance of its own.
  std::vector<std::pair<FFUInt32, float>> values;
  for (const Setting& s : settings)
    values.emplace_back(HdrParam(s.name), s.element.empty() ? s.value : HdrOption(s.name, s.element));
  hostkit::HostInstance host(HdrPlugin(), width, height, format);
  for (const auto& [id, value] : values) EXPECT_EQ(host.Set(id, value), FF_SUCCESS) << id;
  EXPECT_EQ(host.RunFrames(1), FF_SUCCESS);
  return ReadHdrCodes(host, width, height, format);
}

CodeFrame ReadHdrCodes(hostkit::HostInstance& host, int width, int height,
                       hostkit::PixelFormat format) {
  const std::vector<float> rgba = host.Target().ReadOutput();
  std::vector<Code3> codes(static_cast<std::size_t>(width) * height);
  int notCodes = 0;
  std::ostringstream first;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    const float* p = &rgba[i * 4];
    const bool bytes = format != hostkit::PixelFormat::RGBA32F;
    int c[3];
    for (int k = 0; k < 3; ++k) {
      if (bytes) {
        // The code an 8-bit value stands for: round(byte x 1023 / 255).
        const long byte = std::lround(p[k] * 255.0f);
        c[k] = static_cast<int>(std::lround(static_cast<double>(byte) * 1023.0 / 255.0));
        continue;
      }
      c[k] = static_cast<int>(std::lround(p[k] * 1023.0f));
      if ((p[k] != static_cast<float>(c[k]) / 1023.0f || p[3] != 1.0f) && notCodes++ == 0)
        first << " first at pixel " << i << ": " << p[k] << " alpha " << p[3];
    }
    codes[i] = {c[0], c[1], c[2]};
  }
  EXPECT_EQ(notCodes, 0) << "values that are not c / 1023 at alpha 1;" << first.str();
  return CodeFrame(width, height, std::move(codes));
}

void ExpectCodes(const CodeFrame& f, int x0, int y0, int x1, int y1,
                 const std::function<Code3(int, int)>& expected, const std::string& what) {
  int differing = 0;
  std::ostringstream first;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const Code3 want = expected(x, y);
      if (f.At(x, y) != want && differing++ == 0)
        first << "\n  first at (" << x << "," << y << "): expected " << want << ", observed "
              << f.At(x, y);
    }
  EXPECT_EQ(differing, 0) << what << " in [" << x0 << "," << x1 << ") x [" << y0 << "," << y1
                          << "): " << differing << " pixels differ" << first.str();
}

namespace {

// The characters of the font's glyphs, in table order (glyphs/GlyphTable.h).
const char kGlyphCharacters[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZx:- .,/=#+()'_?!~%&*\";<>@[]?";

char ReadGlyph(const CodeFrame& f, int x, int y, int scale, int black) {
  for (int g = 0; g < kGlyphPlaceholder; ++g) {
    bool same = true;
    for (int row = 0; row < kGlyphRows && same; ++row)
      for (int column = 0; column < kGlyphColumns && same; ++column) {
        const Code3& c = f.At(x + column * scale + scale / 2, y + row * scale + scale / 2);
        same = (c.r > black + 100) == GlyphPixel(g, column, row);
      }
    if (same) return kGlyphCharacters[g];
  }
  return '?';
}

}  // namespace

std::vector<std::string> ReadLabel(const CodeFrame& f, int x0, int y0, int x1, int y1, int black,
                                   int lines) {
  int left = x1, top = y1, right = x0 - 1, bottom = y0 - 1;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      if (f.At(x, y) == Grey(black)) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
  if (right < left) return {};
  const int scale = (bottom - top + 1) / (8 * lines + 1);
  if (scale <= 0) return {};
  std::vector<std::string> text;
  for (int line = 0; line < lines; ++line) {
    std::string s;
    const int y = top + scale + line * 8 * scale;
    for (int x = left + scale; x + 5 * scale <= right + 1; x += 6 * scale)
      s += ReadGlyph(f, x, y, scale, black);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    text.push_back(s);
  }
  return text;
}

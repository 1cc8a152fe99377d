// Shared set-up for the HDR tests: the real module loaded as a host loads
// it, a GL context, parameters found by the names the plug-in reports,
// option values found by their element names, what it logs, and frames read
// back from a float (or 8-bit) target and turned into 10-bit codes.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "hostkit/GLContext.h"
#include "hostkit/HostInstance.h"
#include "hostkit/PluginLibrary.h"

hostkit::PluginLibrary& HdrPlugin();
hostkit::GLContext& HdrContext();

// The index of the parameter the plug-in names `name`; the test fails when
// there is none.
FFUInt32 HdrParam(const std::string& name);
// The value of option `name`'s element `element` (by the names the plug-in
// reports); the test fails when there is none.
float HdrOption(const std::string& name, const std::string& element);

// Everything the plug-in logged since the last clear.
std::vector<std::string>& HdrLog();

struct Code3 {
  int r = 0, g = 0, b = 0;
  bool operator==(const Code3& o) const { return r == o.r && g == o.g && b == o.b; }
  bool operator!=(const Code3& o) const { return !(*this == o); }
};
inline Code3 Grey(int c) { return {c, c, c}; }
std::ostream& operator<<(std::ostream& out, const Code3& c);

// A frame as codes: round(value x 1023) per channel of a float read-back.
class CodeFrame {
 public:
  CodeFrame(int width, int height, std::vector<Code3> codes)
      : width_(width), height_(height), codes_(std::move(codes)) {}
  int Width() const { return width_; }
  int Height() const { return height_; }
  const Code3& At(int x, int y) const { return codes_[static_cast<std::size_t>(y) * width_ + x]; }

 private:
  int width_, height_;
  std::vector<Code3> codes_;
};

// Parameter values by name; options given by element name as text.
struct Setting {
  std::string name;
  float value = 0;
  std::string element;  // when set, the option's element of that name
};
using Settings = std::vector<Setting>;
inline Setting Option(const std::string& name, const std::string& element) {
  return {name, 0, element};
}
inline Setting Value(const std::string& name, float value) { return {name, value, ""}; }

// The frame `host` drew last, as codes (the checks of RenderHdr below).
CodeFrame ReadHdrCodes(hostkit::HostInstance& host, int width, int height,
                       hostkit::PixelFormat format = hostkit::PixelFormat::RGBA32F);

// A fresh instance's first frame. On a float target every pixel must be
// exactly some c / 1023 with alpha 1 (the test fails otherwise); an 8-bit
// target is read as byte x 1023 / 255, rounded.
CodeFrame RenderHdr(const Settings& settings, int width = 1920, int height = 1080,
                    hostkit::PixelFormat format = hostkit::PixelFormat::RGBA32F);

// Every pixel of [x0, x1) x [y0, y1) is `expected(x, y)`; reports how many
// are not and the first.
void ExpectCodes(const CodeFrame& frame, int x0, int y0, int x1, int y1,
                 const std::function<Code3(int, int)>& expected, const std::string& what);
inline void ExpectCodes(const CodeFrame& frame, int x0, int y0, int x1, int y1, Code3 expected,
                        const std::string& what) {
  ExpectCodes(frame, x0, y0, x1, y1, [&](int, int) { return expected; }, what);
}

// The text of a label (white glyphs of the shared font in a box of `black`)
// whose box lies inside [x0, x1) x [y0, y1) on a ground other than black:
// the box is found as the black pixels' extent, the glyph scale from its
// height (8 x lines + 1 glyph pixels), each glyph matched against the font
// cell by cell. Empty when no box is found.
std::vector<std::string> ReadLabel(const CodeFrame& frame, int x0, int y0, int x1, int y1,
                                   int black, int lines);

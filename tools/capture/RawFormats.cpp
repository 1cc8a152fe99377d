#include "tools/capture/RawFormats.h"

#include <array>

namespace {

struct Named {
  const char* name;
  RawFormat format;
};
constexpr std::array<Named, 6> kFormats{{{"rgba", RawFormat::Rgba},
                                         {"rgb48le", RawFormat::Rgb48le},
                                         {"gbrp10le", RawFormat::Gbrp10le},
                                         {"yuv444p10le", RawFormat::Yuv444p10le},
                                         {"yuv422p10le", RawFormat::Yuv422p10le},
                                         {"v210", RawFormat::V210}}};

std::uint16_t Word16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t Word32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

std::size_t V210RowBytes(int width) { return static_cast<std::size_t>((width + 47) / 48) * 128; }

CaptureFrame Blank(int width, int height, int bits, CaptureColour colour, int shift) {
  CaptureFrame f;
  f.width = width;
  f.height = height;
  f.bits = bits;
  f.colour = colour;
  f.chromaShiftX = shift;
  for (int p = 0; p < 3; ++p)
    f.planes[static_cast<std::size_t>(p)].resize(static_cast<std::size_t>(f.PlaneWidth(p)) *
                                                 static_cast<std::size_t>(f.PlaneHeight(p)));
  return f;
}

// Planar 16-bit words, plane order given as indexes into R'G'B' or Y'CbCr.
void UnpackPlanar(CaptureFrame& f, const std::uint8_t* bytes, std::array<int, 3> order) {
  std::size_t offset = 0;
  for (int i = 0; i < 3; ++i) {
    auto& plane = f.planes[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])];
    for (std::size_t k = 0; k < plane.size(); ++k, offset += 2) plane[k] = Word16(bytes + offset) & 0x3FF;
  }
}

void UnpackV210(CaptureFrame& f, const std::uint8_t* bytes) {
  const std::size_t rowBytes = V210RowBytes(f.width);
  const int chromaWidth = f.PlaneWidth(1);
  for (int y = 0; y < f.height; ++y) {
    const std::uint8_t* row = bytes + rowBytes * static_cast<std::size_t>(y);
    // The components in coded order: Cb Y Cr Y, Cb Y Cr Y ...
    int luma = 0, chroma = 0, next = 0;
    for (std::size_t word = 0; word * 4 < rowBytes; ++word) {
      const std::uint32_t w = Word32(row + word * 4);
      for (int c = 0; c < 3; ++c, ++next) {
        const auto value = static_cast<std::uint16_t>(w >> (10 * c) & 0x3FF);
        const int kind = next % 4;  // 0 Cb, 1 Y, 2 Cr, 3 Y
        const std::size_t base = static_cast<std::size_t>(y);
        if (kind == 1 || kind == 3) {
          if (luma < f.width) f.planes[0][base * f.width + static_cast<std::size_t>(luma)] = value;
          ++luma;
        } else if (chroma < chromaWidth) {
          f.planes[kind == 0 ? 1 : 2][base * static_cast<std::size_t>(chromaWidth) +
                                      static_cast<std::size_t>(chroma)] = value;
          if (kind == 2) ++chroma;
        } else if (kind == 2) {
          ++chroma;
        }
      }
    }
  }
}

}  // namespace

bool RawFormatNamed(const std::string& name, RawFormat& format) {
  for (const Named& n : kFormats)
    if (name == n.name) {
      format = n.format;
      return true;
    }
  return false;
}

std::string RawFormatNames() {
  std::string names;
  for (const Named& n : kFormats) names += (names.empty() ? "" : ", ") + std::string(n.name);
  return names;
}

std::size_t RawFrameBytes(RawFormat format, int width, int height) {
  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  switch (format) {
    case RawFormat::Rgba: return pixels * 4;
    case RawFormat::Rgb48le: return pixels * 6;
    case RawFormat::Gbrp10le:
    case RawFormat::Yuv444p10le: return pixels * 6;
    case RawFormat::Yuv422p10le:
      return (pixels + 2 * static_cast<std::size_t>((width + 1) / 2) * static_cast<std::size_t>(height)) * 2;
    case RawFormat::V210: return V210RowBytes(width) * static_cast<std::size_t>(height);
  }
  return 0;
}

CaptureFrame UnpackRaw(RawFormat format, const std::uint8_t* bytes, int width, int height) {
  switch (format) {
    case RawFormat::Rgba:
    case RawFormat::Rgb48le: {
      const bool wide = format == RawFormat::Rgb48le;
      CaptureFrame f = Blank(width, height, wide ? 16 : 8, CaptureColour::Rgb, 0);
      const std::size_t step = wide ? 6 : 4;
      for (std::size_t i = 0; i < f.planes[0].size(); ++i)
        for (std::size_t c = 0; c < 3; ++c)
          f.planes[c][i] = wide ? Word16(bytes + i * step + 2 * c) : bytes[i * step + c];
      return f;
    }
    case RawFormat::Gbrp10le: {
      CaptureFrame f = Blank(width, height, 10, CaptureColour::Rgb, 0);
      UnpackPlanar(f, bytes, {1, 2, 0});
      return f;
    }
    case RawFormat::Yuv444p10le:
    case RawFormat::Yuv422p10le: {
      CaptureFrame f = Blank(width, height, 10, CaptureColour::YCbCr, format == RawFormat::Yuv422p10le ? 1 : 0);
      UnpackPlanar(f, bytes, {0, 1, 2});
      return f;
    }
    case RawFormat::V210: {
      CaptureFrame f = Blank(width, height, 10, CaptureColour::YCbCr, 1);
      UnpackV210(f, bytes);
      return f;
    }
  }
  return {};
}

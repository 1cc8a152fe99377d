#include "tools/render/SignalLevels.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "signal/CodeRules.h"
#include "signal/FrameCodes.h"

namespace sig = veltrima::signal;

double SignalLevel(sig::Range range, int bits, std::uint16_t word) {
  return sig::CodeAtDepth(range, sig::CodeOfFrameValue(word, 16), bits);
}

SignalLevels::SignalLevels(sig::Range range, int bits) : table_(65536), bits_(bits) {
  const double largest = std::ldexp(1.0, std::clamp(bits, 1, 16)) - 1;
  for (std::size_t word = 0; word < table_.size(); ++word)
    table_[word] = static_cast<std::uint16_t>(
        std::clamp(std::floor(SignalLevel(range, bits, static_cast<std::uint16_t>(word)) + 0.5), 0.0,
                   largest));
}

void SignalLevels::Apply(const std::uint16_t* rgba, std::size_t pixels, std::uint16_t* out) const {
  for (std::size_t i = 0; i < 4 * pixels; ++i) out[i] = i % 4 == 3 ? rgba[i] : table_[rgba[i]];
}

void SignalLevels::Apply(const std::uint8_t* rgba, std::size_t pixels, std::uint8_t* out) const {
  for (std::size_t i = 0; i < 4 * pixels; ++i)
    out[i] = i % 4 == 3 ? rgba[i] : static_cast<std::uint8_t>(table_[rgba[i] * 257u]);
}

void SignalLevels::WriteRgb(const std::uint16_t* rgba, AVFrame* frame) const {
  const auto format = static_cast<AVPixelFormat>(frame->format);
  const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
  if (!descriptor || !(descriptor->flags & AV_PIX_FMT_FLAG_RGB) || descriptor->nb_components < 3 ||
      descriptor->comp[0].depth != bits_)
    throw std::logic_error("SignalLevels::WriteRgb needs an RGB format of its depth");
  const int width = frame->width;
  const double alphaScale = (std::ldexp(1.0, bits_) - 1) / 65535.0;
  row_.resize(static_cast<std::size_t>(width));
  // av_write_image_line2 adds its bits to what a sample holds: start from zero.
  for (int plane = 0; plane < av_pix_fmt_count_planes(format); ++plane)
    for (int y = 0; y < frame->height; ++y)
      std::memset(frame->data[plane] + static_cast<std::ptrdiff_t>(frame->linesize[plane]) * y, 0,
                  static_cast<std::size_t>(frame->linesize[plane]));
  for (int y = 0; y < frame->height; ++y) {
    const std::uint16_t* source =
        rgba + 4 * static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    // The descriptor names R, G, B and A as components 0 to 3 whatever their order in memory.
    for (int c = 0; c < descriptor->nb_components; ++c) {
      for (int x = 0; x < width; ++x) {
        const std::uint16_t word = source[4 * static_cast<std::size_t>(x) + static_cast<std::size_t>(c)];
        row_[static_cast<std::size_t>(x)] =
            c == 3 ? static_cast<std::uint16_t>(std::lround(word * alphaScale)) : table_[word];
      }
      av_write_image_line2(row_.data(), frame->data, frame->linesize, descriptor, 0, y, c, width, 2);
    }
  }
}

#include "tools/render/SignalYuv.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <stdexcept>

using veltrima::signal::Range;
using veltrima::signal::Transfer;

SignalYuv::SignalYuv(const VideoSignal& signal, AVPixelFormat format) {
  const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
  if (!descriptor || (descriptor->flags & AV_PIX_FMT_FLAG_RGB) ||
      !(descriptor->flags & AV_PIX_FMT_FLAG_PLANAR) || descriptor->nb_components < 3)
    throw std::logic_error("SignalYuv needs a planar YUV format");
  const int bits = descriptor->comp[0].depth;
  const bool bt2020 = signal.signal.transfer != Transfer::Sdr;
  kr_ = bt2020 ? 0.2627 : 0.2126;
  kb_ = bt2020 ? 0.0593 : 0.0722;
  kg_ = 1.0 - kr_ - kb_;
  maximum_ = (1 << bits) - 1;
  middle_ = 1 << (bits - 1);
  const bool narrow = signal.signal.range == Range::Narrow;
  gain_ = narrow ? 224.0 / 219.0 : 1.0;
  chromaShiftX_ = descriptor->log2_chroma_w;
  chromaShiftY_ = descriptor->log2_chroma_h;
  alpha_ = descriptor->nb_components == 4;
  wide_ = bits > 8;
  // A word carries its 10-bit code at full scale (code x 65535 / 1023); at
  // other depths a video code is that code shifted, so that narrow white
  // 940 is 235 at 8 bits, as BT.709 and BT.2100 scale codes with the depth.
  wordScale_ = 1023.0 / 65535.0 * std::ldexp(1.0, bits - 10);
  alphaScale_ = static_cast<double>(maximum_) / 65535.0;
}

void SignalYuv::Store(AVFrame* frame, int plane, int x, int y, int value) const {
  const int clamped = std::clamp(value, 0, maximum_);
  std::uint8_t* row = frame->data[plane] + static_cast<std::ptrdiff_t>(frame->linesize[plane]) * y;
  if (wide_)
    reinterpret_cast<std::uint16_t*>(row)[x] = static_cast<std::uint16_t>(clamped);
  else
    row[x] = static_cast<std::uint8_t>(clamped);
}

SignalYuv::Yuv SignalYuv::Nearest(const double rgb[3]) const {
  const double y = kr_ * rgb[0] + kg_ * rgb[1] + kb_ * rgb[2];
  const double cb = middle_ + gain_ * (rgb[2] - y) / (2.0 * (1.0 - kb_));
  const double cr = middle_ + gain_ * (rgb[0] - y) / (2.0 * (1.0 - kr_));
  Yuv best{0, 0, 0};
  double bestError = INFINITY;
  for (int i = 0; i < 8; ++i) {
    const Yuv candidate{
        std::clamp(static_cast<int>(i & 1 ? std::ceil(y) : std::floor(y)), 0, maximum_),
        std::clamp(static_cast<int>(i & 2 ? std::ceil(cb) : std::floor(cb)), 0, maximum_),
        std::clamp(static_cast<int>(i & 4 ? std::ceil(cr) : std::floor(cr)), 0, maximum_)};
    // How a decoder that follows the tags reads the candidate back.
    const double r = candidate.y + 2.0 * (1.0 - kr_) * (candidate.cr - middle_) / gain_;
    const double b = candidate.y + 2.0 * (1.0 - kb_) * (candidate.cb - middle_) / gain_;
    const double g = (candidate.y - kr_ * r - kb_ * b) / kg_;
    const double error =
        std::max({std::fabs(r - rgb[0]), std::fabs(g - rgb[1]), std::fabs(b - rgb[2])});
    if (error < bestError) {
      bestError = error;
      best = candidate;
    }
  }
  return best;
}

void SignalYuv::Convert(const std::uint16_t* rgba, AVFrame* frame) const {
  const int width = frame->width, height = frame->height;
  const auto pixel = [&](int x, int y) {
    return rgba + 4 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                       static_cast<std::size_t>(x));
  };
  const auto codes = [&](const std::uint16_t* p, double rgb[3]) {
    for (int c = 0; c < 3; ++c) rgb[c] = p[c] * wordScale_;
  };
  const bool subsampled = chromaShiftX_ > 0 || chromaShiftY_ > 0;
  // Patterns repeat a pixel across whole areas: the last one's answer is kept.
  const std::uint16_t* last = nullptr;
  Yuv lastYuv{0, 0, 0};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint16_t* p = pixel(x, y);
      if (alpha_) Store(frame, 3, x, y, static_cast<int>(std::lround(p[3] * alphaScale_)));
      double rgb[3];
      codes(p, rgb);
      if (subsampled) {
        Store(frame, 0, x, y,
              static_cast<int>(std::lround(kr_ * rgb[0] + kg_ * rgb[1] + kb_ * rgb[2])));
        continue;
      }
      if (!last || !std::equal(p, p + 3, last)) {
        lastYuv = Nearest(rgb);
        last = p;
      }
      Store(frame, 0, x, y, lastYuv.y);
      Store(frame, 1, x, y, lastYuv.cb);
      Store(frame, 2, x, y, lastYuv.cr);
    }
  }
  if (!subsampled) return;
  // 4:2:0 (or 4:2:2): each chroma sample is the mean of the block it covers.
  const int blockW = 1 << chromaShiftX_, blockH = 1 << chromaShiftY_;
  for (int cy = 0; cy * blockH < height; ++cy) {
    for (int cx = 0; cx * blockW < width; ++cx) {
      double cb = 0, cr = 0;
      int count = 0;
      for (int y = cy * blockH; y < std::min(height, (cy + 1) * blockH); ++y)
        for (int x = cx * blockW; x < std::min(width, (cx + 1) * blockW); ++x) {
          double rgb[3];
          codes(pixel(x, y), rgb);
          const double luma = kr_ * rgb[0] + kg_ * rgb[1] + kb_ * rgb[2];
          cb += (rgb[2] - luma) / (2.0 * (1.0 - kb_));
          cr += (rgb[0] - luma) / (2.0 * (1.0 - kr_));
          ++count;
        }
      Store(frame, 1, cx, cy, static_cast<int>(std::lround(middle_ + gain_ * cb / count)));
      Store(frame, 2, cx, cy, static_cast<int>(std::lround(middle_ + gain_ * cr / count)));
    }
  }
}

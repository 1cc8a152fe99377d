#include "tools/render/SignalYuv.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "tools/render/SignalLevels.h"

using veltrima::signal::Range;

SignalYuv::SignalYuv(const VideoSignal& signal, AVPixelFormat format)
    : range_(signal.signal.range),
      weights_(veltrima::signal::LumaWeightsOf(veltrima::signal::MatrixOf(signal.signal.transfer))) {
  const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
  if (!descriptor || (descriptor->flags & AV_PIX_FMT_FLAG_RGB) ||
      !(descriptor->flags & AV_PIX_FMT_FLAG_PLANAR) || descriptor->nb_components < 3)
    throw std::logic_error("SignalYuv needs a planar YUV format");
  bits_ = descriptor->comp[0].depth;
  maximum_ = (1 << bits_) - 1;
  middle_ = 1 << (bits_ - 1);
  gain_ = range_ == Range::Narrow ? 224.0 / 219.0 : 1.0;
  chromaShiftX_ = descriptor->log2_chroma_w;
  chromaShiftY_ = descriptor->log2_chroma_h;
  alpha_ = descriptor->nb_components == 4;
  wide_ = bits_ > 8;
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

SignalYuv::Yuv SignalYuv::Nearest(const std::uint16_t* words) const {
  double rgb[3];
  for (int c = 0; c < 3; ++c) rgb[c] = SignalLevel(range_, bits_, words[c]);
  const double kr = weights_.red, kg = weights_.green, kb = weights_.blue;
  const double y = kr * rgb[0] + kg * rgb[1] + kb * rgb[2];
  const double cb = middle_ + gain_ * (rgb[2] - y) / (2.0 * (1.0 - kb));
  const double cr = middle_ + gain_ * (rgb[0] - y) / (2.0 * (1.0 - kr));
  Yuv best{0, 0, 0};
  double bestError = INFINITY;
  for (int i = 0; i < 8; ++i) {
    const Yuv candidate{
        std::clamp(static_cast<int>(i & 1 ? std::ceil(y) : std::floor(y)), 0, maximum_),
        std::clamp(static_cast<int>(i & 2 ? std::ceil(cb) : std::floor(cb)), 0, maximum_),
        std::clamp(static_cast<int>(i & 4 ? std::ceil(cr) : std::floor(cr)), 0, maximum_)};
    // How a decoder that follows the tags reads the candidate back.
    const double r = candidate.y + 2.0 * (1.0 - kr) * (candidate.cr - middle_) / gain_;
    const double b = candidate.y + 2.0 * (1.0 - kb) * (candidate.cb - middle_) / gain_;
    const double g = (candidate.y - kr * r - kb * b) / kg;
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
  const bool subsampled = chromaShiftX_ > 0 || chromaShiftY_ > 0;
  // Patterns repeat a pixel across whole areas: the last one's answer is kept.
  const std::uint16_t* last = nullptr;
  Yuv lastYuv{0, 0, 0};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint16_t* p =
          rgba + 4 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x));
      if (alpha_) Store(frame, 3, x, y, static_cast<int>(std::lround(p[3] * alphaScale_)));
      if (!last || !std::equal(p, p + 3, last)) {
        lastYuv = Nearest(p);
        last = p;
      }
      Store(frame, 0, x, y, lastYuv.y);
      if (subsampled) continue;
      Store(frame, 1, x, y, lastYuv.cb);
      Store(frame, 2, x, y, lastYuv.cr);
    }
  }
  if (subsampled) StoreChroma(rgba, frame);
}

void SignalYuv::StoreChroma(const std::uint16_t* rgba, AVFrame* frame) const {
  const int width = frame->width, height = frame->height;
  const double kr = weights_.red, kg = weights_.green, kb = weights_.blue;
  // Each pixel's colour differences, B' - Y' and R' - Y' at the output's depth.
  std::vector<double> blue(static_cast<std::size_t>(width) * static_cast<std::size_t>(height)),
      red(blue.size());
  for (std::size_t i = 0; i < blue.size(); ++i) {
    const std::uint16_t* p = rgba + 4 * i;
    const double r = SignalLevel(range_, bits_, p[0]), g = SignalLevel(range_, bits_, p[1]),
                 b = SignalLevel(range_, bits_, p[2]);
    const double luma = kr * r + kg * g + kb * b;
    blue[i] = b - luma;
    red[i] = r - luma;
  }
  const auto at = [&](const std::vector<double>& plane, int x, int y) {
    return plane[static_cast<std::size_t>(std::clamp(y, 0, height - 1)) * static_cast<std::size_t>(width) +
                 static_cast<std::size_t>(std::clamp(x, 0, width - 1))];
  };
  // Left-sited: a halved width puts sample i on column 2i, filtered 1 2 1
  // over columns 2i - 1 to 2i + 1 (the picture's edge repeated); a halved
  // height puts sample j between rows 2j and 2j + 1, their mean.
  const auto sited = [&](const std::vector<double>& plane, int cx, int cy) {
    double sum = 0, weight = 0;
    const int rows = chromaShiftY_ > 0 ? 2 : 1;
    for (int dy = 0; dy < rows; ++dy) {
      const int y = (cy << chromaShiftY_) + dy;
      if (chromaShiftX_ > 0) {
        const int x = cx << chromaShiftX_;
        sum += at(plane, x - 1, y) + 2 * at(plane, x, y) + at(plane, x + 1, y);
        weight += 4;
      } else {
        sum += at(plane, cx, y);
        weight += 1;
      }
    }
    return sum / weight;
  };
  // Where every pixel the filter reads is the same, the sample is the one
  // 4:4:4 would have (Nearest): flat areas decode as closely as in 4:4:4.
  const auto pixel = [&](int x, int y) {
    return rgba + 4 * (static_cast<std::size_t>(std::clamp(y, 0, height - 1)) * static_cast<std::size_t>(width) +
                       static_cast<std::size_t>(std::clamp(x, 0, width - 1)));
  };
  const auto flat = [&](int cx, int cy) {
    const int x = cx << chromaShiftX_, y = cy << chromaShiftY_;
    const std::uint16_t* first = pixel(x, y);
    for (int dy = 0; dy <= (chromaShiftY_ > 0 ? 1 : 0); ++dy)
      for (int dx = chromaShiftX_ > 0 ? -1 : 0; dx <= (chromaShiftX_ > 0 ? 1 : 0); ++dx)
        if (!std::equal(first, first + 3, pixel(x + dx, y + dy))) return false;
    return true;
  };
  const int chromaWidth = (width + (1 << chromaShiftX_) - 1) >> chromaShiftX_;
  const int chromaHeight = (height + (1 << chromaShiftY_) - 1) >> chromaShiftY_;
  for (int cy = 0; cy < chromaHeight; ++cy)
    for (int cx = 0; cx < chromaWidth; ++cx) {
      if (flat(cx, cy)) {
        const Yuv yuv = Nearest(pixel(cx << chromaShiftX_, cy << chromaShiftY_));
        Store(frame, 1, cx, cy, yuv.cb);
        Store(frame, 2, cx, cy, yuv.cr);
        continue;
      }
      const double cb = middle_ + gain_ * sited(blue, cx, cy) / (2.0 * (1.0 - kb));
      const double cr = middle_ + gain_ * sited(red, cx, cy) / (2.0 * (1.0 - kr));
      Store(frame, 1, cx, cy, static_cast<int>(std::lround(cb)));
      Store(frame, 2, cx, cy, static_cast<int>(std::lround(cr)));
    }
}

#include "free/FrameRegions.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "free/shaders/ShaderConstants.h"

namespace {

// Beyond these the frame is drawn with every feature everywhere: listing
// rectangles would cost more than it saves, and the shader's own integer
// arithmetic (sizes times 16) would leave the range the rectangles mirror.
constexpr long long kMaxPanels = 4096;
constexpr int kMaxDimension = 1 << 20;

// What GLSL int arithmetic gives: two's complement, wrapping.
int Wrap(long long value) { return static_cast<int>(static_cast<std::uint32_t>(value)); }

// Digits the shader's sNum writes for v: negatives as 0, at most nine.
int Digits(int v) {
  int digits = 1;
  for (long long limit = 10; digits < 9 && v >= limit; limit *= 10) ++digits;
  return digits;
}

int TextWidth(int glyphs) { return std::max(std::min(glyphs, glsl::MAXS) * 6 - 1, 0); }

int TruncDiv(long long a, long long b) { return static_cast<int>(a >= 0 ? a / b : -((-a) / b)); }

// The integer scales the shader may derive from a float size: the value
// itself and, where rounding on another machine could tip it, its neighbours.
std::vector<int> ScaleCandidates(float size) {
  const int scale = static_cast<int>(size);
  std::vector<int> candidates{scale};
  const float nearest = std::round(size);
  if (std::fabs(size - nearest) < 1e-3f) {
    candidates.push_back(scale - 1);
    candidates.push_back(scale + 1);
  }
  return candidates;
}

struct Builder {
  int width, height;
  std::vector<PixelRect> rects;

  void Add(long long x0, long long y0, long long x1, long long y1, unsigned features) {
    x0 = std::max<long long>(x0, 0);
    y0 = std::max<long long>(y0, 0);
    x1 = std::min<long long>(x1, width);
    y1 = std::min<long long>(y1, height);
    if (x0 >= x1 || y0 >= y1) return;
    rects.push_back({static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1),
                     static_cast<int>(y1), features});
  }
};

void PanelTexts(const RegionInputs& in, Builder& out) {
  const FrameParameters& p = in.p;
  const long long pw = std::max(p.panelWidth, 1), ph = std::max(p.panelHeight, 1);
  const long long firstCol = std::max<long long>(0, -static_cast<long long>(p.offsetX)) / pw;
  const long long firstRow = std::max<long long>(0, -static_cast<long long>(p.offsetY)) / ph;
  const long long lastCol = (static_cast<long long>(in.width) - 1 - p.offsetX);
  const long long lastRow = (static_cast<long long>(in.height) - 1 - p.offsetY);
  if (lastCol < 0 || lastRow < 0) return;  // the grid starts beyond the output
  const long long cols = lastCol / pw - firstCol + 1, rows = lastRow / ph - firstRow + 1;
  if (cols * rows > kMaxPanels) {
    out.Add(0, 0, in.width, in.height, kRegionLabel | kRegionCoords);
    return;
  }

  const int lw = p.lineWidth;
  const long long avail = pw - 2LL * lw - 4;
  const int nCols = std::max(1, TruncDiv(static_cast<long long>(in.width) - p.offsetX + pw - 1, pw));
  const float aSize = static_cast<float>(std::min(pw, ph)) * (0.12f + 0.6f * p.numberSize) / 7.0f;
  const std::vector<int> aCandidates = ScaleCandidates(aSize);

  for (long long cy = firstRow; cy < firstRow + rows; ++cy) {
    for (long long cx = firstCol; cx < firstCol + cols; ++cx) {
      const long long left = p.offsetX + cx * pw, top = p.offsetY + cy * ph;
      auto addLocal = [&](long long x0, long long y0, long long x1, long long y1, unsigned f) {
        x0 = std::max<long long>(x0, 0);
        y0 = std::max<long long>(y0, 0);
        x1 = std::min(x1, pw);
        y1 = std::min(y1, ph);
        if (x0 < x1 && y0 < y1) out.Add(left + x0, top + y0, left + x1, top + y1, f);
      };

      // Label, centred at the largest scale that fits.
      const int glyphs = p.labelMode == 0
                             ? (cx >= 26 ? 2 : 1) + Digits(Wrap(cy + 1))
                             : Digits(Wrap(cy * nCols + cx + 1));
      const long long sw = TextWidth(glyphs);
      for (int a : aCandidates) {
        const long long b = TruncDiv(avail, std::max<long long>(sw, 1));
        const long long sc = std::max<long long>(1, std::min<long long>(a, b));
        const long long ox = TruncDiv(pw - sw * sc, 2), oy = TruncDiv(ph - 7 * sc, 2);
        addLocal(ox, oy, ox + sw * sc, oy + 7 * sc, kRegionLabel);
      }

      // Coordinate tag at scale 1 inside the border, where it fits.
      if (ph >= 28) {
        const long long tw = TextWidth(Digits(Wrap(left)) + 1 + Digits(Wrap(top)));
        if (tw <= avail) addLocal(lw + 2, lw + 2, lw + 2 + tw, lw + 2 + 7, kRegionCoords);
      }
    }
  }
}

void CornerTexts(const RegionInputs& in, Builder& out) {
  const int w = in.width, h = in.height;
  const float size = static_cast<float>(std::min(h, (w * 9) / 16)) *
                     (0.012f + 0.03f * in.p.numberSize) / 7.0f;
  const long long bt = std::max(3LL * in.p.lineWidth, 4LL);
  for (int candidate : ScaleCandidates(size)) {
    const long long sc = std::max(1, candidate);
    const long long in0 = bt + 4 + sc;
    for (int k = 0; k < 4; ++k) {
      const bool right = (k & 1) == 1, bottom = k >= 2;
      const long long tw = TextWidth(Digits(right ? w - 1 : 0) + 1 + Digits(bottom ? h - 1 : 0));
      const long long ox = right ? w - in0 - tw * sc : in0;
      const long long oy = bottom ? h - in0 - 7 * sc : in0;
      out.Add(ox - sc, oy - sc, ox + tw * sc + sc, oy + 7 * sc + sc, kRegionCoords);
    }
  }
}

// The ball's centre and how far its drawing reaches from it: disc, ring and
// crosshair all lie within the ring's outer edge. False, with the whole
// output marked moving, where any of it is not a finite size on the output.
bool BallReach(const RegionInputs& in, Builder& out, double& reach, double& bx, double& by) {
  const AnimationValues& m = in.motion;
  reach = static_cast<double>(m.ballRadius) + std::max(in.p.lineWidth, 2) * 0.5 + 2.0;
  bx = m.ballX;
  by = m.ballY;
  if (!std::isfinite(reach) || !std::isfinite(bx) || !std::isfinite(by) || reach > kMaxDimension ||
      std::fabs(bx) > kMaxDimension || std::fabs(by) > kMaxDimension) {
    out.Add(0, 0, in.width, in.height, kRegionMoving);
    return false;
  }
  return true;
}

void MovingElement(const RegionInputs& in, Builder& out) {
  const AnimationValues& m = in.motion;
  out.Add(m.barX, 0, static_cast<long long>(m.barX) + m.barWidth, in.height, kRegionMoving);
  double reach = 0, bx = 0, by = 0;
  if (!BallReach(in, out, reach, bx, by)) return;
  out.Add(static_cast<long long>(std::floor(bx - reach)), static_cast<long long>(std::floor(by - reach)),
          static_cast<long long>(std::ceil(bx + reach)) + 1,
          static_cast<long long>(std::ceil(by + reach)) + 1, kRegionMoving);
}

// The ball's reach (as MovingElement's square has it) as strips of a few
// rows, each as wide as the disc is over its rows: about a fifth less than
// the square, and what the general program draws every frame.
void BallStrips(const RegionInputs& in, Builder& out) {
  constexpr int kStripRows = 8;
  double reach = 0, bx = 0, by = 0;
  if (!BallReach(in, out, reach, bx, by)) return;
  const long long top = static_cast<long long>(std::floor(by - reach));
  const long long bottom = static_cast<long long>(std::ceil(by + reach)) + 1;
  for (long long y0 = top; y0 < bottom; y0 += kStripRows) {
    const long long y1 = std::min(bottom, y0 + kStripRows);
    // The strip's pixel centre nearest the ball's centre, in rows.
    const double nearest = std::clamp(by, static_cast<double>(y0) + 0.5, static_cast<double>(y1) - 0.5);
    const double dy = std::fabs(nearest - by);
    if (dy > reach) continue;
    const double half = std::sqrt(reach * reach - dy * dy);
    out.Add(static_cast<long long>(std::floor(bx - half)), y0,
            static_cast<long long>(std::ceil(bx + half)) + 1, y1, kRegionMoving);
  }
}

void InfoBox(const RegionInputs& in, Builder& out) {
  const int w = in.width, h = in.height;
  const float size = static_cast<float>(std::min(w, (h * 16) / 9)) * 9.0f / 16.0f *
                     (0.02f + 0.06f * in.p.numberSize) / 7.0f;
  for (int candidate : ScaleCandidates(size)) {
    const long long sc1 = std::max(1, candidate);
    const long long sc2 = std::max<long long>(1, sc1 / 2);
    const long long pad = std::max<long long>(3, sc1);
    const long long gap = 2 * sc2;
    const bool twoLines = in.line2Count > 0;
    const long long tw1 = TextWidth(in.line1Count) * sc1;
    const long long tw2 = twoLines ? TextWidth(in.line2Count) * sc2 : 0;
    const long long th = 7 * sc1 + (twoLines ? gap + 7 * sc2 : 0);
    const long long bw = std::max(tw1, tw2) + 2 * pad, bh = th + 2 * pad;
    const long long x0 = TruncDiv(w - bw, 2), y0 = TruncDiv(h - bh, 2);
    out.Add(x0 - 1, y0 - 1, x0 + bw + 1, y0 + bh + 1, kRegionInfo);
  }
}

void CreditTag(const RegionInputs& in, Builder& out) {
  const long long w = in.width, h = in.height;
  const long long sc = std::max<long long>(1, std::min(w, (h * 16) / 9) / 640);
  const long long pad = std::max<long long>(2, 2 * sc);
  const long long creditWidth = TextWidth(glsl::CREDIT_LEN);
  const long long ox = w - 2 * pad - creditWidth * sc, oy = h - 2 * pad - 7 * sc;
  out.Add(ox - pad, oy - pad, ox + creditWidth * sc + pad, oy + 7 * sc + pad, kRegionCredit);
}

}  // namespace

unsigned FrameFeatures(const RegionInputs& in) {
  const FrameParameters& p = in.p;
  unsigned all = 0;
  if (p.pattern == glsl::PATTERN_GRID) all |= kRegionLabel | kRegionCoords;
  if (p.pattern == glsl::PATTERN_RASTER && p.showResolution) all |= kRegionCoords;
  if (p.moving) all |= kRegionMoving;
  if (p.showResolution && in.line1Count > 0) all |= kRegionInfo;
  if (p.credit) all |= kRegionCredit;
  return all;
}

std::vector<PixelRect> FeatureRects(const RegionInputs& in) {
  Builder out{in.width, in.height, {}};
  const FrameParameters& p = in.p;
  const bool info = p.showResolution && in.line1Count > 0;
  if (in.width > kMaxDimension || in.height > kMaxDimension) {
    out.Add(0, 0, in.width, in.height, FrameFeatures(in));
    return out.rects;
  }
  if (p.pattern == glsl::PATTERN_GRID) PanelTexts(in, out);
  if (p.pattern == glsl::PATTERN_RASTER && p.showResolution) CornerTexts(in, out);
  if (p.moving) MovingElement(in, out);
  if (info) InfoBox(in, out);
  if (p.credit) CreditTag(in, out);
  return out.rects;
}

std::vector<PixelRect> StillFeatureRects(const RegionInputs& in) {
  RegionInputs still = in;
  still.p.moving = false;
  return FeatureRects(still);
}

std::vector<PixelRect> ChangingRects(const RegionInputs& in) {
  Builder out{in.width, in.height, {}};
  const FrameParameters& p = in.p;
  const bool sweep = p.pattern == glsl::PATTERN_SWEEP;
  if (in.width > kMaxDimension || in.height > kMaxDimension) {
    if (sweep || p.moving)
      out.Add(0, 0, in.width, in.height, kRegionChanging | (p.moving ? kRegionMoving : 0u));
    return out.rects;
  }
  if (p.moving) {
    const AnimationValues& m = in.motion;
    out.Add(m.barX, 0, static_cast<long long>(m.barX) + m.barWidth, in.height, kRegionBar);
    BallStrips(in, out);
  }
  if (sweep) {
    const AnimationValues& m = in.motion;
    const long long lw = p.lineWidth;
    out.Add(m.sweepX, 0, m.sweepX + lw, in.height, kRegionChanging);
    out.Add(0, m.sweepY, in.width, m.sweepY + lw, kRegionChanging);
  }
  return out.rects;
}

std::vector<PixelRect> PartitionOutput(int width, int height,
                                       const std::vector<PixelRect>& features) {
  std::vector<int> ys{0, height};
  for (const PixelRect& r : features) {
    ys.push_back(std::clamp(r.y0, 0, height));
    ys.push_back(std::clamp(r.y1, 0, height));
  }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

  std::vector<PixelRect> result;
  std::vector<PixelRect> previousBand;  // the last band's pieces, still open
  std::size_t previousStart = 0;
  for (std::size_t band = 0; band + 1 < ys.size(); ++band) {
    const int y0 = ys[band], y1 = ys[band + 1];
    std::vector<const PixelRect*> active;
    std::vector<int> xs{0, width};
    for (const PixelRect& r : features) {
      if (r.y0 > y0 || r.y1 < y1 || r.x0 >= r.x1) continue;
      active.push_back(&r);
      xs.push_back(std::clamp(r.x0, 0, width));
      xs.push_back(std::clamp(r.x1, 0, width));
    }
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());

    std::vector<PixelRect> pieces;
    for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
      unsigned mask = 0;
      for (const PixelRect* r : active)
        if (r->x0 <= xs[i] && r->x1 >= xs[i + 1]) mask |= r->features;
      if (!pieces.empty() && pieces.back().features == mask)
        pieces.back().x1 = xs[i + 1];
      else
        pieces.push_back({xs[i], y0, xs[i + 1], y1, mask});
    }

    // A band cut exactly like the one above it extends that one downward.
    const bool same = pieces.size() == previousBand.size() &&
                      std::equal(pieces.begin(), pieces.end(), previousBand.begin(),
                                 [](const PixelRect& a, const PixelRect& b) {
                                   return a.x0 == b.x0 && a.x1 == b.x1 && a.features == b.features;
                                 });
    if (same) {
      for (std::size_t i = 0; i < pieces.size(); ++i) result[previousStart + i].y1 = y1;
      continue;
    }
    previousStart = result.size();
    result.insert(result.end(), pieces.begin(), pieces.end());
    previousBand = std::move(pieces);
  }
  return result;
}

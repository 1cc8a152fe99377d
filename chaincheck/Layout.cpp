#include "chaincheck/Layout.h"

#include <algorithm>
#include <cmath>

#include "signal/CodeRules.h"

namespace chaincheck {
namespace {

namespace sig = veltrima::signal;

constexpr int kReferenceWidth = 1920, kReferenceHeight = 1080;

// The reference geometry, 1920 x 1080 (see the header).
constexpr int kStripX = 64, kStripY = 64, kStripCellWidth = 24, kStripHeight = 32;
constexpr int kStepsX = 80, kStepsY = 128, kStepWidth = 40, kStepHeight = 48, kStepsPerRow = 44;
constexpr int kRampY0 = 256, kRampY1 = 320;
constexpr int kSaturatedX = 96, kSaturatedY0 = 352, kSaturatedY1 = 432, kSaturatedWidth = 72;
constexpr int kZoneY0 = 464, kZoneY1 = 560;  // chroma
constexpr int kGrilleY0 = 592, kGrilleY1 = 688;
// The chroma zone's and the grille's blocks, left edges, each 384 wide.
constexpr std::array<int, 4> kBlockX{96, 512, 928, 1344};
constexpr int kBlockWidth = 384;
constexpr int kCornerArm = 24;

// round(e · size / reference), halves up (edges are never negative).
int Scale(int e, int size, int reference) {
  return static_cast<int>((2LL * e * size + reference) / (2LL * reference));
}

class Grid {
 public:
  Grid(int width, int height) : width_(width), height_(height) {}
  int X(int e) const { return Scale(e, width_, kReferenceWidth); }
  int Y(int e) const { return Scale(e, height_, kReferenceHeight); }
  Box Scaled(int x0, int y0, int x1, int y1) const { return {X(x0), Y(y0), X(x1), Y(y1)}; }

 private:
  int width_, height_;
};

Codes Grey(int c) { return {c, c, c}; }

int LevelCode(sig::Range range, double level) {
  const int black = sig::BlackCode(range), white = sig::WhiteCode(range);
  return black + static_cast<int>(std::lround(level * (white - black)));
}

// Linear light of one channel's E' and back, per channel: PQ and SDR by
// their EOTFs, HLG as scene light (the inverse OETF), so that a matrix in
// this domain is the one BT.2087 gives.
double ToLinear(const sig::Signal& s, double e, int peak) {
  const double nits = sig::NitsFromSignal(s.transfer, e, peak);
  if (s.transfer != sig::Transfer::Hlg) return nits;
  return std::pow(nits / peak, 1.0 / sig::HlgSystemGamma(peak));
}
double FromLinear(const sig::Signal& s, double linear, int peak) {
  if (s.transfer != sig::Transfer::Hlg) return sig::SignalFromNits(s.transfer, linear, peak);
  return sig::SignalFromNits(s.transfer, peak * std::pow(std::max(linear, 0.0), sig::HlgSystemGamma(peak)),
                             peak);
}

// BT.2087's matrix from linear BT.709 to linear BT.2020 RGB.
constexpr double kBt709To2020[3][3] = {{0.6274, 0.3293, 0.0433},
                                       {0.0691, 0.9195, 0.0114},
                                       {0.0164, 0.0880, 0.8956}};

struct Hue {
  const char* name;
  int r, g, b;
};
constexpr std::array<Hue, 6> kHues{{{"R", 1, 0, 0}, {"G", 0, 1, 0}, {"B", 0, 0, 1},
                                    {"C", 0, 1, 1}, {"M", 1, 0, 1}, {"Y", 1, 1, 0}}};

void AddCorners(Layout& layout, int width, int height, const Grid& grid, const Codes& white) {
  const int armX = std::max(1, grid.X(kCornerArm)), armY = std::max(1, grid.Y(kCornerArm));
  for (const bool right : {false, true})
    for (const bool bottom : {false, true}) {
      const int x = right ? width - 1 : 0, y = bottom ? height - 1 : 0;
      const int hx0 = right ? width - armX : 0, vy0 = bottom ? height - armY : 0;
      layout.areas.push_back({Part::Corner, 0, {hx0, y, hx0 + armX, y + 1}, white});
      layout.areas.push_back({Part::Corner, 0, {x, vy0, x + 1, vy0 + armY}, white});
    }
}

void AddStrip(Layout& layout, const StripContent& content, const Grid& grid, const Codes& white) {
  const StripCells cells = EncodeStrip(content);
  layout.strip = grid.Scaled(kStripX, kStripY, kStripX + kStripCells * kStripCellWidth,
                             kStripY + kStripHeight);
  for (int k = 0; k < kStripCells; ++k) {
    if (!cells[static_cast<std::size_t>(k)]) continue;
    layout.areas.push_back({Part::StripCell, k,
                            grid.Scaled(kStripX + k * kStripCellWidth, kStripY,
                                        kStripX + (k + 1) * kStripCellWidth, kStripY + kStripHeight),
                            white});
  }
  layout.stripLabel = grid.Scaled(kStripX + kStripCells * kStripCellWidth + 32, kStripY - 8,
                                  kReferenceWidth - 32, kStripY + kStripHeight + 8);
}

void AddSteps(Layout& layout, sig::Range range, const Grid& grid) {
  const std::vector<int> codes = GreyStepCodes(range);
  for (std::size_t i = 0; i < codes.size(); ++i) {
    const int column = static_cast<int>(i) % kStepsPerRow, row = static_cast<int>(i) / kStepsPerRow;
    const int x = kStepsX + column * kStepWidth, y = kStepsY + row * kStepHeight;
    layout.areas.push_back({Part::GreyStep, static_cast<int>(i),
                            grid.Scaled(x, y, x + kStepWidth, y + kStepHeight), Grey(codes[i])});
  }
}

void AddRamp(Layout& layout, int width, const Grid& grid) {
  const int left = (width - (sig::kMaxCode + 1)) / 2;
  for (int code = 0; code <= sig::kMaxCode; ++code) {
    const int x = left + code;
    if (x < 0 || x >= width) continue;
    layout.areas.push_back({Part::Ramp, code, {x, grid.Y(kRampY0), x + 1, grid.Y(kRampY1)}, Grey(code)});
  }
}

void AddSaturated(Layout& layout, const StripContent& content, const Grid& grid) {
  const std::vector<SaturatedPatch> patches = SaturatedPatches(content.signal, content.peakNits);
  for (std::size_t i = 0; i < patches.size(); ++i) {
    const int x = kSaturatedX + static_cast<int>(i) * kSaturatedWidth;
    layout.areas.push_back({Part::Saturated, static_cast<int>(i),
                            grid.Scaled(x, kSaturatedY0, x + kSaturatedWidth, kSaturatedY1),
                            patches[i].codes});
  }
}

// The chroma zone: two red-green edges, one at an even column and one at an
// odd one, then the constant-luma pair alternating by column and by row.
void AddChromaZone(Layout& layout, const sig::Signal& s, const Grid& grid) {
  const int on = LevelCode(s.range, 0.75), off = sig::BlackCode(s.range);
  const Codes red{on, off, off}, green{off, on, off};
  const int y0 = grid.Y(kZoneY0), y1 = grid.Y(kZoneY1);
  for (int parity = 0; parity < 2; ++parity) {
    const int x0 = grid.X(kBlockX[static_cast<std::size_t>(parity)]);
    const int x1 = grid.X(kBlockX[static_cast<std::size_t>(parity)] + kBlockWidth);
    const int edge = (((x0 + x1) / 2) & ~1) + parity;
    layout.areas.push_back({Part::ChromaEdge, parity, {x0, y0, edge, y1}, red});
    layout.areas.push_back({Part::ChromaEdge, parity, {edge, y0, x1, y1}, green});
  }
  const std::array<Codes, 2> pair = ChromaOpposedPair(s);
  const Box columns{grid.X(kBlockX[2]), y0, grid.X(kBlockX[2] + kBlockWidth), y1};
  for (int x = columns.x0; x < columns.x1; ++x)
    layout.areas.push_back({Part::ChromaAlternation, 0, {x, y0, x + 1, y1}, pair[static_cast<std::size_t>(x & 1)]});
  const int rx0 = grid.X(kBlockX[3]), rx1 = grid.X(kBlockX[3] + kBlockWidth);
  for (int y = y0; y < y1; ++y)
    layout.areas.push_back({Part::ChromaAlternation, 1, {rx0, y, rx1, y + 1}, pair[static_cast<std::size_t>(y & 1)]});
}

// White lines one pixel wide on even columns, then on even rows.
void AddGrille(Layout& layout, const Grid& grid, const Codes& white) {
  const int y0 = grid.Y(kGrilleY0), y1 = grid.Y(kGrilleY1);
  const int cx0 = grid.X(kBlockX[0]), cx1 = grid.X(kBlockX[0] + kBlockWidth);
  for (int x = (cx0 + 1) & ~1; x < cx1; x += 2)
    layout.areas.push_back({Part::Grille, 0, {x, y0, x + 1, y1}, white});
  const int rx0 = grid.X(kBlockX[1]), rx1 = grid.X(kBlockX[1] + kBlockWidth);
  for (int y = (y0 + 1) & ~1; y < y1; y += 2)
    layout.areas.push_back({Part::Grille, 1, {rx0, y, rx1, y + 1}, white});
}

}  // namespace

std::vector<int> GreyStepCodes(sig::Range range) {
  std::vector<int> codes;
  const int black = sig::BlackCode(range), white = sig::WhiteCode(range);
  if (range == sig::Range::Narrow)
    codes = {4, 8, 16, 24, 32, 40, 48, 52, 56, 60, 62, 63};
  else
    codes = {1, 2, 4, 8, 12};
  std::vector<int> ladder;
  constexpr int kLadderSteps = 64;
  for (int k = 0; k <= kLadderSteps; ++k)
    ladder.push_back(black + (2 * k * (white - black) + kLadderSteps) / (2 * kLadderSteps));
  if (range == sig::Range::Narrow) {
    codes.insert(codes.end(), ladder.begin(), ladder.end());
    codes.insert(codes.end(), {941, 942, 944, 948, 956, 972, 988, 1004, 1019});
  } else {
    codes.insert(codes.begin(), ladder.front());
    codes.insert(codes.end(), ladder.begin() + 1, ladder.end() - 1);
    codes.insert(codes.end(), {1011, 1015, 1019, 1021, 1022, 1023});
  }
  return codes;
}

std::vector<SaturatedPatch> SaturatedPatches(const sig::Signal& s, int peakNits) {
  std::vector<SaturatedPatch> patches;
  const int peak = std::max(peakNits, 1);
  const int black = sig::BlackCode(s.range);
  for (const bool bt709 : {false, true})
    for (const int percent : {100, 75}) {
      const int on = LevelCode(s.range, percent / 100.0);
      for (const Hue& hue : kHues) {
        std::string name = std::string(hue.name) + (bt709 ? "709 " : " ") + std::to_string(percent);
        if (!bt709) {
          patches.push_back({name, {hue.r ? on : black, hue.g ? on : black, hue.b ? on : black}});
          continue;
        }
        const Codes codes = Bt709ColourInBt2020(s, peak, on, hue.r, hue.g, hue.b);
        patches.push_back({name, codes});
      }
    }
  return patches;
}

namespace {

// E' of BT.709 R'G'B' as E' of the same colour in BT.2020.
std::array<double, 3> Bt709SignalInBt2020(const sig::Signal& s, int peakNits, const std::array<double, 3>& e) {
  const int peak = std::max(peakNits, 1);
  std::array<double, 3> in{}, out{};
  for (std::size_t c = 0; c < 3; ++c) in[c] = ToLinear(s, std::clamp(e[c], 0.0, 1.0), peak);
  for (std::size_t row = 0; row < 3; ++row) {
    double light = 0;
    for (std::size_t col = 0; col < 3; ++col) light += kBt709To2020[row][col] * in[col];
    out[row] = FromLinear(s, light, peak);
  }
  return out;
}

}  // namespace

Codes Bt709ColourInBt2020(const sig::Signal& s, int peakNits, int level, bool red, bool green,
                          bool blue) {
  const double on = sig::SignalFromCode(s.range, level);
  const std::array<double, 3> e = Bt709SignalInBt2020(s, peakNits, {red ? on : 0.0, green ? on : 0.0, blue ? on : 0.0});
  Codes codes{};
  for (std::size_t c = 0; c < 3; ++c) codes[c] = sig::CodeFromSignal(s.range, e[c]);
  return codes;
}

std::array<double, 3> Bt709CodesInBt2020(const sig::Signal& s, int peakNits, const std::array<double, 3>& codes) {
  const double black = sig::BlackCode(s.range), swing = sig::WhiteCode(s.range) - black;
  std::array<double, 3> e{};
  for (std::size_t c = 0; c < 3; ++c) e[c] = (codes[c] - black) / swing;
  e = Bt709SignalInBt2020(s, peakNits, e);
  for (double& v : e) v = black + v * swing;
  return e;
}

std::array<Codes, 2> ChromaOpposedPair(const sig::Signal& s) {
  const sig::LumaWeights w = sig::LumaWeightsOf(sig::MatrixOf(s.transfer));
  const int black = sig::BlackCode(s.range), white = sig::WhiteCode(s.range);
  const int mid = (black + white) / 2;
  const int swing = static_cast<int>(std::lround(0.18 * (white - black)));
  // R' and B' up by the swing, G' down so that luma stays (Cb and Cr both
  // rise); the other colour mirrors it about the grey.
  const int green = static_cast<int>(std::lround((w.red + w.blue) * swing / w.green));
  return {{{mid + swing, mid - green, mid + swing}, {mid - swing, mid + green, mid - swing}}};
}

Layout MakeStripLayout(const StripContent& content, int width, int height) {
  Layout layout;
  if (width <= 0 || height <= 0) return layout;
  layout.background = Grey(sig::BlackCode(content.signal.range));
  AddStrip(layout, content, Grid(width, height), Grey(sig::WhiteCode(content.signal.range)));
  return layout;
}

Layout MakeLayout(const StripContent& content, int width, int height) {
  Layout layout;
  if (width <= 0 || height <= 0) return layout;
  const Grid grid(width, height);
  const sig::Range range = content.signal.range;
  const Codes white = Grey(sig::WhiteCode(range));
  layout.background = Grey(sig::BlackCode(range));
  AddStrip(layout, content, grid, white);
  AddSteps(layout, range, grid);
  AddRamp(layout, width, grid);
  AddSaturated(layout, content, grid);
  AddChromaZone(layout, content.signal, grid);
  AddGrille(layout, grid, white);
  AddCorners(layout, width, height, grid, white);
  layout.titleLabel = grid.Scaled(96, 720, kReferenceWidth - 96, kReferenceHeight - 48);
  return layout;
}

}  // namespace chaincheck

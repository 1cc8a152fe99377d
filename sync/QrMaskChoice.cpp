#include "sync/QrMaskChoice.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

using qrcodegen::QrCode;

constexpr int kMaxSize = 4 * kQrFastMaxVersion + 17;
constexpr int kMasks = 8;
// Every symbol the layout keeps room for takes the fast path, and a line
// with four modules of margin on each side fits one 64-bit word.
static_assert(kMaxSize + 2 * kQrQuietModules == kQrReservedModules,
              "the fast mask choice covers the largest symbol the layout reserves");
static_assert(kMaxSize + 8 <= 64, "a line and its margins fit 64 bits");

// One bit per module: lines[y] bit x for rows, lines[x] bit y for columns.
using Lines = std::array<std::uint64_t, kMaxSize>;

// Set bits, by halves (a library call where the target has no popcount instruction).
int Count(std::uint64_t bits) {
  bits -= (bits >> 1) & 0x5555555555555555u;
  bits = (bits & 0x3333333333333333u) + ((bits >> 2) & 0x3333333333333333u);
  bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return static_cast<int>((bits * 0x0101010101010101u) >> 56);
}

// The low `n` bits.
std::uint64_t Low(int n) { return n >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1; }

// Row i, column j: the eight mask conditions of the QR standard.
bool MaskDark(int mask, int x, int y) {
  const int i = y;
  const int j = x;
  switch (mask) {
    case 0: return (i + j) % 2 == 0;
    case 1: return i % 2 == 0;
    case 2: return j % 3 == 0;
    case 3: return (i + j) % 3 == 0;
    case 4: return (i / 2 + j / 3) % 2 == 0;
    case 5: return (i * j) % 2 + (i * j) % 3 == 0;
    case 6: return ((i * j) % 2 + (i * j) % 3) % 2 == 0;
    default: return ((i + j) % 2 + (i * j) % 3) % 2 == 0;
  }
}

// Sets module (x, y) in a pair of row and column lines.
void Set(Lines& rows, Lines& cols, int x, int y) {
  rows[static_cast<std::size_t>(y)] |= std::uint64_t{1} << x;
  cols[static_cast<std::size_t>(x)] |= std::uint64_t{1} << y;
}

// The eight mask patterns over the largest symbol; a smaller one reads the
// low bits of its first lines.
struct MaskLines {
  std::array<Lines, kMasks> rows{};
  std::array<Lines, kMasks> cols{};
};

const MaskLines& MaskPatterns() {
  static const MaskLines patterns = [] {
    MaskLines p;
    for (int m = 0; m < kMasks; ++m)
      for (int y = 0; y < kMaxSize; ++y)
        for (int x = 0; x < kMaxSize; ++x)
          if (MaskDark(m, x, y)) Set(p.rows[m], p.cols[m], x, y);
    return p;
  }();
  return patterns;
}

// The 15 format bits for error correction M (indicator 00) and `mask`: a
// BCH(15,5) code with generator x^10+x^8+x^5+x^4+x^2+x+1, XORed with
// 101010000010010 so that no format is all light.
int FormatBits(int mask) {
  const int data = mask;  // error correction M's two indicator bits are 00
  int remainder = data;
  for (int i = 0; i < 10; ++i) remainder = (remainder << 1) ^ (((remainder >> 9) & 1) * 0x537);
  return ((data << 10) | (remainder & 0x3FF)) ^ 0x5412;
}

// Calls place(x, y) for the two modules of format bit `bit` (0 the least
// significant): one copy around the top-left finder, one split between the
// top-right and bottom-left finders.
template <typename Place>
void FormatModules(int size, int bit, Place place) {
  if (bit < 6) place(8, bit);
  else if (bit < 8) place(8, bit + 1);  // past the timing row
  else if (bit == 8) place(7, 8);
  else place(14 - bit, 8);
  if (bit < 8) place(size - 1 - bit, 8);
  else place(8, size - 15 + bit);
}

// What is fixed in a symbol of one version: the modules that carry data
// (those a mask changes), the format modules, and each mask's format bits.
struct VersionLines {
  int size = 0;
  Lines dataRows{}, dataCols{};
  Lines formatAreaRows{}, formatAreaCols{};
  std::array<Lines, kMasks> formatRows{}, formatCols{};
};

// Centres of the alignment patterns on each axis, versions 2 to 7.
std::vector<int> AlignmentCentres(int version) {
  if (version == 1) return {};
  if (version < 7) return {6, 4 * version + 10};
  return {6, 22, 38};
}

VersionLines MakeVersionLines(int version) {
  VersionLines v;
  const int s = 4 * version + 17;
  v.size = s;
  Lines functionRows{}, functionCols{};
  auto function = [&](int x0, int y0, int w, int h) {
    for (int y = y0; y < y0 + h; ++y)
      for (int x = x0; x < x0 + w; ++x) Set(functionRows, functionCols, x, y);
  };
  // Finders with their separators, the timing lines, the dark module.
  function(0, 0, 8, 8);
  function(s - 8, 0, 8, 8);
  function(0, s - 8, 8, 8);
  function(0, 6, s, 1);
  function(6, 0, 1, s);
  function(8, s - 8, 1, 1);
  const std::vector<int> centres = AlignmentCentres(version);
  const std::size_t n = centres.size();
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j) {
      const bool onFinder = (i == 0 && j == 0) || (i == 0 && j == n - 1) || (i == n - 1 && j == 0);
      if (!onFinder) function(centres[i] - 2, centres[j] - 2, 5, 5);
    }
  if (version >= 7) {
    function(0, s - 11, 6, 3);
    function(s - 11, 0, 3, 6);
  }
  for (int bit = 0; bit < 15; ++bit) {
    FormatModules(s, bit, [&](int x, int y) {
      Set(functionRows, functionCols, x, y);
      Set(v.formatAreaRows, v.formatAreaCols, x, y);
    });
    for (int m = 0; m < kMasks; ++m)
      if ((FormatBits(m) >> bit) & 1)
        FormatModules(s, bit, [&](int x, int y) { Set(v.formatRows[m], v.formatCols[m], x, y); });
  }
  for (int k = 0; k < s; ++k) {
    v.dataRows[k] = Low(s) & ~functionRows[k];
    v.dataCols[k] = Low(s) & ~functionCols[k];
  }
  return v;
}

const VersionLines& Version(int version) {
  static const std::array<VersionLines, kQrFastMaxVersion> all = [] {
    std::array<VersionLines, kQrFastMaxVersion> a;
    for (int v = 1; v <= kQrFastMaxVersion; ++v) a[v - 1] = MakeVersionLines(v);
    return a;
  }();
  return all[version - 1];
}

struct BitSymbol {
  int size = 0;
  Lines rows{}, cols{};
};

// ---- The four penalty rules, a line at a time ----

constexpr int kRunPenalty = 3;      // a run of five, and one more per module past five
constexpr int kBlockPenalty = 3;    // each 2x2 block of one colour
constexpr int kFinderPenalty = 40;  // each finder-like pattern
constexpr int kBalancePenalty = 10; // each 5 % of dark share past the first 5 % from half

// Runs of five or more modules of one colour in a line.
int RunPenalty(std::uint64_t line, int size) {
  const std::uint64_t same = ~(line ^ (line >> 1)) & Low(size - 1);  // module x as module x+1
  const std::uint64_t five = same & (same >> 1) & (same >> 2) & (same >> 3);
  const std::uint64_t starts = five & ~(five << 1);
  // A run of n >= 5 has n - 4 windows of five: (n - 4) + 2 = 3 + (n - 5).
  return Count(five) + (kRunPenalty - 1) * Count(starts);
}

// Finder-like runs dark:light:dark:light:dark of n:n:3n:n:n units, with light
// of at least 4n on one side and at least n on the other; each side with
// four units of light counts once. The margin around the symbol is light.
int FinderCount(std::uint64_t line, int size) {
  // One unit wide, bit-parallel, with four light modules of margin below bit
  // 0 (bits above the symbol are margin too). Bit s of `core`: 1011101 from
  // bit s; of `light4`: four light from bit s.
  const std::uint64_t w = line << 4;
  const std::uint64_t core = w & ~(w >> 1) & (w >> 2) & (w >> 3) & (w >> 4) & ~(w >> 5) & (w >> 6);
  int count = 0;
  if (core != 0) {
    const std::uint64_t light4 = ~(w | (w >> 1) | (w >> 2) | (w >> 3));
    const std::uint64_t lightBefore = core & (light4 << 4) & ~(w >> 7);
    const std::uint64_t lightAfter = core & ~(w << 1) & (light4 >> 7);
    count = Count(lightBefore) + Count(lightAfter);
  }
  // Two units or more: a dark run of six or more with two light modules on
  // each side inside the line. Most lines have none; those that do are
  // measured run by run.
  std::uint64_t six = line;
  for (int k = 1; k < 6; ++k) six &= line >> k;
  const std::uint64_t lead = six & ~(line << 1) & ~(line << 2);
  const std::uint64_t trail = (six << 5) & ~(line >> 1) & ~(line >> 2) & Low(size);
  if (lead == 0 || trail == 0) return count;
  constexpr int kMargin = 1 << 20;
  std::array<int, kMaxSize + 2> runs{};  // light first, then alternating
  std::size_t n = 0;
  runs[0] = kMargin;
  bool dark = false;
  for (int x = 0; x < size; ++x) {
    const bool d = ((line >> x) & 1) != 0;
    if (d != dark) {
      runs[++n] = 0;
      dark = d;
    }
    ++runs[n];
  }
  if (dark) runs[++n] = 0;
  runs[n] += kMargin;
  for (std::size_t i = 1; i + 5 <= n; i += 2) {
    const int u = runs[i];
    if (u < 2 || runs[i + 1] != u || runs[i + 2] != 3 * u || runs[i + 3] != u || runs[i + 4] != u)
      continue;
    const int before = runs[i - 1];
    const int after = runs[i + 5];
    count += (before >= 4 * u && after >= u) + (after >= 4 * u && before >= u);
  }
  return count;
}

int Penalty(const BitSymbol& b) {
  const int s = b.size;
  int score = 0;
  int dark = 0;
  for (int k = 0; k < s; ++k) {
    score += RunPenalty(b.rows[k], s) + RunPenalty(b.cols[k], s);
    score += kFinderPenalty * (FinderCount(b.rows[k], s) + FinderCount(b.cols[k], s));
    dark += Count(b.rows[k]);
  }
  for (int y = 0; y + 1 < s; ++y) {
    const std::uint64_t a = b.rows[y];
    const std::uint64_t same = ~(a ^ b.rows[y + 1]);
    const std::uint64_t across = ~(a ^ (a >> 1));
    score += kBlockPenalty * Count(same & (same >> 1) & across & Low(s - 1));
  }
  // k when the dark share lies more than 5k % and at most 5(k+1) % from half.
  const long total = static_cast<long>(s) * s;
  const long k = (std::labs(dark * 20L - total * 10L) + total - 1) / total - 1;
  return score + static_cast<int>(k) * kBalancePenalty;
}

// The symbol with its data unmasked and its format modules light.
std::optional<BitSymbol> Unmasked(const QrCode& code, const VersionLines*& lines) {
  if (code.getVersion() > kQrFastMaxVersion || code.getErrorCorrectionLevel() != QrCode::Ecc::MEDIUM)
    return std::nullopt;
  lines = &Version(code.getVersion());
  const MaskLines& masks = MaskPatterns();
  const int mask = code.getMask();
  BitSymbol b;
  b.size = code.getSize();
  for (int y = 0; y < b.size; ++y)
    for (int x = 0; x < b.size; ++x)
      if (code.getModule(x, y)) Set(b.rows, b.cols, x, y);
  for (int k = 0; k < b.size; ++k) {
    b.rows[k] = (b.rows[k] ^ (masks.rows[mask][k] & lines->dataRows[k])) & ~lines->formatAreaRows[k];
    b.cols[k] = (b.cols[k] ^ (masks.cols[mask][k] & lines->dataCols[k])) & ~lines->formatAreaCols[k];
  }
  return b;
}

BitSymbol Masked(const BitSymbol& unmasked, const VersionLines& lines, int mask) {
  const MaskLines& masks = MaskPatterns();
  BitSymbol b;
  b.size = unmasked.size;
  for (int k = 0; k < b.size; ++k) {
    b.rows[k] = (unmasked.rows[k] ^ (masks.rows[mask][k] & lines.dataRows[k])) | lines.formatRows[mask][k];
    b.cols[k] = (unmasked.cols[k] ^ (masks.cols[mask][k] & lines.dataCols[k])) | lines.formatCols[mask][k];
  }
  return b;
}

QrSymbol ToSymbol(const BitSymbol& b) {
  QrSymbol symbol;
  symbol.size = b.size;
  symbol.dark.resize(static_cast<std::size_t>(b.size) * b.size);
  for (int y = 0; y < b.size; ++y)
    for (int x = 0; x < b.size; ++x)
      symbol.dark[static_cast<std::size_t>(y * b.size + x)] = ((b.rows[y] >> x) & 1) != 0;
  return symbol;
}

}  // namespace

std::optional<std::array<QrSymbol, 8>> RemaskQr(const QrCode& code) {
  const VersionLines* lines = nullptr;
  const std::optional<BitSymbol> unmasked = Unmasked(code, lines);
  if (!unmasked) return std::nullopt;
  std::array<QrSymbol, 8> symbols;
  for (int m = 0; m < kMasks; ++m) symbols[m] = ToSymbol(Masked(*unmasked, *lines, m));
  return symbols;
}

std::optional<QrSymbol> ChooseQrMask(const QrCode& code) {
  const VersionLines* lines = nullptr;
  const std::optional<BitSymbol> unmasked = Unmasked(code, lines);
  if (!unmasked) return std::nullopt;
  BitSymbol best;
  int bestScore = 0;
  for (int m = 0; m < kMasks; ++m) {
    BitSymbol candidate = Masked(*unmasked, *lines, m);
    const int score = Penalty(candidate);
    if (m == 0 || score < bestScore) {
      best = candidate;
      bestScore = score;
    }
  }
  return ToSymbol(best);
}

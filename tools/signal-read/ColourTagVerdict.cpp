#include "tools/signal-read/ColourTagVerdict.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>

#include "signal/CodeRules.h"
#include "signal/Signal.h"
#include "tools/signal-read/TagVerdict.h"

namespace {

namespace sig = veltrima::signal;

constexpr double kIntact = 6;
// Y'CbCr patches decoded from their three planes' medians, separately
// taken and through 4:2:0 and compression, land within 8 codes of the sent
// codes by the matrix they were written with, 35 or more away by the other.
constexpr double kDecodes = 12;

std::string FamilyOf(const std::string& name,
                     std::initializer_list<std::pair<const char*, std::initializer_list<const char*>>> families) {
  for (const auto& [family, names] : families)
    for (const char* member : names)
      if (name == member) return family;
  return name;
}

std::string TransferName(sig::Transfer t) {
  return t == sig::Transfer::Pq ? "PQ" : t == sig::Transfer::Hlg ? "HLG" : "SDR";
}

std::string MatrixName(sig::Matrix m) { return m == sig::Matrix::Bt2020 ? "BT.2020" : "BT.709"; }

void Disagree(const char* tag, const std::string& declaredName, const std::string& declared,
              const std::string& measured, const std::string& why, GreyVerdict& v) {
  Fault f;
  f.name = "tags-disagree";
  f.evidence = "the file declares " + std::string(tag) + " " + declaredName + " (" + declared + "), but " + why +
               " " + measured;
  f.advice = "set the encoder's or capture's " + std::string(tag) + " tag to " + measured +
             " (a player that trusts the tag shows the picture wrong)";
  f.numbers = {{"tag", tag}, {"declared", declared}, {"measured", measured}};
  v.faults.push_back(f);
}

// Where the ladder's line puts a sent code.
double OnLine(const GreyVerdict& v, double sent) { return v.gain * sent + v.offset; }

void CheckTransfer(const ChainReading& r, const DeclaredTags& d, GreyVerdict& v) {
  if (d.transfer.empty() || v.unexplained) return;
  std::string measured = TransferName(r.strip.content.signal.transfer);
  for (const Fault& f : v.faults)
    if (f.name == "transfer-converted") measured = f.numbers.value("to", measured);
  const std::string declared = TransferFamily(d.transfer);
  if (declared != measured)
    Disagree("transfer", d.transfer, declared, measured, "the grey ladder carries the curve sent,", v);
}

void CheckPrimaries(const ChainReading& r, const DeclaredTags& d, GreyVerdict& v) {
  if (d.primaries.empty() || r.patches.empty() || v.unexplained) return;
  for (const PatchMeasure& p : r.patches)
    for (std::size_t c = 0; c < 3; ++c)
      if (std::abs(p.received[c] - OnLine(v, p.sent[c])) > kIntact) return;
  const std::string measured = MatrixName(sig::MatrixOf(r.strip.content.signal.transfer));
  const std::string declared = PrimariesFamily(d.primaries);
  if (declared != measured)
    Disagree("primaries", d.primaries, declared, measured, "the saturated patches arrive as sent, in", v);
}

// A patch's Y'CbCr decoded by `matrix` in `range`, as R'G'B' codes.
std::array<double, 3> Decoded(const PatchMeasure& p, sig::Range range, sig::Matrix matrix) {
  const double black = sig::BlackCode(range), swing = sig::WhiteCode(range) - black;
  const double chromaSwing = range == sig::Range::Narrow ? 896 : sig::kMaxCode;
  const double y = (p.received[0] - black) / swing, cb = (p.received[1] - 512) / chromaSwing,
               cr = (p.received[2] - 512) / chromaSwing;
  const sig::LumaWeights w = sig::LumaWeightsOf(matrix);
  const double red = y + 2 * (1 - w.red) * cr, blue = y + 2 * (1 - w.blue) * cb;
  const double green = (y - w.red * red - w.blue * blue) / w.green;
  return {black + red * swing, black + green * swing, black + blue * swing};
}

void CheckMatrix(const ChainReading& r, const DeclaredTags& d, GreyVerdict& v) {
  if (d.matrix.empty() || r.codedPatches.empty() || v.unexplained) return;
  const std::string range = MeasuredRange(r, v);
  if (range.empty()) return;
  const sig::Range coded = range == "narrow" ? sig::Range::Narrow : sig::Range::Full;
  std::vector<std::string> fitting;
  for (const sig::Matrix matrix : {sig::Matrix::Bt2020, sig::Matrix::Bt709}) {
    bool fits = true;
    for (const PatchMeasure& p : r.codedPatches) {
      const std::array<double, 3> rgb = Decoded(p, coded, matrix);
      for (std::size_t c = 0; c < 3; ++c) fits = fits && std::abs(rgb[c] - OnLine(v, p.sent[c])) <= kDecodes;
    }
    if (fits) fitting.push_back(MatrixName(matrix));
  }
  const std::string declared = MatrixFamily(d.matrix);
  if (fitting.size() == 1 && fitting.front() != declared)
    Disagree("matrix", d.matrix, declared, fitting.front(), "the saturated patches decode as sent only by", v);
}

}  // namespace

std::string TransferFamily(const std::string& name) {
  return FamilyOf(name, {{"PQ", {"smpte2084"}},
                         {"HLG", {"arib-std-b67"}},
                         {"SDR", {"bt709", "smpte170m", "bt470m", "bt470bg", "gamma22", "gamma28", "bt2020-10",
                                  "bt2020-12", "iec61966-2-1", "bt1361e"}}});
}

std::string PrimariesFamily(const std::string& name) {
  return FamilyOf(name, {{"BT.2020", {"bt2020"}}, {"BT.709", {"bt709"}}, {"BT.601", {"smpte170m", "bt470bg", "smpte240m"}}});
}

std::string MatrixFamily(const std::string& name) {
  return FamilyOf(name, {{"BT.2020", {"bt2020nc", "bt2020_ncl"}}, {"BT.709", {"bt709"}},
                         {"BT.601", {"smpte170m", "bt470bg"}}});
}

void CheckDeclaredColour(const ChainReading& r, const DeclaredTags& d, GreyVerdict& v) {
  CheckTransfer(r, d, v);
  CheckPrimaries(r, d, v);
  CheckMatrix(r, d, v);
}

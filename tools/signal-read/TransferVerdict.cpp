#include "tools/signal-read/TransferVerdict.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/signal-read/LineFit.h"

namespace {

namespace sig = veltrima::signal;

constexpr double kUnchanged = 4.0;         // codes: as far as a level may move and count as kept
constexpr double kFlat = 1.5;              // codes: steps of one clipped level, lossless
constexpr double kFlatLossy = 3.0;         // and through a lossy codec
constexpr int kMinConvertedSteps = 16;     // steps a conversion is judged on, at least
constexpr double kTopCode = sig::kMaxCode;

std::string Code(double value) { return std::to_string(static_cast<long>(std::lround(value))); }

const char* TransferName(sig::Transfer t) {
  switch (t) {
    case sig::Transfer::Pq: return "PQ";
    case sig::Transfer::Hlg: return "HLG";
    case sig::Transfer::Sdr: return "SDR";
  }
  return "?";
}

// What was sent, in the units the judgement needs: a code as E' and as light.
struct Sent {
  sig::Transfer transfer;
  double black, white, peak;
  double Signal(double code) const { return (code - black) / (white - black); }
  double Code(double signal) const { return black + (white - black) * signal; }
  double Nits(double code) const { return sig::NitsFromSignal(transfer, Signal(code), peak); }
};

Sent SentOf(const ChainReading& r) {
  const chaincheck::StripContent& c = r.strip.content;
  return {c.signal.transfer, static_cast<double>(sig::BlackCode(c.signal.range)),
          static_cast<double>(sig::WhiteCode(c.signal.range)), static_cast<double>(c.peakNits)};
}

// Light for a person: tenths below 10 nits, whole nits above.
std::string Nits(double nits) {
  if (nits >= 10) return Code(nits);
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", nits);
  return text;
}

struct Point {
  int sent;
  double received;
};

// The ladder from black up, brightest last (G' or Y').
std::vector<Point> LadderFromBlack(const ChainReading& r, const Sent& sent) {
  std::vector<Point> points;
  for (const StepMeasure& m : r.steps)
    if (m.sent >= sent.black) points.push_back({m.sent, m.received[1]});
  std::sort(points.begin(), points.end(), [](const Point& a, const Point& b) { return a.sent < b.sent; });
  return points;
}

struct Line {
  double gain = 1, offset = 0;
  bool ok = false;
  // Where a code arrives, held to the codes a capture can hold.
  double At(double x) const { return std::clamp(gain * x + offset, 0.0, kTopCode); }
};

// Least squares through (x, y), leaving out what arrives at 0 or 1023: a
// clip of the capture's own, not the line.
Line FitLine(const std::vector<std::pair<double, double>>& xy) {
  LineFit fit;
  for (const auto& [x, y] : xy)
    if (y >= 0.5 && y <= kTopCode - 0.5) fit.Add(x, y);
  Line line;
  line.ok = fit.Solve(line.gain, line.offset, 3);
  if (!line.ok) line = Line{};
  return line;
}

// ---------------------------------------------------------------------------
// A bend or clip above a knee

struct Bend {
  // NoLine: no line from black to a quarter of the way; Kept: the steps on
  // it; AtWhite: kept up to a clip at white (the headroom's); Other: off it
  // by no bend or clip.
  enum class Kind { NoLine, Kept, AtWhite, Other, Clipped, Bent } kind = Kind::NoLine;
  Line line;                 // received = line(sent) up to the knee
  std::size_t unchanged = 0; // ladder steps on the line, from black
};

// How many steps from black arrive on the line, without a gap.
std::size_t StepsOnLine(const std::vector<Point>& ladder, const Line& line) {
  std::size_t n = 0;
  while (n < ladder.size() && std::abs(ladder[n].received - line.At(ladder[n].sent)) <= kUnchanged) ++n;
  return n;
}

Bend FindBend(const std::vector<Point>& ladder, const Sent& sent) {
  Bend bend;
  const double quarter = sent.Code(0.25);
  std::vector<std::pair<double, double>> low;
  for (const Point& p : ladder)
    if (p.sent <= quarter) low.emplace_back(p.sent, p.received);
  bend.line = FitLine(low);
  // A ladder that hardly rises (a frame of one grey) has no levels to bend.
  if (!bend.line.ok || bend.line.gain < 0.25) return bend;
  bend.unchanged = StepsOnLine(ladder, bend.line);
  // Through a codec the darkest quarter's line, carried up, drifts by its
  // noise: the walk goes on along the line through every step it kept.
  // (The knee and the bend are still judged against the darkest quarter's
  // line, which a soft bend has not reached.)
  std::vector<std::pair<double, double>> kept;
  for (std::size_t i = 0; i < bend.unchanged; ++i) kept.emplace_back(ladder[i].sent, ladder[i].received);
  if (const Line all = FitLine(kept); all.ok) bend.unchanged = std::max(bend.unchanged, StepsOnLine(ladder, all));
  if (bend.unchanged == 0 || ladder[bend.unchanged - 1].sent < quarter) return bend;
  bend.kind = Bend::Kind::Kept;
  return bend;
}

// The steps past the knee: one flat level below white, or a rising curve
// below the line; anything else is another kind of change.
Bend::Kind ShapeAbove(const std::vector<Point>& ladder, const Bend& bend, const Sent& sent, bool lossy) {
  const std::vector<Point> above(ladder.begin() + static_cast<std::ptrdiff_t>(bend.unchanged), ladder.end());
  if (above.size() < 2) return Bend::Kind::Kept;  // one step is no evidence
  // The middle of their spread: noise either way leaves it on the level.
  const auto [low, high] = std::minmax_element(above.begin(), above.end(), [](const Point& a, const Point& b) {
    return a.received < b.received;
  });
  const double level = (low->received + high->received) / 2;
  const double flat = lossy ? kFlatLossy : kFlat;
  const bool oneLevel = std::all_of(above.begin(), above.end(),
                                    [&](const Point& p) { return std::abs(p.received - level) <= flat; });
  const double whiteArrives = bend.line.At(sent.white);
  if (oneLevel)  // a level at white is the headroom's clip, which the greys name
    return level < whiteArrives - kUnchanged && level <= bend.line.At(above.front().sent) + flat
               ? Bend::Kind::Clipped
               : std::abs(level - whiteArrives) <= kUnchanged ? Bend::Kind::AtWhite : Bend::Kind::Other;
  for (std::size_t i = 0; i < above.size(); ++i) {
    if (above[i].received > bend.line.At(above[i].sent) - kUnchanged) return Bend::Kind::Other;
    if (i > 0 && above[i].received < above[i - 1].received - flat) return Bend::Kind::Other;
  }
  return above.back().received - above.front().received > 2 * kUnchanged ? Bend::Kind::Bent : Bend::Kind::Other;
}

// The knee: the last step no further off the line than the steps below a
// quarter of the way to white are (an 8-bit stage's own misses), or half a
// code. A soft bend leaves the line well before its steps are 4 codes off
// it; the ramp's depth is judged up to here.
std::size_t KneeStep(const std::vector<Point>& ladder, const Bend& bend, const Sent& sent) {
  double lowMiss = 0.5;
  std::size_t last = 0;
  for (std::size_t i = 0; i < bend.unchanged; ++i) {
    const double miss = std::abs(ladder[i].received - bend.line.At(ladder[i].sent));
    if (ladder[i].sent <= sent.Code(0.25)) lowMiss = std::max(lowMiss, miss);
    else if (miss > lowMiss) break;
    last = i;
  }
  return last;
}

// The light a received code stands for, once the line's range change is undone.
double ArrivingNits(const Sent& sent, const Line& line, double received) {
  return sent.Nits((received - line.offset) / line.gain);
}

Fault BendFault(const std::vector<Point>& ladder, const Bend& bend, const Sent& sent) {
  const std::size_t kneeStep = KneeStep(ladder, bend, sent);
  const Point& knee = ladder[kneeStep];
  const Point& first = ladder[bend.unchanged];
  const Point& top = ladder.back();
  // Light is read back through the line of every step kept (up to the
  // knee of a bend; below the level of a clip): the line through the
  // darkest quarter alone, carried to a level far above it, would miss by a
  // code (a percent of light) where the codes are rounded.
  const bool clip = bend.kind == Bend::Kind::Clipped;
  std::vector<std::pair<double, double>> kept;
  for (std::size_t i = 0; i < (clip ? bend.unchanged : kneeStep + 1); ++i)
    if (!clip || ladder[i].received < first.received - kFlatLossy)
      kept.emplace_back(ladder[i].sent, ladder[i].received);
  Line line = FitLine(kept);
  if (!line.ok) line = bend.line;
  Fault f;
  if (clip) {
    const double nits = ArrivingNits(sent, line, first.received);
    f.name = "clipped";
    f.evidence = "every step from code " + std::to_string(first.sent) + " (" + Nits(sent.Nits(first.sent)) +
                 " nits) to " + std::to_string(top.sent) + " arrives at " + Code(first.received) + ", " + Nits(nits) +
                 " nits: the wall or processor clips above " + Nits(nits) + " nits";
    f.advice = "the wall's or processor's peak is below the signal's: set its HDR mode (peak, tone mapping "
               "or roll-off) for the content, or grade the content to its peak";
    f.numbers = {{"above_nits", std::lround(nits)}, {"code", std::lround(first.received)}};
    return f;
  }
  const double kneeNits = sent.Nits(knee.sent);
  const double topNits = ArrivingNits(sent, line, top.received);
  const double whiteArrives = bend.line.At(sent.white);
  const std::string unchanged = "levels unchanged up to code " + std::to_string(knee.sent) + " (" +
                                Nits(kneeNits) + " nits), then compressed: ";
  if (top.received >= whiteArrives - kUnchanged) {
    f.name = "rolled-off";
    f.evidence = unchanged + "code " + std::to_string(first.sent) + " arrives as " + Code(first.received) +
                 ", while the brightest step, " + std::to_string(top.sent) + ", still arrives at " +
                 Code(top.received) + " (white " + Code(whiteArrives) + "): a soft roll-off above " +
                 Nits(kneeNits) + " nits";
    f.advice = "the wall or processor rolls off highlights: set its roll-off (soft clip, highlight "
               "compression) off, or to start above the content's peak";
    f.numbers = {{"knee_nits", std::lround(kneeNits)}};
    return f;
  }
  f.name = "tone-mapped";
  f.evidence = unchanged + "the brightest step, " + std::to_string(top.sent) + " (" +
               Nits(sent.Nits(top.sent)) + " nits), arrives as " + Code(top.received) + ", " + Nits(topNits) +
               " nits: a tone map to a lower peak";
  f.advice = "a stage tone-maps to a lower peak: set its tone mapping off (or to pass-through) or its "
             "target peak to the wall's, and the content's metadata to its real peak";
  f.numbers = {{"knee_nits", std::lround(kneeNits)}, {"peak_nits", std::lround(topNits)}};
  return f;
}

// ---------------------------------------------------------------------------
// A conversion to another transfer

struct Conversion {
  sig::Transfer to = sig::Transfer::Pq;
  double fromPeak = 0, toPeak = 0;
  Line line;             // received = line(converted code)
  double worst = 1e9;    // codes, the largest miss
  std::vector<std::pair<int, double>> codes;  // sent code, its converted code
};

// The display peaks a conversion may have referred HLG or SDR to: the
// strip's, SDR's reference white, the HDR reference white, HLG's nominal.
std::vector<double> PeaksFor(sig::Transfer t, double stripPeak) {
  if (t == sig::Transfer::Pq) return {sig::kPqPeakNits};
  std::vector<double> peaks = {stripPeak, 100, 203, 1000};
  std::sort(peaks.begin(), peaks.end());
  peaks.erase(std::unique(peaks.begin(), peaks.end()), peaks.end());
  return peaks;
}

Conversion TryConversion(const std::vector<Point>& ladder, const Sent& sent, sig::Transfer to, double fromPeak,
                         double toPeak) {
  Conversion c;
  c.to = to;
  c.fromPeak = fromPeak;
  c.toPeak = toPeak;
  Sent from = sent;
  from.peak = fromPeak;
  std::vector<std::pair<double, double>> xy;
  for (const Point& p : ladder) {
    if (p.sent > sent.white || p.received < 0.5 || p.received > kTopCode - 0.5) continue;
    const double nits = from.Nits(p.sent);
    if (nits <= 0 || nits >= 0.98 * toPeak) continue;  // where the other transfer clips, it says nothing
    const double x = sent.Code(sig::SignalFromNits(to, nits, toPeak));
    xy.emplace_back(x, p.received);
    c.codes.emplace_back(p.sent, x);
  }
  if (static_cast<int>(xy.size()) < kMinConvertedSteps) return c;
  c.line = FitLine(xy);
  if (!c.line.ok || c.line.gain < 0.5 || c.line.gain > 2) return c;
  c.worst = 0;
  for (const auto& [x, y] : xy) c.worst = std::max(c.worst, std::abs(y - c.line.At(x)));
  return c;
}

// Whether a line's gain is one a range setting gives: none, a squeeze of
// full into narrow (876 / 1023), two, or an expansion. In the dark, where
// most steps lie, SDR's and HLG's encodings differ from each other's at
// another peak by a gain alone, so a conversion whose line a range setting
// explains is the one the chain made.
bool RangeGain(double gain) {
  constexpr double kSqueeze = 876.0 / 1023.0;
  for (const double g : {1.0, kSqueeze, kSqueeze * kSqueeze, 1 / kSqueeze})
    if (std::abs(gain / g - 1) < 0.02) return true;
  return false;
}

std::optional<Conversion> FindConversion(const std::vector<Point>& ladder, const Sent& sent) {
  std::optional<Conversion> best;
  auto better = [](const Conversion& a, const Conversion& b) {
    if (RangeGain(a.line.gain) != RangeGain(b.line.gain)) return RangeGain(a.line.gain);
    return a.worst < b.worst;
  };
  for (const sig::Transfer to : {sig::Transfer::Pq, sig::Transfer::Hlg, sig::Transfer::Sdr}) {
    if (to == sent.transfer) continue;
    for (const double fromPeak : PeaksFor(sent.transfer, sent.peak))
      for (const double toPeak : PeaksFor(to, sent.peak)) {
        Conversion c = TryConversion(ladder, sent, to, fromPeak, toPeak);
        if (c.worst <= kUnchanged && (!best || better(c, *best))) best = std::move(c);
      }
  }
  return best;
}

Fault ConversionFault(const Conversion& c, const Sent& sent, const std::vector<Point>& ladder) {
  // The brightest step judged (the nearest the other transfer's peak), as the example.
  const Point* shown = &ladder.front();
  for (const Point& p : ladder)
    for (const auto& [code, x] : c.codes)
      if (code == p.sent) shown = &p;
  Sent from = sent;
  from.peak = c.fromPeak;
  const std::string to = TransferName(c.to), fromName = TransferName(sent.transfer);
  Fault f;
  f.name = "transfer-converted";
  f.evidence = "code " + std::to_string(shown->sent) + " (" + Nits(from.Nits(shown->sent)) + " nits in " + fromName +
               ") arrives as " + Code(shown->received) + ", and every step from black to white arrives as " + to +
               " carries the same light" + (c.to == sig::Transfer::Pq ? "" : " (peak " + Code(c.toPeak) + " nits)") +
               " within " + Code(std::max(1.0, std::ceil(c.worst))) + (c.worst > 1 ? " codes: " : " code: ") + fromName + " converted to " + to;
  f.advice = "a converter or processor changes the transfer: set its input and output transfer both to " + fromName +
             ", or its input to what it really receives";
  f.numbers = {{"from", fromName}, {"to", to}};
  return f;
}

// ---------------------------------------------------------------------------

struct TransferJudged {
  std::optional<Fault> fault;
  ChainReading undone;       // the reading with the fault taken out
  std::optional<sig::Transfer> fits;
  std::string unexplained;   // steps off the line that no rule explains
};

TransferJudged JudgeTransfer(const ChainReading& r) {
  TransferJudged t;
  const Sent sent = SentOf(r);
  const std::vector<Point> ladder = LadderFromBlack(r, sent);
  Bend bend = FindBend(ladder, sent);
  if (bend.kind == Bend::Kind::Kept && bend.unchanged < ladder.size())
    bend.kind = ShapeAbove(ladder, bend, sent, r.compressed);
  if (bend.kind == Bend::Kind::Kept || bend.kind == Bend::Kind::AtWhite) {
    t.fits = sent.transfer;
    return t;
  }
  if (bend.kind == Bend::Kind::Clipped || bend.kind == Bend::Kind::Bent) {
    t.fits = sent.transfer;
    t.fault = BendFault(ladder, bend, sent);
    t.undone = r;
    const int knee = ladder[bend.unchanged - 1].sent;
    t.undone.steps.erase(std::remove_if(t.undone.steps.begin(), t.undone.steps.end(),
                                        [&](const StepMeasure& m) { return m.sent > knee; }),
                         t.undone.steps.end());
    t.undone.rampLast = ladder[KneeStep(ladder, bend, sent)].sent;
    return t;
  }
  const std::optional<Conversion> c = FindConversion(ladder, sent);
  if (!c) {
    if (bend.kind == Bend::Kind::Other) {
      const Point& off = ladder[bend.unchanged];
      t.unexplained = "the steps from code " + std::to_string(off.sent) + " up leave the levels below them (" +
                      std::to_string(off.sent) + " arrives as " + Code(off.received) +
                      ") by no range setting, transfer, clip or bend";
    }
    return t;
  }
  t.fits = c->to;
  t.fault = ConversionFault(*c, sent, ladder);
  // Each step judged put back where its sent code would arrive on the same
  // line, the others (clipped by the other transfer) left out; the ramp,
  // bent, says nothing of depth.
  t.undone = r;
  t.undone.steps.clear();
  t.undone.ramp.clear();
  for (const StepMeasure& m : r.steps)
    for (const auto& [code, x] : c->codes)
      if (code == m.sent) {
        StepMeasure undone = m;
        for (double& v : undone.received) v -= c->line.gain * (x - m.sent);
        t.undone.steps.push_back(undone);
      }
  return t;
}

}  // namespace

std::optional<sig::Transfer> TransferTheLadderFits(const ChainReading& reading) {
  return JudgeTransfer(reading).fits;
}

GreyVerdict JudgeLevels(const ChainReading& reading) {
  const TransferJudged t = JudgeTransfer(reading);
  if (!t.fault) {
    GreyVerdict v = JudgeGreys(reading);
    if (!t.unexplained.empty() && !v.unexplained) {
      v.unexplained = true;
      v.unexplainedText = t.unexplained;
    }
    return v;
  }
  GreyVerdict v = JudgeGreys(t.undone);
  v.faults.insert(v.faults.begin(), *t.fault);
  return v;
}

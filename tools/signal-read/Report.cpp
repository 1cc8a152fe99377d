#include "tools/signal-read/Report.h"

#include <cmath>
#include <utility>

#include "signal/Signal.h"

namespace {

namespace sig = veltrima::signal;

std::string SignalName(const sig::Signal& s) {
  for (const auto& named : sig::kSignals)
    if (named.signal.transfer == s.transfer && named.signal.range == s.range) return std::string(named.name);
  return "?";
}

nlohmann::json DeclaredJson(const DeclaredTags& d) {
  nlohmann::json j = nlohmann::json::object();
  const std::pair<const char*, const std::string*> texts[] = {
      {"codec", &d.codec},         {"pix_fmt", &d.pixelFormat}, {"range", &d.range},
      {"transfer", &d.transfer},   {"primaries", &d.primaries}, {"matrix", &d.matrix},
      {"chroma_location", &d.chromaLocation}};
  for (const auto& [name, text] : texts)
    if (!text->empty()) j[name] = *text;
  if (d.masteringPeakNits > 0) j["mastering_peak_nits"] = d.masteringPeakNits;
  if (d.maxContentLight > 0) j["max_cll"] = d.maxContentLight;
  return j;
}

double Rounded(double v, double unit) { return std::round(v / unit) * unit; }

// The line that says what the capture path shows by itself.
std::string ReferenceLine(const SignalReport& r) {
  if (!r.reference) return "";
  std::string names;
  for (const std::string& name : r.reference->faults) names += (names.empty() ? "" : ", ") + name;
  return "  reference " + r.reference->file + ": " +
         (names.empty() ? "the capture path is clean" : "the capture path itself shows " + names +
                                                            " (set apart, not the chain's)") +
         "\n";
}

}  // namespace

std::string ReportText(const SignalReport& r) {
  const chaincheck::StripContent& sent = r.reading.strip.content;
  std::string text;
  if (r.Clean()) {
    text = "CLEAN: " + SignalName(sent.signal) + ", peak " + std::to_string(sent.peakNits) + " nits";
    if (r.verdict.bits) text += ", " + std::to_string(r.verdict.bits) + " bits";
    text += ", " + r.reading.chroma + " in " + std::to_string(r.reading.codedBits) + "-bit samples";
    text += "\n";
    return text + ReferenceLine(r);
  }
  std::string names;
  for (const Fault& f : r.verdict.faults) names += (names.empty() ? "" : ", ") + f.name;
  if (r.verdict.unexplained) names += (names.empty() ? "" : ", ") + std::string("unexplained");
  text = "FAULTS: " + names + " (sent " + SignalName(sent.signal) + ", peak " + std::to_string(sent.peakNits) +
         " nits)\n";
  for (const Fault& f : r.verdict.faults) text += "  " + f.name + ": " + f.evidence + "; " + f.advice + "\n";
  if (r.verdict.unexplained) text += "  unexplained: " + r.verdict.unexplainedText + "\n";
  return text + ReferenceLine(r);
}

nlohmann::json ReportJson(const SignalReport& r) {
  const chaincheck::StripContent& sent = r.reading.strip.content;
  nlohmann::json faults = nlohmann::json::array();
  for (const Fault& f : r.verdict.faults) {
    nlohmann::json entry = f.numbers;
    entry["fault"] = f.name;
    entry["confidence"] = Rounded(f.confidence, 0.001);
    entry["evidence"] = f.evidence;
    faults.push_back(entry);
  }
  nlohmann::json steps = nlohmann::json::array();
  for (const StepMeasure& m : r.reading.steps)
    steps.push_back({{"sent", {m.sent, m.sent, m.sent}},
                     {"received", {Rounded(m.received[0], 0.01), Rounded(m.received[1], 0.01),
                                   Rounded(m.received[2], 0.01)}}});
  nlohmann::json measured = {
      {"range_fit", {{"gain", Rounded(r.verdict.gain, 0.0001)}, {"offset", Rounded(r.verdict.offset, 0.01)}}}};
  measured["chroma"] = r.reading.chroma;
  auto kept = [](double share) { return share < -0.5 ? nlohmann::json(nullptr) : nlohmann::json(Rounded(share, 0.001)); };
  measured["chroma_kept"] = {{"columns", kept(r.reading.chromaColumns)}, {"rows", kept(r.reading.chromaRows)}};
  measured["bits"] = r.verdict.bits ? nlohmann::json(r.verdict.bits) : nlohmann::json(nullptr);
  nlohmann::json report = {{"file", r.file},
          {"frames", r.frames},
          {"sent", {{"signal", SignalName(sent.signal)}, {"peak_nits", sent.peakNits}, {"strip_version", sent.version}}},
          {"declared", DeclaredJson(r.declared)},
          {"clean", r.Clean()},
          {"faults", faults},
          {"measured", measured},
          {"steps", steps}};
  if (r.reference) report["reference"] = {{"file", r.reference->file}, {"faults", r.reference->faults}};
  return report;
}

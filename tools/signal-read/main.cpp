// veltrima-signal-read: reads a capture of the HDR plug-in's Chain Check
// frame and says what the chain did to the signal. Exit status 0 clean,
// 1 faults named, 2 could not read (one line says why).
#include <CLI/CLI.hpp>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/CommandLine.h"
#include "tools/UsageError.h"
#include "tools/capture/CaptureSources.h"
#include "tools/capture/NamedPipe.h"
#include "tools/signal-read/ChainReading.h"
#include "tools/signal-read/ChannelVerdict.h"
#include "tools/signal-read/ChromaVerdict.h"
#include "tools/signal-read/ColourTagVerdict.h"
#include "tools/signal-read/DitherVerdict.h"
#include "tools/signal-read/FrameCounter.h"
#include "tools/signal-read/GamutVerdict.h"
#include "tools/signal-read/GeometryVerdict.h"
#include "tools/signal-read/GreyVerdict.h"
#include "tools/signal-read/MatrixVerdict.h"
#include "tools/signal-read/Plot.h"
#include "tools/signal-read/ReferenceCapture.h"
#include "tools/signal-read/TagVerdict.h"
#include "tools/signal-read/TransferVerdict.h"
#include "tools/signal-read/Report.h"

namespace {

constexpr char kProgram[] = "veltrima-signal-read";
constexpr int kExitClean = 0, kExitFaults = 1, kExitUnreadable = 2;

constexpr char kFooter[] = R"(Examples:
  veltrima-signal-read capture.png
  veltrima-signal-read capture.mov
  veltrima-signal-read frames/%05d.png
  ffmpeg -i capture.mov -f rawvideo -pix_fmt gbrp10le - | veltrima-signal-read --size 1920x1080 --pix-fmt gbrp10le
  veltrima-signal-read --json report.json capture.png
  veltrima-signal-read --plot verdict.png capture.png

Reads the Chain Check strip (what was sent: signal, peak, frame counter),
the grey steps and the ramp, and names what the chain did: range-expanded,
range-squeezed, range-squeezed-twice, footroom-clipped, headroom-clipped,
eight-bit (truncated, rounded, scaled, dithered), transfer-converted,
tone-mapped, clipped, rolled-off, matrix-mismatch, gamut-converted-twice,
channels-swapped, chroma-swapped, chroma-subsampled, scaled, shifted,
cropped, tags-disagree, frames-dropped, frames-repeated,
frames-out-of-order.)";

struct Options {
  std::vector<std::string> inputs;
  std::string size, pixFmt = "rgba", json, plot, reference;
  int frames = 0;
  double pipeWait = 10;
};

std::pair<int, int> ParseSize(const std::string& text) {
  const auto x = text.find_first_of("xX");
  try {
    if (x != std::string::npos && x > 0 && x < 7 && text.size() - x - 1 < 7 && text.size() > x + 1 &&
        text.find_first_not_of("0123456789xX") == std::string::npos) {
      const int width = std::stoi(text.substr(0, x)), height = std::stoi(text.substr(x + 1));
      if (width > 0 && height > 0) return {width, height};
    }
  } catch (const std::exception&) {
  }
  throw UsageError("--size takes WIDTHxHEIGHT with two positive whole numbers, got \"" + text + "\"");
}

// A PNG file by its name; what is not a file at all is left to the PNG
// reader to refuse in its words.
bool NamedPng(const std::string& path) {
  std::string end = path.size() >= 4 ? path.substr(path.size() - 4) : path;
  for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::error_code error;
  return end == ".png" || !std::filesystem::is_regular_file(path, error);
}

std::unique_ptr<CaptureSource> OpenInput(const Options& o) {
  if (o.size.empty()) {
    if (o.inputs.empty())
      throw UsageError("no input: give PNG files, a video file, or --size WxH --pix-fmt NAME for raw frames");
    for (const auto& input : o.inputs) {
      if (input == "-") throw UsageError("standard input carries raw frames: give --size WxH --pix-fmt NAME");
      // Opened as a file, a named pipe would wait for a writer unbounded.
      if (IsNamedPipe(input))
        throw UsageError(input + " is a named pipe, which carries raw frames: give --size WxH --pix-fmt NAME");
    }
    if (o.inputs.size() == 1 && o.inputs.front().find('%') != std::string::npos)
      return OpenPngCaptures(NumberedFiles(o.inputs.front()));
    if (o.inputs.size() == 1 && !NamedPng(o.inputs.front())) return OpenVideoCaptures(o.inputs.front());
    return OpenPngCaptures(o.inputs);
  }
  if (o.inputs.size() > 1) throw UsageError("raw frames come from one stream: give one file, or - or nothing");
  RawFormat format;
  if (!RawFormatNamed(o.pixFmt, format))
    throw UsageError("--pix-fmt takes one of " + RawFormatNames() + ", got \"" + o.pixFmt + "\"");
  const auto [width, height] = ParseSize(o.size);
  return OpenRawCaptures(o.inputs.empty() ? "-" : o.inputs.front(), width, height, format, o.pipeWait);
}

// Where the sent frame lies in the capture that was measured, and the
// capture's own size.
struct CapturePlace {
  Geometry geometry;
  int width = 0, height = 0;
};

bool IsGeometryFault(const std::string& name) {
  return name == "scaled" || name == "shifted" || name == "cropped";
}

// Later frames whose grey steps are measured beside the first's, and only
// when the first frame's steps spread over the 8-bit lattice: enough to
// see a dither's pattern move from frame to frame, at no cost to any other
// capture. A first frame read after placing it as sent (shifted or
// cropped) has no places to match in the frames as captured.
constexpr std::size_t kLaterDitherFrames = 8;

bool MeasuresLaterSteps(const ChainReading& reading, const CapturePlace& place) {
  const Geometry& g = place.geometry;
  const bool placed = g.measured && !g.Scaled() &&
                      (g.dx != 0 || g.dy != 0 || g.sentWidth != place.width || g.sentHeight != place.height);
  return !placed && SpreadsOverLattice(reading.steps);
}

// Reads every frame of a capture: the first with a strip is measured,
// the others give their counter (and, after a first frame that may be
// dithered, their grey steps). False with `why` when it cannot be read.
bool ReadCapture(CaptureSource& source, int maxFrames, SignalReport& report, std::vector<int>& counters,
                 CapturePlace& place, std::string& why) {
  bool found = false, laterSteps = false;
  CapturedInput input;
  while ((maxFrames <= 0 || report.frames < maxFrames) && source.Next(input)) {
    if (!input.error.empty()) {
      why = input.name + ": " + input.error;
      return false;
    }
    ++report.frames;
    if (found) {  // the first frame is judged; the others give their counter
      const chaincheck::StripReading strip = chaincheck::ReadStrip(GreyPlaneOf(input.frame));
      if (strip.status != chaincheck::StripReading::Status::Decoded) continue;
      counters.push_back(strip.content.frame);
      std::vector<std::vector<StepMeasure>>& later = report.reading.laterSteps;
      if (laterSteps && later.size() < kLaterDitherFrames && input.frame.width == place.width &&
          input.frame.height == place.height)
        later.push_back(MeasureGreySteps(input.frame, report.reading));
      continue;
    }
    ChainReading reading;
    std::string notFound;
    if (!ReadPlacedChain(input.frame, reading, place.geometry, notFound)) continue;
    place.width = input.frame.width;
    place.height = input.frame.height;
    counters.push_back(reading.strip.content.frame);
    report.reading = reading;
    found = true;
    laterSteps = MeasuresLaterSteps(reading, place);
  }
  report.declared = source.Declared();
  if (!found) {
    why = "no Chain Check strip found in " + report.file;
    return false;
  }
  report.reading.compressed = report.declared.lossyCodec;
  return true;
}

// What the pixels show: greys, colours, chroma.
GreyVerdict JudgeReading(const ChainReading& reading) {
  GreyVerdict verdict = JudgeLevels(reading);
  CheckMatrix(reading, verdict);
  CheckGamut(reading, verdict);
  CheckChroma(reading, verdict);
  CheckChannels(reading, verdict);
  return verdict;
}

// What the file's tags say against its pixels as captured.
void JudgeTags(const SignalReport& report, GreyVerdict& verdict) {
  CheckDeclaredRange(report.reading, report.declared, verdict);
  CheckDeclaredColour(report.reading, report.declared, verdict);
}

// The chain's verdict beside a loop-back capture of the capture path
// alone: what the reference shows is set apart, the rest is judged on the
// chain's capture with the capture path taken out.
void JudgeAgainstReference(const std::string& file, SignalReport& report) {
  SignalReport reference;
  reference.file = file;
  std::vector<int> counters;
  CapturePlace place;
  std::string why;
  Options loopBack;
  loopBack.inputs = {file};
  const std::unique_ptr<CaptureSource> source = OpenInput(loopBack);
  if (!ReadCapture(*source, 0, reference, counters, place, why)) throw std::runtime_error("reference: " + why);
  const chaincheck::StripContent& sent = report.reading.strip.content;
  const chaincheck::StripContent& looped = reference.reading.strip.content;
  if (sent.signal.transfer != looped.signal.transfer || sent.signal.range != looped.signal.range ||
      sent.peakNits != looped.peakNits)
    throw std::runtime_error("reference " + file + " was sent in another signal or peak than " + report.file +
                             ": capture both from the same Chain Check settings");
  reference.verdict = JudgeReading(reference.reading);
  JudgeTags(reference, reference.verdict);
  CheckFrameOrder(counters, reference.verdict.faults);

  GreyVerdict chain = JudgeReading(UndoCapturePath(report.reading, reference.reading, reference.verdict));
  for (const Fault& f : report.verdict.faults)
    if (f.name == "tags-disagree" || f.name.rfind("frames-", 0) == 0 || IsGeometryFault(f.name))
      chain.faults.push_back(f);
  SetApartCapturePath(reference.verdict, chain);
  report.verdict = chain;
  report.reference = ReferenceSummary{file, {}};
  for (const Fault& f : reference.verdict.faults) report.reference->faults.push_back(f.name);
  if (reference.verdict.unexplained) report.reference->faults.push_back("unexplained");
}

int Run(const Options& o) {
  const std::unique_ptr<CaptureSource> source = OpenInput(o);
  SignalReport report;
  report.file = o.size.empty() ? o.inputs.front() : (o.inputs.empty() ? "-" : o.inputs.front());
  std::vector<int> counters;
  CapturePlace place;
  std::string why;
  if (!ReadCapture(*source, o.frames, report, counters, place, why)) {
    std::fprintf(stderr, "%s: %s\n", kProgram, why.c_str());
    return kExitUnreadable;
  }
  report.verdict = JudgeReading(report.reading);
  JudgeTags(report, report.verdict);
  CheckGeometry(place.geometry, place.width, place.height, report.verdict);
  CheckFrameOrder(counters, report.verdict.faults);
  if (!o.reference.empty()) JudgeAgainstReference(o.reference, report);
  std::fputs(ReportText(report).c_str(), stdout);
  if (!o.json.empty()) {
    const std::string text = ReportJson(report).dump(2) + "\n";
    if (o.json == "-") {
      std::fputs(text.c_str(), stdout);
    } else {
      std::ofstream out(o.json);
      out << text;
      if (!out) throw std::runtime_error(o.json + ": cannot write");
    }
  }
  if (!o.plot.empty() && !WritePlot(report, o.plot, why)) throw std::runtime_error(why);
  return report.Clean() ? kExitClean : kExitFaults;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  CLI::App app{"Reads a capture of the OVNVeltrima HDR Chain Check frame and says what the chain "
               "between the plug-in and the capture did to the signal.",
               kProgram};
  app.footer(kFooter);
  app.add_option("inputs", options.inputs,
                 "PNG files (8 or 16 bits), a numbered sequence (frame-%05d.png), or one video file FFmpeg decodes; with --size, one raw file, or - (or nothing) for standard input");
  app.add_option("--size", options.size, "WIDTHxHEIGHT: read raw frames");
  app.add_option("--pix-fmt", options.pixFmt,
                 "the raw frames' format: " + RawFormatNames() + " (default rgba)");
  app.add_option("--json", options.json, "also write the verdict as JSON to FILE, or - for standard output");
  app.add_option("--plot", options.plot,
                 "also draw the verdict to FILE.png: received against sent codes, the patches, the verdict as title");
  app.add_option("--reference", options.reference,
                 "a capture of the capture path alone (generator into the capture device): name only what the "
                 "chain adds beyond it");
  app.add_option("--frames", options.frames, "read at most N frames");
  app.add_option("--pipe-wait", options.pipeWait,
                 "SECONDS a named pipe given with --size may stay without a writer before the reader gives up (default 10)")
      ->check(CLI::Range(0.0, 86400.0));
  if (const std::optional<int> stop = ParseCommandLine(app, argc, argv, kProgram)) return *stop;
  try {
    return Run(options);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: error: %s\n", kProgram, error.what());
    return kExitUnreadable;
  }
}

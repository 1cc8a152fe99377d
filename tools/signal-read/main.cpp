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
#include "tools/signal-read/GeometryVerdict.h"
#include "tools/signal-read/FrameCounter.h"
#include "tools/signal-read/GamutVerdict.h"
#include "tools/signal-read/GreyVerdict.h"
#include "tools/signal-read/MatrixVerdict.h"
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
  std::string size, pixFmt = "rgba", json;
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

int Run(const Options& o) {
  const std::unique_ptr<CaptureSource> source = OpenInput(o);
  const std::string file = o.size.empty() ? o.inputs.front() : (o.inputs.empty() ? "-" : o.inputs.front());
  SignalReport report;
  report.file = file;
  bool found = false;
  std::vector<int> counters;
  CapturedInput input;
  Geometry geometry;
  int captureWidth = 0, captureHeight = 0;
  while ((o.frames <= 0 || report.frames < o.frames) && source->Next(input)) {
    if (!input.error.empty()) {
      std::fprintf(stderr, "%s: %s: %s\n", kProgram, input.name.c_str(), input.error.c_str());
      return kExitUnreadable;
    }
    ++report.frames;
    if (found) {  // the first frame is judged; the others give their counter
      const chaincheck::StripReading strip = chaincheck::ReadStrip(GreyPlaneOf(input.frame));
      if (strip.status == chaincheck::StripReading::Status::Decoded) counters.push_back(strip.content.frame);
      continue;
    }
    ChainReading reading;
    std::string why;
    if (!ReadPlacedChain(input.frame, reading, geometry, why)) continue;
    captureWidth = input.frame.width;
    captureHeight = input.frame.height;
    counters.push_back(reading.strip.content.frame);
    report.reading = reading;
    found = true;
  }
  report.declared = source->Declared();
  if (!found) {
    std::fprintf(stderr, "%s: no Chain Check strip found in %s\n", kProgram, file.c_str());
    return kExitUnreadable;
  }
  report.reading.compressed = report.declared.lossyCodec;
  report.verdict = JudgeLevels(report.reading);
  CheckMatrix(report.reading, report.verdict);
  CheckGamut(report.reading, report.verdict);
  CheckDeclaredRange(report.reading, report.declared, report.verdict);
  CheckChroma(report.reading, report.verdict);
  CheckChannels(report.reading, report.verdict);
  CheckGeometry(geometry, captureWidth, captureHeight, report.verdict);
  CheckFrameOrder(counters, report.verdict.faults);
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

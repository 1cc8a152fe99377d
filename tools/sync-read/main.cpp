// veltrima-sync-read: reads back what SYNC frames say about themselves, from
// PNG files or a raw RGBA stream (a capture decoded by ffmpeg, say), and
// reports frame by frame which frame arrived, when it was drawn and on which
// output, and what went missing, came twice or out of order on the way.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/UsageError.h"
#include "tools/sync-read/FrameDecoder.h"
#include "framestamp/FrameRate.h"
#include "tools/capture/NamedPipe.h"
#include "tools/sync-read/FrameSources.h"
#include "tools/sync-read/Report.h"
#include "tools/sync-read/SequenceAnalysis.h"
#include "tools/sync-read/WallCommand.h"
#include "tools/CommandLine.h"

namespace {

constexpr char kProgram[] = "veltrima-sync-read";

// Exit statuses, also listed in the help text below.
constexpr int kExitUnreadable = 1;
constexpr int kExitUsage = kUsageExitStatus;
constexpr int kExitStrict = 3;

constexpr char kFooter[] = R"(Examples:
  veltrima-sync-read frames/*.png
  ffmpeg -i capture.mov -f rawvideo -pix_fmt rgba - | veltrima-sync-read --size 1920x1080 --fps 59.94
  veltrima-sync-read --size 1280x720 --csv capture.rgba > capture.csv

Each frame is read from its code strip (levels from the guards, CRC checked)
and, where no strip is found or its CRC fails, from its QR code. One line per
frame: its index in the input, frame number, time of day, timecode (the QR
code carries it; the strip has no rate, so "-"), output number, the code read
(STRIP, QR, or NONE with the reason). The summary counts dropped frames (frame
numbers never read between the lowest and highest read), repeats (the same
number as the frame before), frames out of order (a lower number than the
frame before) and undecodable frames.

With --fps, the capture's own frame times (index / fps) give each frame's
latency: capture time minus shown time, against the first frame read. It grows
when frames arrive later than the first did (a buffer filling), and it is not
the glass-to-glass latency, which needs a common clock.

With --wall PHOTO (PNG or JPEG), the region codes that SYNC draws with
"Region Codes" on are read from one photo of the whole wall: one line per
region with its output, region, frame and offset in frames from the reference
(the frame most regions show, or with --reference-output N the one most of
output N's regions show; -1 is a frame late), and whether a frame change was
caught in the photo. --json FILE writes the same as JSON; --picture FILE.png
the photo with every region outlined in its offset's colour. With --layout
FILE (MAP's layout, whose "Frame Codes" the photo shows) each region is named
by its cabinet's ID and port; --screen N requires every region to be a
cabinet of screen N. Regions the layout cannot place and cabinets not seen
are listed on standard error and in the JSON. Exit status with
--wall: 0 when every region agrees, 1 when any is late or early, 2 when
nothing could be read (one line says why).

With --wall CLIP (a video of 60 fps or more, 240 for milliseconds; the camera
held still, its shutter at the frame time), each region also gets its offset
in ms at the clip's start, its drift in ms per second, and the frames its
counter dropped and repeated; the camera's line time is fitted from the
regions' transition stripes (or given with --line-time-us; negative when the
sensor reads bottom to top) and taken out.

Exit status: 0 when every input could be read (whatever the frames say), 1
when a file or the stream could not be read (the rest is still reported), 2
on a usage error, 3 with --strict when any frame is undecodable, dropped,
repeated or out of order.
)";

struct Options {
  std::vector<std::string> inputs;
  WallOptions wall;
  std::int64_t referenceOutput = -1;
  int screen = 0;
  double lineTimeUs = 0;  // 0: fitted
  std::string size;
  std::string fps;
  bool csv = false;
  bool strict = false;
};

int Dimension(const std::string& text) {
  if (text.empty() || text.size() > 6) return -1;
  for (char c : text)
    if (c < '0' || c > '9') return -1;
  return std::stoi(text);
}

std::pair<int, int> ParseSize(const std::string& text) {
  const auto x = text.find_first_of("xX");
  const int width = x == std::string::npos ? -1 : Dimension(text.substr(0, x));
  const int height = x == std::string::npos ? -1 : Dimension(text.substr(x + 1));
  if (width < 1 || height < 1)
    throw UsageError("--size takes WIDTHxHEIGHT with two positive whole numbers, got \"" + text +
                     "\"");
  return {width, height};
}

std::unique_ptr<FrameSource> OpenInput(const Options& options) {
  if (options.size.empty()) {
    if (options.inputs.empty())
      throw UsageError("no input: give PNG files, or --size WxH for raw RGBA frames");
    for (const auto& input : options.inputs) {
      if (input == "-") throw UsageError("standard input carries raw frames: give --size WxH");
      // Opened as a file, a named pipe would wait for a writer unbounded.
      if (IsNamedPipe(input))
        throw UsageError(input + " is a named pipe, which carries raw frames: give --size WxH");
    }
    return OpenPngFiles(options.inputs);
  }
  if (options.inputs.size() > 1)
    throw UsageError("raw frames come from one stream: give one file, or - or nothing for "
                     "standard input");
  const auto [width, height] = ParseSize(options.size);
  return OpenRawStream(options.inputs.empty() ? "-" : options.inputs.front(), width, height);
}

void Print(std::FILE* stream, const std::string& text) {
  std::fputs(text.c_str(), stream);
  std::fflush(stream);
}

int Run(const Options& options) {
  std::optional<FrameRate> rate;
  if (!options.fps.empty()) {
    rate = ParseFrameRate(options.fps);
    if (!rate)
      throw UsageError("--fps takes a positive rate up to 1000 such as 60, 59.94 or 60000/1001, "
                       "got \"" + options.fps + "\"");
  }
  const std::unique_ptr<FrameSource> source = OpenInput(options);
  const ReportStyle style{options.csv, rate.has_value()};
  SequenceAnalysis analysis(rate);
  Print(stdout, ReportHeader(style));
  bool unreadable = false;
  InputFrame frame;
  for (std::int64_t index = 0; source->Next(frame); ++index) {
    FrameReading reading;
    if (frame.error.empty()) {
      reading = DecodeFrame(frame.image);
    } else {
      unreadable = true;
      reading.note = "unreadable: " + frame.error;
      std::fprintf(stderr, "%s: %s: %s\n", kProgram, frame.name.c_str(), frame.error.c_str());
    }
    const FrameEvent event = analysis.Add(index, reading);
    Print(stdout, ReportLine(style, index, frame.name, reading, event));
  }
  const SequenceSummary summary = analysis.Summary();
  // CSV stays a table a spreadsheet opens as it is; the summary goes aside.
  Print(options.csv ? stderr : stdout, (options.csv ? "" : "\n") + ReportSummary(summary));
  if (unreadable) return kExitUnreadable;
  const bool anomalies = summary.undecodable || summary.dropped || summary.repeated ||
                         summary.outOfOrder || summary.frames == 0;
  return options.strict && anomalies ? kExitStrict : 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  CLI::App app{"Reads the frame number, time and output that OVNVeltrima SYNC frames carry, "
               "and reports dropped, repeated and out-of-order frames.",
               kProgram};
  app.footer(kFooter);
  app.add_option("inputs", options.inputs,
                 "PNG files; with --size, one raw RGBA file, or - (or nothing) for standard input");
  app.add_option("--size", options.size,
                 "WIDTHxHEIGHT: read raw 8-bit RGBA frames, rows top-down, back to back");
  app.add_option("--fps", options.fps,
                 "the capture's frame rate (60, 59.94, 60000/1001): adds latency per frame");
  app.add_flag("--csv", options.csv, "CSV with a header row; the summary goes to standard error");
  app.add_flag("--strict", options.strict,
               "exit with 3 when any frame is undecodable, dropped, repeated or out of order");
  app.add_option("--wall", options.wall.photo,
                 "one photo (PNG or JPEG) or a clip of a wall showing SYNC's region codes");
  app.add_option("--json", options.wall.json, "with --wall: the regions as JSON in this file");
  app.add_option("--picture", options.wall.picture,
                 "with --wall: the photo with every region outlined in its offset's colour (PNG)");
  app.add_option("--reference-output", options.referenceOutput,
                 "with --wall: the output whose frame is on time (default: the frame most regions show)")
      ->check(CLI::Range(0, 31));
  app.add_option("--layout", options.wall.layout,
                 "with --wall: MAP's layout file (CSV, JSON or XML) naming each region's cabinet and port");
  app.add_option("--screen", options.screen, "with --layout: the layout's screen the photo shows (from 1)")
      ->check(CLI::PositiveNumber);
  app.add_option("--line-time-us", options.lineTimeUs,
                 "with --wall CLIP: the camera's line time in microseconds (negative: read bottom to top)")
      ->check(CLI::Range(-1000.0, 1000.0));
  if (const std::optional<int> stop = ParseCommandLine(app, argc, argv, kProgram)) return *stop;
  try {
    if (!options.wall.photo.empty()) {
      if (!options.inputs.empty() || !options.size.empty())
        throw UsageError("--wall reads one photo: give no other inputs and no --size");
      if (options.referenceOutput >= 0)
        options.wall.referenceOutput = static_cast<std::uint32_t>(options.referenceOutput);
      if (options.screen > 0) {
        if (options.wall.layout.empty()) throw UsageError("--screen picks a screen of --layout: give one");
        options.wall.screen = options.screen;
      }
      if (options.lineTimeUs != 0) options.wall.lineTimeUs = options.lineTimeUs;
      return RunWall(options.wall);
    }
    return Run(options);
  } catch (const UsageError& error) {
    std::fprintf(stderr, "%s: error: %s\n", kProgram, error.what());
    return kExitUsage;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: error: %s\n", kProgram, error.what());
    return kExitUnreadable;
  }
}

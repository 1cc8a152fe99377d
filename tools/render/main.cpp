// veltrima-render: the plug-in's patterns as PNG files, PNG sequences, video
// files or raw frames, without a video host. It runs the plug-in's own code
// through plugMain in a headless GL context, exactly as a host does, with the
// frame clock stepped (or, for a loaded module, the host time set) so that
// frame n shows the moment n / fps.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/EntryPoint.h"
#include "host/HostTimeConvention.h"
#include "hostkit/GLContext.h"
#include "hostkit/StraightRgba8Reader.h"
#include "imaging/PngFile.h"
#include "tools/render/AllScreensRun.h"
#include "tools/render/Codec.h"
#include "tools/render/ContactSheet.h"
#include "tools/render/FrameOutput.h"
#include "tools/render/FreeParameterNames.h"
#include "framestamp/FrameRate.h"
#include "tools/render/FrameSource.h"
#include "tools/render/OpaqueBytes.h"
#include "tools/render/Interrupt.h"
#include "tools/render/ParameterTable.h"
#include "tools/render/PluginChoice.h"
#include "tools/render/PrivateStdout.h"
#include "tools/render/Progress.h"
#include "tools/render/RenderLimits.h"
#include "tools/render/RenderOptions.h"
#include "tools/render/Sequence.h"
#include "tools/render/SignalChoice.h"
#include "tools/render/StartTime.h"
#include "tools/render/StraightRgba16.h"
#include "tools/render/VideoFile.h"
#include "tools/render/Warnings.h"
#include "tools/CommandLine.h"

namespace {

constexpr char kExamples[] = R"(Examples:
  veltrima-render --preset "ROE BP2 / 176x176" --size 3840x2160 -o grid.png
  veltrima-render --set "Panel Width px=176" --set "Pattern=Full Raster" \
                  --set "Background=Transparent" -o raster.png
  veltrima-render --preset "Dead Pixel Sweep" --frames 600 --fps 60 -o sweep.mkv
  veltrima-render --preset "Dead Pixel Sweep" --frames 600 --fps 59.94 -o sweep.mov
  veltrima-render --preset "Colour Bars" --frames 300 --codec hap -o bars.mov
  veltrima-render --preset "Dead Pixel Sweep" --frames 600 -o frames/%05d.png
  veltrima-render --plugin sync --start-time 01:00:00.000 --frames 600 -o sync.mov
  veltrima-render --plugin map --set "Map File=wall.csv" -o wall.png
  veltrima-render --plugin map --set "Map File=wall.xml" --all-screens -o wall.png
  veltrima-render --sheet presets.png --save-presets out

Parameters are named as the plug-in reports them (see --list), without regard
to case; option values by element name or number, on/off for switches, texts
as typed. The preset is applied first, then every --set in order. Values
outside a parameter's range are passed on as a host would pass them (the
plug-in clamps them), with a warning.

Video files (-o NAME.mkv, .mov or .mp4) are written through FFmpeg's
libraries; the extension picks the container and its default codec,
--codec another (listed with the containers this FFmpeg puts it in):
)";

// After the codec list, which is made from the codec table and libavformat.
constexpr char kAfterCodecs[] =
    R"(The file appears only when complete: Ctrl-C or an error leaves nothing.

--depth 16 writes 16-bit PNGs; --depth 10, 12 or 16 feeds FFV1 (ProRes: 10)
from the float read-back, so ramps keep more than 8 bits.

A plug-in with a "Signal" option (--plugin hdr) gets files that say what the
signal holds (bt2020 smpte2084 or arib-std-b67, bt709; range tv or pc; matrix
gbr for RGB; a cICP chunk in PNGs), with its codes kept: PNGs at 16 bits and
video at 10 unless --depth says otherwise; --depth 8 with PQ or HLG is
refused, and so is a file that cannot say the signal's range (full range in
ProRes, any range in QuickTime Animation or HAP). PQ and HLG video files
carry the mastering display and the content light level measured from their
frames, so their frames are drawn twice.

--plugin free (default) renders the FREE plug-in linked into this tool.
--plugin sync or map loads OVNVeltrimaSync.so or OVNVeltrimaMap.so from
$VELTRIMA_PLUGIN_DIR if set, else from the folder above this program's own
(build/tools/veltrima-render -> build/); --plugin PATH loads any FFGL module.
A loaded plug-in gets host time n / fps before frame n. --start-time sets
the file's timecode, and for a plug-in with a "Clock Source" option and a
"Start Time" text, selects "Host Time" and passes the start on.

--all-screens (with --plugin map and -o NAME.png) writes NAME-1.png,
NAME-2.png, ... beside NAME.png: one per screen of the "Map File", each at
its screen's canvas (the file's canvas, else that screen's cabinets' extent
from 0,0), so the map is drawn unscaled. It takes no --size.

PNG files hold straight (not premultiplied) alpha. Raw output (-o -) is
width x height x 4 bytes per frame, RGBA, 8 bits per channel, rows top-down,
straight alpha: ffmpeg's "rgba" pixel format.
)";

// What the plug-in's own parameters make of --start-time: a "Clock Source"
// option switched to "Host Time", and the start as the "Start Time" text.
std::vector<ParameterValue> StartTimeValues(const ParameterTable& table, const StartTime& start) {
  std::vector<ParameterValue> values;
  const ParameterInfo* source = table.FindIfAny(kClockSourceParameterName);
  if (source && source->type == FF_TYPE_OPTION)
    for (const auto& element : source->elements)
      if (element.name == kHostTimeElementName) values.push_back(table.ResolveValue(*source, element.name));
  const ParameterInfo* text = table.FindIfAny(kStartTimeParameterName);
  if (text && text->type == FF_TYPE_TEXT) values.push_back(table.ResolveValue(*text, start.Text()));
  return values;
}

// The values to send after instantiation: the start time's, the preset,
// then the sets, so that an explicit --set has the last word.
std::vector<ParameterValue> ResolveValues(const ParameterTable& table,
                                          const RenderOptions& options, const StartTime& start) {
  std::vector<ParameterValue> values = StartTimeValues(table, start);
  if (!options.preset.empty())
    values.push_back(table.ResolveValue(table.Find(FreePresetName()), options.preset));
  for (const auto& set : options.sets) values.push_back(table.Resolve(set));
  for (const auto& value : values)
    if (!value.warning.empty()) Warn(value.warning + "; passed on as a host would");
  return values;
}

void PrintList(const ParameterTable& table, int descriptor) {
  std::string text = "Parameters:\n" + table.Listing();
  if (const ParameterInfo* presets = table.FindIfAny(FreePresetName())) {
    text += "\nPresets (--preset NAME or NUMBER):\n";
    for (std::size_t i = 0; i < presets->elements.size(); ++i)
      text += "  " + std::to_string(i) + "  " + presets->elements[i].name + "\n";
  }
  WriteAll(descriptor, text.data(), text.size());
}

std::string PresetFileName(std::size_t index, const std::string& name) {
  std::string slug;
  for (char c : name) {
    if (std::isalnum(static_cast<unsigned char>(c)))
      slug += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    else if (!slug.empty() && slug.back() != '-')
      slug += '-';
  }
  while (!slug.empty() && slug.back() == '-') slug.pop_back();
  char number[32];
  std::snprintf(number, sizeof number, "%02zu-", index);
  return number + slug + ".png";
}


void RenderSheet(const hostkit::PluginLibrary& plugin, const ParameterTable& table,
                 const Size& size, const FrameRate& rate,
                 const std::vector<ParameterValue>& values, const RenderOptions& options) {
  const ParameterInfo& preset = table.Find(FreePresetName());
  const int count = static_cast<int>(preset.elements.size());
  ContactSheet sheet(size.width, size.height, count);
  std::list<FrameWriter> files;  // removed again unless the sheet is written too
  Progress progress(count, options.quiet);
  for (int p = 0; p < count; ++p) {
    StopIfInterrupted();
    const hostkit::ParameterElement& element = preset.elements[static_cast<std::size_t>(p)];
    ParameterValue presetValue;
    presetValue.id = preset.id;
    presetValue.value = element.value;
    std::vector<ParameterValue> tileValues{presetValue};
    tileValues.insert(tileValues.end(), values.begin(), values.end());
    FrameSource source(plugin, Clocking::SteppedLinked, size.width, size.height, tileValues);
    source.Render(0, rate);
    const auto rgba = source.StraightRgba8();
    const std::string& name = element.name;
    sheet.Add(p, rgba, name);
    if (!options.presetFolder.empty()) {
      const std::string path =
          options.presetFolder + "/" + PresetFileName(static_cast<std::size_t>(p), name);
      files.emplace_back(OutputTarget{OutputKind::SingleImage, path}, size.width, size.height);
      files.back().Write(0, rgba);
    }
    progress.Update(p + 1);
  }
  WritePng(options.sheet, sheet.Width(), sheet.Height(), sheet.Pixels().data());
  for (auto& file : files) file.Commit();
}


struct LoadedPlugin {
  explicit LoadedPlugin(const PluginChoice& choice) {
    if (choice.linked) {
      library.emplace(&plugMain, &SetLogCallback, "OVNVeltrimaFree");
      return;
    }
    try {
      library.emplace(choice.path);
    } catch (const hostkit::PluginLoadError& error) {
      throw UsageError(error.what());
    }
    if (library->Initialise() != FF_SUCCESS)
      throw std::runtime_error("the plug-in " + choice.path + " failed to initialise");
  }
  std::optional<hostkit::PluginLibrary> library;
};


int Run(const RenderOptions& options) {
  if (options.allScreens) CheckAllScreensOptions(options);
  // From here on the plug-in's code runs: whatever it prints goes to
  // standard error, never into the frames.
  const PrivateStdout stdoutForFrames;
  const PluginChoice choice = ChoosePlugin(options.plugin);
  const LoadedPlugin loaded(choice);
  const hostkit::PluginLibrary& plugin = *loaded.library;
  const ParameterTable table(plugin, choice.linked ? hostkit::TableReading::Trusting
                                                   : hostkit::TableReading::Defensive);
  if (options.list) {
    PrintList(table, stdoutForFrames.Descriptor());
    return 0;
  }
  if (!choice.linked && (!options.preset.empty() || !options.sheet.empty()))
    throw UsageError("--preset and --sheet are the FREE plug-in's; with --plugin " +
                     options.plugin + " set its parameters with --set");
  if (options.output.empty() && options.sheet.empty())
    throw UsageError("nothing to write: give -o PATH, -o - or --sheet PATH");
  if (options.frames < 1) throw UsageError("--frames must be at least 1");
  const std::optional<FrameRate> parsedRate = ParseFrameRate(options.fps);
  if (!parsedRate)
    throw UsageError("--fps takes a positive rate such as 60, 59.94 or 30000/1001 (at most " +
                     std::to_string(kMaxFramesPerSecond) + "), got \"" + options.fps + "\"");
  const FrameRate rate = *parsedRate;
  const StartTime start = ParseStartTime(options.startTime.empty() ? "00:00:00.000"
                                                                   : options.startTime);

  const std::vector<ParameterValue> values = ResolveValues(table, options, start);
  if (options.allScreens)
    return RenderAllScreens(plugin, table, options, rate, values, stdoutForFrames.Descriptor());
  const Size size = ParseSize(options.size);
  std::optional<SequencePlan> plan;
  if (!options.output.empty())
    plan = PlanSequence(options, size, rate, choice.linked, ChosenSignal(table, values));
  if (plan && choice.linked) plan->background = table.FindIfAny(FreeBackgroundName());
  if (!options.sheet.empty()) RequireFolderOf(options.sheet);
  if (!options.presetFolder.empty()) RequireFolderOf(options.presetFolder + "/x.png");

  hostkit::GLContext context(hostkit::OptionsFromEnvironment());
  RequireWithinGLLimits(size);

  if (plan)
    RenderSequence(plugin, *plan, values, options.frames, options.quiet,
                   stdoutForFrames.Descriptor());
  if (!options.sheet.empty()) RenderSheet(plugin, table, size, rate, values, options);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  RenderOptions options;
  CLI::App app{"Renders the OVNVeltrima test patterns to PNG files, video files or raw frames.",
               kProgram};
  app.footer(kExamples + CodecListing() + kAfterCodecs);
  app.add_option("-o,--output", options.output,
                 "PNG file, numbered PNG pattern (frames/%05d.png), video file (.mkv, .mov, "
                 ".mp4), or - for raw RGBA on stdout");
  app.add_option("--preset", options.preset, "preset by name or number (see --list)");
  app.add_option("--set", options.sets, "NAME=VALUE, repeatable; applied after the preset");
  app.add_option("--size", options.size, "output size WIDTHxHEIGHT")->capture_default_str();
  app.add_option("--frames", options.frames, "number of frames")->capture_default_str();
  app.add_option("--fps", options.fps, "frame rate: 60, 59.94 (= 60000/1001), 30000/1001 ...")
      ->capture_default_str();
  std::string codecNames;
  for (const Codec& codec : Codecs())
    codecNames += (codecNames.empty() ? "" : ", ") + std::string(codec.name);
  app.add_option("--codec", options.codec,
                 "video codec: " + codecNames + " (default by extension; see below)");
  app.add_option("--pix-fmt", options.pixFmt, "yuv420p: H.264 4:2:0 for players that need it");
  app.add_option("--depth", options.depth, "bits per channel: 8, 16 (PNG), 10, 12, 16 (video)")
      ->capture_default_str();
  app.add_option("--start-time", options.startTime,
                 "HH:MM:SS.mmm: the file's start timecode and the plug-in's start time");
  app.add_option("--plugin", options.plugin, "free, sync, map or a module PATH (see below)")
      ->capture_default_str();
  app.add_option("--sheet", options.sheet, "contact sheet of all presets, captioned");
  app.add_option("--save-presets", options.presetFolder,
                 "with --sheet: also write each preset's full-size PNG into this folder");
  app.add_flag("--all-screens", options.allScreens,
               "with --plugin map: one PNG per screen of the Map File, NAME-1.png, NAME-2.png "
               "..., each at its screen's canvas");
  app.add_flag("--list", options.list, "list the parameters, their values and the presets");
  app.add_flag("-q,--quiet", options.quiet, "no progress bar");

  if (const std::optional<int> stop = ParseCommandLine(app, argc, argv, kProgram)) return *stop;

  options.sizeGiven = app.count("--size") > 0;
  options.depthGiven = app.count("--depth") > 0;

  // A reader that goes away early (`| head -c ...`) is a write error with a
  // message, not a silent death by signal. Ctrl-C stops between frames and
  // removes what was written.
  std::signal(SIGPIPE, SIG_IGN);
  CatchInterrupts();
  try {
    return Run(options);
  } catch (const Interrupted& error) {
    std::fprintf(stderr, "\n%s: %s\n", kProgram, error.what());
    return 130;
  } catch (const UsageError& error) {
    std::fprintf(stderr, "%s: error: %s\n", kProgram, error.what());
    return 2;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: error: %s\n", kProgram, error.what());
    return 1;
  }
}

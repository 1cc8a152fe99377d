// veltrima-render: the plug-in's patterns as PNG files, PNG sequences or raw
// video frames, without a video host. It runs the plug-in's own code through
// plugMain in a headless GL context, exactly as a host does, with the frame
// clock stepped so that frame n shows the moment n / fps.
#include <CLI/CLI.hpp>

#include <cctype>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <list>
#include <optional>
#include <string>
#include <vector>

#include "host/EntryPoint.h"
#include "hostkit/GLContext.h"
#include "hostkit/StraightRgba8Reader.h"
#include "imaging/PngFile.h"
#include "tools/render/ContactSheet.h"
#include "tools/render/FrameOutput.h"
#include "tools/render/FrameSource.h"
#include "tools/render/ParameterTable.h"
#include "tools/render/PrivateStdout.h"
#include "tools/render/Progress.h"
#include "tools/render/RenderLimits.h"

namespace {

constexpr char kProgram[] = "veltrima-render";

constexpr char kExamples[] = R"(Examples:
  veltrima-render --preset "ROE BP2 / 176x176" --size 3840x2160 -o grid.png
  veltrima-render --set "Panel Width px=176" --set "Pattern=Full Raster" \
                  --set "Background=Transparent" -o raster.png
  veltrima-render --preset "Dead Pixel Sweep" --frames 600 --fps 60 -o frames/%05d.png
  veltrima-render --preset "Dead Pixel Sweep" --size 1920x1080 --frames 600 --fps 60 -o - \
    | ffmpeg -f rawvideo -pix_fmt rgba -s 1920x1080 -r 60 -i - \
             -c:v libx264 -pix_fmt yuv420p sweep.mp4
  veltrima-render --sheet presets.png --save-presets out

Parameters are named as the plug-in reports them (see --list), without regard
to case; option values by element name or number, on/off for switches. The
preset is applied first, then every --set in order. Values outside a
parameter's range are passed on as a host would pass them (the plug-in clamps
them), with a warning.

PNG files hold straight (not premultiplied) alpha. Raw output (-o -) is
width x height x 4 bytes per frame, RGBA, 8 bits per channel, rows top-down,
straight alpha: ffmpeg's "rgba" pixel format.
)";

struct Options {
  std::string output;
  std::string preset;
  std::vector<std::string> sets;
  std::string size = "1920x1080";
  long frames = 1;
  double fps = 60.0;
  std::string sheet;
  std::string presetFolder;
  bool list = false;
  bool quiet = false;
};

void Warn(const std::string& message) {
  std::fprintf(stderr, "%s: warning: %s\n", kProgram, message.c_str());
}

// The values to send after instantiation: the preset first, then the sets.
std::vector<ParameterValue> ResolveValues(const ParameterTable& table, const Options& options) {
  std::vector<ParameterValue> values;
  if (!options.preset.empty())
    values.push_back(table.ResolveValue(table.Find("Preset"), options.preset));
  for (const auto& set : options.sets) values.push_back(table.Resolve(set));
  for (const auto& value : values)
    if (!value.warning.empty()) Warn(value.warning + "; passed on as a host would");
  return values;
}

void PrintList(const ParameterTable& table, int descriptor) {
  std::string text = "Parameters:\n" + table.Listing() + "\nPresets (--preset NAME or NUMBER):\n";
  const auto& presets = table.Find("Preset").elements;
  for (std::size_t i = 0; i < presets.size(); ++i)
    text += "  " + std::to_string(i) + "  " + presets[i].name + "\n";
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

// Frame n is queued for read-back as soon as it is drawn and written out
// only when the ring is full, so that the read-back of a frame and the
// writing of an earlier one run while later frames are drawn. Nothing is
// allocated per frame: the writer takes the mapped pack buffer as it is.
void RenderSequence(const hostkit::PluginLibrary& plugin, const Size& size,
                    const std::vector<ParameterValue>& values, const Options& options,
                    int rawDescriptor) {
  FrameWriter writer(ParseOutput(options.output, options.frames), size.width, size.height,
                     rawDescriptor);
  FrameSource source(plugin, size.width, size.height, values);
  // Three pack buffers let two frames be in flight while a third is written;
  // a single picture needs only two.
  hostkit::StraightRgba8Reader reader(size.width, size.height, options.frames >= 3 ? 3 : 2);
  Progress progress(options.frames, options.quiet);
  long written = 0;
  const auto writeOldest = [&] {
    writer.Write(written, reader.MapOldest());
    reader.ReleaseOldest();
    progress.Update(++written);
  };
  for (long n = 0; n < options.frames; ++n) {
    source.Render(n, options.fps);
    if (reader.Pending() == reader.Depth()) writeOldest();
    reader.Queue(source.Target());
  }
  while (reader.Pending() > 0) writeOldest();
  writer.Commit();
}

void RenderSheet(const hostkit::PluginLibrary& plugin, const ParameterTable& table,
                 const Size& size, const std::vector<ParameterValue>& values,
                 const Options& options) {
  const ParameterInfo& preset = table.Find("Preset");
  const int count = static_cast<int>(preset.elements.size());
  ContactSheet sheet(size.width, size.height, count);
  std::list<FrameWriter> files;  // removed again unless the sheet is written too
  Progress progress(count, options.quiet);
  for (int p = 0; p < count; ++p) {
    const hostkit::ParameterElement& element = preset.elements[static_cast<std::size_t>(p)];
    std::vector<ParameterValue> tileValues{{preset.id, element.value, ""}};
    tileValues.insert(tileValues.end(), values.begin(), values.end());
    FrameSource source(plugin, size.width, size.height, tileValues);
    source.Render(0, options.fps);
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

int Run(const Options& options) {
  // From here on the plug-in's code runs: whatever it prints goes to
  // standard error, never into the frames.
  const PrivateStdout stdoutForFrames;
  const hostkit::PluginLibrary plugin(&plugMain, &SetLogCallback, "OVNVeltrimaFree");
  const ParameterTable table(plugin);
  if (options.list) {
    PrintList(table, stdoutForFrames.Descriptor());
    return 0;
  }
  if (options.output.empty() && options.sheet.empty())
    throw UsageError("nothing to write: give -o PATH, -o - or --sheet PATH");
  if (!(options.fps > 0 && std::isfinite(options.fps)))
    throw UsageError("--fps must be a positive number");
  if (options.frames < 1) throw UsageError("--frames must be at least 1");

  const Size size = ParseSize(options.size);
  const std::vector<ParameterValue> values = ResolveValues(table, options);
  if (!options.output.empty()) ParseOutput(options.output, options.frames);
  if (!options.sheet.empty()) RequireFolderOf(options.sheet);
  if (!options.presetFolder.empty()) RequireFolderOf(options.presetFolder + "/x.png");

  hostkit::GLContext context(hostkit::OptionsFromEnvironment());
  RequireWithinGLLimits(size);

  if (!options.output.empty())
    RenderSequence(plugin, size, values, options, stdoutForFrames.Descriptor());
  if (!options.sheet.empty()) RenderSheet(plugin, table, size, values, options);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  CLI::App app{"Renders the OVNVeltrima FREE test patterns to PNG files or raw video frames.",
               kProgram};
  app.footer(kExamples);
  app.add_option("-o,--output", options.output,
                 "PNG file, numbered PNG pattern (frames/%05d.png), or - for raw RGBA on stdout");
  app.add_option("--preset", options.preset, "preset by name or number (see --list)");
  app.add_option("--set", options.sets, "NAME=VALUE, repeatable; applied after the preset");
  app.add_option("--size", options.size, "output size WIDTHxHEIGHT")->capture_default_str();
  app.add_option("--frames", options.frames, "number of frames")->capture_default_str();
  app.add_option("--fps", options.fps, "frames per second of the sequence")->capture_default_str();
  app.add_option("--sheet", options.sheet, "contact sheet of all presets, captioned");
  app.add_option("--save-presets", options.presetFolder,
                 "with --sheet: also write each preset's full-size PNG into this folder");
  app.add_flag("--list", options.list, "list the parameters, their values and the presets");
  app.add_flag("-q,--quiet", options.quiet, "no progress bar");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::ParseError& error) {
    std::fprintf(stderr, "%s: error: %s\n", kProgram, error.what());
    return 2;
  }

  // A reader that goes away early (`| head -c ...`) is a write error with a
  // message, not a silent death by signal.
  std::signal(SIGPIPE, SIG_IGN);
  try {
    return Run(options);
  } catch (const UsageError& error) {
    std::fprintf(stderr, "%s: error: %s\n", kProgram, error.what());
    return 2;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: error: %s\n", kProgram, error.what());
    return 1;
  }
}

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
#include "tools/render/AllScreens.h"
#include "tools/render/Codec.h"
#include "tools/render/ContactSheet.h"
#include "tools/render/FrameOutput.h"
#include "framestamp/FrameRate.h"
#include "tools/render/FrameSource.h"
#include "tools/render/OpaqueBytes.h"
#include "tools/render/Interrupt.h"
#include "tools/render/ColourTags.h"
#include "tools/render/LightPass.h"
#include "tools/render/ParameterTable.h"
#include "tools/render/PluginChoice.h"
#include "tools/render/PrivateStdout.h"
#include "tools/render/Progress.h"
#include "tools/render/RenderLimits.h"
#include "tools/render/SignalOutput.h"
#include "tools/render/Rgba8TargetReader.h"
#include "tools/render/StartTime.h"
#include "tools/render/StraightRgba16.h"
#include "tools/render/VideoFile.h"

namespace {

constexpr char kProgram[] = "veltrima-render";

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
signal holds (bt2020 smpte2084 or arib-std-b67, bt709; range tv or pc; a
cICP chunk in PNGs), with its codes kept: PNGs at 16 bits and video at 10
unless --depth says otherwise; --depth 8 with PQ or HLG is refused. PQ and
HLG video files carry the mastering display and the content light level
measured from their frames, so their frames are drawn twice.

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

struct Options {
  std::string output;
  std::string preset;
  std::vector<std::string> sets;
  std::string size = "1920x1080";
  long frames = 1;
  std::string fps = "60";
  std::string sheet;
  std::string presetFolder;
  std::string plugin = "free";
  std::string codec;
  std::string pixFmt;
  int depth = 8;
  std::string startTime;
  bool list = false;
  bool quiet = false;
  bool allScreens = false;
  bool sizeGiven = false;  // --size on the command line, not its default
  bool depthGiven = false;
};

void Warn(const std::string& message) {
  std::fprintf(stderr, "%s: warning: %s\n", kProgram, message.c_str());
}

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
std::vector<ParameterValue> ResolveValues(const ParameterTable& table, const Options& options,
                                          const StartTime& start) {
  std::vector<ParameterValue> values = StartTimeValues(table, start);
  if (!options.preset.empty())
    values.push_back(table.ResolveValue(table.Find("Preset"), options.preset));
  for (const auto& set : options.sets) values.push_back(table.Resolve(set));
  for (const auto& value : values)
    if (!value.warning.empty()) Warn(value.warning + "; passed on as a host would");
  return values;
}

void PrintList(const ParameterTable& table, int descriptor) {
  std::string text = "Parameters:\n" + table.Listing();
  if (const ParameterInfo* presets = table.FindIfAny("Preset")) {
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

// Everything a sequence needs besides the plug-in.
struct SequencePlan {
  OutputTarget target;
  Size size;
  FrameRate rate;
  Clocking clocking = Clocking::SteppedLinked;
  int depth = 8;
  std::optional<VideoSettings> video;  // for a video file
  std::optional<VideoSignal> signal;   // the plug-in's "Signal", when it has one
  std::optional<PngColour> pngColour;  // the cICP chunk of the signal's PNGs
  // The linked plug-in's "Background" option and its "Transparent" value;
  // nullptr for a loaded module, whose frames alone tell (each is checked).
  const ParameterInfo* background = nullptr;
};

bool IsOpaque16(const std::vector<std::uint16_t>& rgba) {
  for (std::size_t i = 3; i < rgba.size(); i += 4)
    if (rgba[i] != 65535) return false;
  return true;
}

class SequenceWriter {
 public:
  SequenceWriter(const SequencePlan& plan, int rawDescriptor)
      : plan_(plan), rawDescriptor_(rawDescriptor) {}

  // Opens the output once the first frame has told whether it is transparent.
  FrameWriter& Open(bool transparent) {
    if (!writer_) {
      std::optional<VideoSettings> video = plan_.video;
      if (video) {
        video->alpha = transparent;
        if (transparent && !KeepsAlpha(*video->codec))
          Warn(std::string("--codec ") + video->codec->name +
               " keeps no alpha: transparent pixels keep their colour and lose their alpha");
      }
      writer_ = std::make_unique<FrameWriter>(plan_.target, plan_.size.width, plan_.size.height,
                                              rawDescriptor_, video ? &*video : nullptr);
      writer_->SetPngColour(plan_.pngColour);
    }
    return *writer_;
  }
  FrameWriter& Writer() { return *writer_; }

 private:
  const SequencePlan& plan_;
  int rawDescriptor_;
  std::unique_ptr<FrameWriter> writer_;
};

// The ring's depth for a run of `frames` frames: three buffers let the
// read-back of one frame and the writing of another overlap the drawing.
int RingDepth(long frames) { return frames >= 3 ? 3 : 2; }

// Frames [first, frames) through the float target and the un-premultiplying
// pass, in a read-back ring: frame n is queued as soon as it is drawn and
// written out only when the ring is full. Nothing is allocated per frame.
void RenderOnFloat(FrameSource& source, const SequencePlan& plan, long first, long frames,
                   FrameWriter& writer, Progress& progress) {
  hostkit::StraightRgba8Reader reader(plan.size.width, plan.size.height,
                                      RingDepth(frames - first));
  long written = first;
  const auto writeOldest = [&] {
    writer.Write(written, FrameRows{reader.MapOldest(),
                                    static_cast<std::ptrdiff_t>(plan.size.width) * 4});
    reader.ReleaseOldest();
    progress.Update(++written);
  };
  for (long n = first; n < frames; ++n) {
    StopIfInterrupted();
    source.Render(n, plan.rate, Surface::Float);
    if (reader.Pending() == reader.Depth()) writeOldest();
    reader.Queue(source.Target());
  }
  while (reader.Pending() > 0) writeOldest();
}

// Frames [1, frames) drawn into the 8-bit target, whose bytes go out as they
// are, in a read-back ring like the float path's. With `checkAlpha` (a loaded
// module, whose alpha nothing tells in advance) each frame's alpha is
// checked as it is written, a third of a millisecond at 1080p. The first
// frame that is not opaque ends the 8-bit run: the frames already drawn by
// then (that one and up to three behind it) cannot be drawn again, since a
// plug-in gets exactly one draw per frame, so their premultiplied bytes are
// made straight on the CPU (exact where alpha is 0 or 255); every later
// frame takes the float path. Answers the first frame not yet drawn:
// `frames` when all went out here.
long RenderOnBytes(FrameSource& source, const SequencePlan& plan, long frames, bool checkAlpha,
                   FrameWriter& writer, Progress& progress) {
  Rgba8TargetReader reader(plan.size.width, plan.size.height, RingDepth(frames));
  const std::size_t rowBytes = static_cast<std::size_t>(plan.size.width) * 4;
  std::vector<std::uint8_t> straight;  // only once a frame is not opaque
  long written = 1, notOpaque = -1;
  const auto writeOldest = [&] {
    const FrameRows rows = reader.MapOldest();
    const std::uint8_t* lowest = rows.top + rows.stride * (plan.size.height - 1);
    if (checkAlpha && notOpaque < 0 && !AllOpaque(lowest, reader.FrameBytes()))
      notOpaque = written;
    if (notOpaque < 0) {
      writer.Write(written, rows);
    } else {
      straight.resize(reader.FrameBytes());
      for (int y = 0; y < plan.size.height; ++y)
        StraightFromPremultiplied8(rows.top + rows.stride * y, rowBytes,
                                   straight.data() + rowBytes * static_cast<std::size_t>(y));
      writer.Write(written, straight.data());
    }
    reader.ReleaseOldest();
    progress.Update(++written);
  };
  long n = 1;
  for (; n < frames && notOpaque < 0; ++n) {
    StopIfInterrupted();
    source.Render(n, plan.rate, Surface::Bytes);
    if (reader.Pending() == reader.Depth()) writeOldest();
    reader.Queue(source.Bytes());
  }
  while (reader.Pending() > 0) writeOldest();
  if (notOpaque >= 0) {
    std::string note = "frame " + std::to_string(notOpaque) +
                       " is not opaque: frames " + std::to_string(notOpaque) + " to " +
                       std::to_string(n - 1) +
                       " are made straight from their 8-bit bytes, later ones take the float path";
    if (plan.video) note += "; the file was begun opaque and keeps no alpha";
    progress.Note((std::string(kProgram) + ": note: " + note).c_str());
  }
  return n;
}

// Whether the linked plug-in's background, as the preset and the sets left
// it, is its transparent one: its shader draws alpha 1 everywhere on any
// other, so its frames need no alpha check.
bool TransparentBackground(const FrameSource& source, const ParameterInfo* background) {
  if (!background) return false;
  const float value = source.Value(background->id);
  const hostkit::ParameterElement* nearest = nullptr;
  for (const auto& element : background->elements)
    if (!nearest || std::fabs(element.value - value) < std::fabs(nearest->value - value))
      nearest = &element;
  return nearest && nearest->name == "Transparent";
}

// 8-bit output. Frame 0 is drawn into the float target and converted
// exactly. When it is opaque everywhere (and, for the linked plug-in, its
// background is not the transparent one), the rest are drawn into an 8-bit
// target whose bytes go out as they are (the GPU's own rounding, what an
// 8-bit host framebuffer shows); a loaded module's frames are checked to stay
// opaque. Transparent output takes the float target, whose straight-alpha
// bytes need the un-premultiplying pass.
void RenderSequence8(FrameSource& source, const SequencePlan& plan, long frames,
                     SequenceWriter& output, Progress& progress) {
  source.Render(0, plan.rate, Surface::Float);
  const std::vector<std::uint8_t> first = source.StraightRgba8();
  const bool opaque = AllOpaque(first.data(), first.size());
  FrameWriter& writer = output.Open(!opaque);
  writer.Write(0, first.data());
  progress.Update(1);
  long next = 1;
  if (opaque && !TransparentBackground(source, plan.background) && frames > 1)
    next = RenderOnBytes(source, plan, frames, plan.background == nullptr, writer, progress);
  if (next < frames) RenderOnFloat(source, plan, next, frames, writer, progress);
}

// Deeper output: every frame from the float read-back, at 16 bits.
void RenderSequence16(FrameSource& source, const SequencePlan& plan, long frames,
                      SequenceWriter& output, Progress& progress) {
  std::vector<std::uint16_t> words;
  for (long n = 0; n < frames; ++n) {
    StopIfInterrupted();
    source.Render(n, plan.rate, Surface::Float);
    const std::vector<float> floats = source.Target().ReadOutput();
    words.resize(floats.size());
    StraightRgba16FromPremultiplied(floats.data(), floats.size(), words.data());
    output.Open(!IsOpaque16(words)).Write16(n, words.data());
    progress.Update(n + 1);
  }
}

void RenderSequence(const hostkit::PluginLibrary& plugin, const SequencePlan& plan,
                    const std::vector<ParameterValue>& values, long frames, bool quiet,
                    int rawDescriptor) {
  SequencePlan measured = plan;
  if (plan.video && plan.signal && IsHdr(plan.signal->signal))
    measured.video->light = MeasureContentLight(
        plugin, {plan.clocking, plan.size.width, plan.size.height, plan.rate, frames, *plan.signal},
        values, quiet);
  FrameSource source(plugin, plan.clocking, plan.size.width, plan.size.height, values,
                     plan.depth == 8);
  SequenceWriter output(measured, rawDescriptor);
  {
    Progress progress(frames, quiet);
    if (plan.depth == 8)
      RenderSequence8(source, plan, frames, output, progress);
    else
      RenderSequence16(source, plan, frames, output, progress);
  }
  StopIfInterrupted();
  output.Writer().Commit();
}

void RenderSheet(const hostkit::PluginLibrary& plugin, const ParameterTable& table,
                 const Size& size, const FrameRate& rate,
                 const std::vector<ParameterValue>& values, const Options& options) {
  const ParameterInfo& preset = table.Find("Preset");
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

constexpr int kDepths[] = {8, 10, 12, 16};

// Reads the output options into a plan; every mistake is a UsageError here,
// before a GL context or a file exists.
SequencePlan PlanSequence(Options options, const Size& size, const FrameRate& rate,
                          bool linked, const std::optional<VideoSignal>& signal = std::nullopt) {
  SequencePlan plan;
  plan.target = ParseOutput(options.output, options.frames);
  plan.size = size;
  plan.rate = rate;
  plan.clocking = linked ? Clocking::SteppedLinked : Clocking::HostTime;
  plan.signal = signal;
  if (std::find(std::begin(kDepths), std::end(kDepths), options.depth) == std::end(kDepths))
    throw UsageError("--depth takes 8, 10, 12 or 16, not " + std::to_string(options.depth));
  const std::string extension = [&] {
    std::string text = std::filesystem::path(options.output).extension().string();
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
  }();
  const Codec* codec = nullptr;
  if (plan.target.kind == OutputKind::Video)
    codec = options.codec.empty() ? DefaultCodecFor(extension, signal && IsHdr(signal->signal))
                                  : &FindCodec(options.codec);
  options.depth = DepthForSignal(signal, options.depth, options.depthGiven, plan.target.kind, codec);
  plan.depth = options.depth;
  if (signal && plan.target.kind != OutputKind::Video) plan.pngColour = CicpFor(*signal);
  if (!options.pixFmt.empty() && options.pixFmt != "yuv420p" && options.pixFmt != "yuv444p")
    throw UsageError("--pix-fmt takes yuv420p or yuv444p (H.264's default), not \"" +
                     options.pixFmt + "\"");
  if (plan.target.kind != OutputKind::Video) {
    if (!options.codec.empty() || !options.pixFmt.empty())
      throw UsageError("--codec and --pix-fmt are for video files (-o NAME.mkv, .mov or .mp4)");
    if (plan.target.kind == OutputKind::RawStream && options.depth != 8)
      throw UsageError("raw frames are 8-bit; write --depth " + std::to_string(options.depth) +
                       " as a video file (.mkv) or, at 16, as PNG");
    if (plan.target.kind != OutputKind::RawStream && options.depth != 8 && options.depth != 16)
      throw UsageError("PNG files take --depth 8 or 16, not " + std::to_string(options.depth));
    return plan;
  }
  VideoSettings video;
  video.path = plan.target.path;
  video.codec = codec;
  video.signal = signal;
  video.depth = options.depth;
  video.yuv420 = options.pixFmt == "yuv420p";
  video.rate = rate;
  const StartTime start = ParseStartTime(options.startTime.empty() ? "00:00:00.000"
                                                                   : options.startTime);
  try {
    video.timecode = StartTimecode(start, rate);
  } catch (const UsageError&) {
    // Without --start-time, a rate no timecode counts simply gets none.
    if (!options.startTime.empty()) throw;
  }
  CheckVideoSettings(video, size.width, size.height);
  if (video.yuv420)
    Warn("--pix-fmt yuv420p halves the colour resolution: one-pixel coloured lines and "
         "checkers smear; leave it out for 4:4:4");
  else if (HalvesChroma(ChooseFormat(*codec, video.depth, false, false)))
    Warn("--codec " + std::string(codec->name) +
         " halves the colour resolution (4:2:0): one-pixel coloured lines and checkers "
         "smear; --codec hevc-444 keeps 4:4:4");
  plan.video = video;
  return plan;
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

// What --all-screens refuses before any module is loaded: it makes one
// still PNG per screen of a MAP layout, each at that screen's own size.
void CheckAllScreensOptions(const Options& options) {
  if (options.plugin != "map")
    throw UsageError("--all-screens is the MAP plug-in's: use it with --plugin map");
  if (options.frames != 1)
    throw UsageError("--all-screens writes one still PNG per screen; leave out --frames");
  if (options.sizeGiven)
    throw UsageError("--all-screens renders each screen at its own canvas; leave out --size");
  if (options.output.empty() || options.output == "-" ||
      ParseOutput(options.output, 1).kind != OutputKind::SingleImage)
    throw UsageError("--all-screens needs -o NAME.png (it writes NAME-1.png, NAME-2.png, ...)");
}

// The layout file the sets give the MAP plug-in (the last one wins, as it
// would in a host), with no --set of the screen, which --all-screens sets.
std::string LayoutPathOf(const ParameterTable& table, const std::vector<ParameterValue>& values) {
  const FFUInt32 file = table.Find(kMapFileParameterName).id;
  const FFUInt32 screen = table.Find(kMapScreenParameterName).id;
  std::string path;
  for (const auto& value : values) {
    if (value.id == file) path = value.text;
    if (value.id == screen)
      throw UsageError(std::string("--all-screens sets \"") + kMapScreenParameterName +
                       "\" itself, one PNG per screen; leave out its --set");
  }
  if (path.empty())
    throw UsageError(std::string("--all-screens needs the layout: --set \"") +
                     kMapFileParameterName + "=PATH\"");
  return path;
}

// Removes the PNGs already written unless Keep() is called: an error in a
// later screen leaves no part of the set behind.
class WrittenFiles {
 public:
  WrittenFiles() = default;
  WrittenFiles(const WrittenFiles&) = delete;
  WrittenFiles& operator=(const WrittenFiles&) = delete;
  ~WrittenFiles() {
    std::error_code ignored;
    for (const auto& path : paths_) std::filesystem::remove(path, ignored);
  }
  void Add(const std::string& path) { paths_.push_back(path); }
  void Keep() { paths_.clear(); }

 private:
  std::vector<std::string> paths_;
};

int RenderAllScreens(const hostkit::PluginLibrary& plugin, const ParameterTable& table,
                     const Options& options, const FrameRate& rate,
                     const std::vector<ParameterValue>& values, int rawDescriptor) {
  const std::vector<ScreenImage> images = PlanScreenImages(LayoutPathOf(table, values),
                                                           options.output, &Warn);
  const ParameterInfo& screenParam = table.Find(kMapScreenParameterName);
  std::vector<SequencePlan> plans;
  for (const ScreenImage& image : images) {
    Options one = options;
    one.output = image.path;
    plans.push_back(PlanSequence(one, image.size, rate, false));
  }

  hostkit::GLContext context(hostkit::OptionsFromEnvironment());
  for (const ScreenImage& image : images) RequireWithinGLLimits(image.size);

  WrittenFiles written;
  for (std::size_t i = 0; i < images.size(); ++i) {
    std::vector<ParameterValue> screenValues = values;
    screenValues.push_back(table.ResolveValue(screenParam, std::to_string(images[i].screen)));
    RenderSequence(plugin, plans[i], screenValues, 1, true, rawDescriptor);
    written.Add(images[i].path);
  }
  written.Keep();
  return 0;
}

int Run(const Options& options) {
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
  if (plan && choice.linked) plan->background = table.FindIfAny("Background");
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
  Options options;
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

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::ParseError& error) {
    std::fprintf(stderr, "%s: error: %s\n", kProgram, error.what());
    return 2;
  }

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

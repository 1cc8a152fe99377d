#include "tools/render/Sequence.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "hostkit/StraightRgba8Reader.h"
#include "tools/UsageError.h"
#include "tools/render/Codec.h"
#include "tools/render/ColourTags.h"
#include "tools/render/FreeParameterNames.h"
#include "tools/render/Interrupt.h"
#include "tools/render/LightPass.h"
#include "tools/render/OpaqueBytes.h"
#include "tools/render/SignalOutput.h"
#include "tools/render/StartTime.h"
#include "tools/render/StraightRgba16.h"
#include "tools/render/Warnings.h"

namespace {

constexpr int kDepths[] = {8, 10, 12, 16};

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
  BytesRing ring(plan.size, RingDepth(frames), checkAlpha, 1, writer, progress);
  long n = 1;
  for (; n < frames && ring.NotOpaque() < 0; ++n) {
    StopIfInterrupted();
    source.Render(n, plan.rate, Surface::Bytes);
    ring.Add(source.Bytes());
  }
  ring.Finish();
  const long notOpaque = ring.NotOpaque();
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
  return nearest && nearest->name == FreeTransparentName();
}

// 8-bit output. Frame 0 is drawn into the float target and converted
// exactly. When it is opaque everywhere (and, for the linked plug-in, its
// background is not the transparent one), the rest are drawn into an 8-bit
// target whose bytes go out as they are (the GPU's own rounding, what an
// 8-bit host framebuffer shows), and frame 0 goes out as the GPU converts
// it; a loaded module's frames are checked to stay opaque. Transparent
// output takes the float target, whose straight-alpha bytes need the
// un-premultiplying pass.
void RenderSequence8(FrameSource& source, const SequencePlan& plan, long frames,
                     SequenceWriter& output, Progress& progress) {
  source.Render(0, plan.rate, Surface::Float);
  std::vector<std::uint8_t> first = source.StraightRgba8();
  const bool opaque = AllOpaque(first.data(), first.size());
  const bool onBytes = opaque && !TransparentBackground(source, plan.background) && frames > 1;
  // The frames after it round as the GPU does (halves to even on some):
  // frame 0 is converted the same way, so that a still picture's frames are
  // one picture.
  if (onBytes) first = source.FloatFrameAsBytes();
  FrameWriter& writer = output.Open(!opaque);
  writer.Write(0, first.data());
  progress.Update(1);
  long next = 1;
  if (onBytes)
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

}  // namespace

int RingDepth(long frames) { return frames >= 3 ? 3 : 2; }

BytesRing::BytesRing(const Size& size, int depth, bool checkAlpha, long first,
                     FrameWriter& writer, Progress& progress)
    : reader_(size.width, size.height, depth),
      height_(size.height),
      rowBytes_(static_cast<std::size_t>(size.width) * 4),
      checkAlpha_(checkAlpha),
      writer_(writer),
      progress_(progress),
      written_(first) {}

void BytesRing::Add(const hostkit::RenderTarget& bytes) {
  if (reader_.Pending() == reader_.Depth()) WriteOldest();
  reader_.Queue(bytes);
}

void BytesRing::Finish() {
  while (reader_.Pending() > 0) WriteOldest();
}

void BytesRing::WriteOldest() {
  const FrameRows rows = reader_.MapOldest();
  const std::uint8_t* lowest = rows.top + rows.stride * (height_ - 1);
  if (checkAlpha_ && notOpaque_ < 0 && !AllOpaque(lowest, reader_.FrameBytes()))
    notOpaque_ = written_;
  if (notOpaque_ < 0) {
    writer_.Write(written_, rows);
  } else {
    straight_.resize(reader_.FrameBytes());
    for (int y = 0; y < height_; ++y)
      StraightFromPremultiplied8(rows.top + rows.stride * y, rowBytes_,
                                 straight_.data() + rowBytes_ * static_cast<std::size_t>(y));
    writer_.Write(written_, straight_.data());
  }
  reader_.ReleaseOldest();
  progress_.Update(++written_);
}

SequencePlan PlanSequence(RenderOptions options, const Size& size, const FrameRate& rate,
                          bool linked, const std::optional<VideoSignal>& signal) {
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
  // A signal's frames for an 8-bit codec are read back deep (SignalOutput.h).
  if (signal && !options.depthGiven && DepthsOf(*codec).back() < video.depth)
    video.codecDepth = DepthsOf(*codec).back();
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
  else if (HalvesChroma(PixelFormatOf(video)))
    Warn("--codec " + std::string(codec->name) +
         " halves the colour resolution (4:2:0): one-pixel coloured lines and checkers "
         "smear; --codec hevc-444 keeps 4:4:4");
  plan.video = video;
  return plan;
}

void RenderSequence(const hostkit::PluginLibrary& plugin, const SequencePlan& plan,
                    const std::vector<ParameterValue>& values, long frames, bool quiet,
                    int rawDescriptor) {
  // PQ and HLG files state the light of their frames before the first is
  // written, so the frames are drawn once to measure it.
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

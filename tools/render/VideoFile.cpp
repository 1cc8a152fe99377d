#include "tools/render/VideoFile.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <utility>
#include <vector>

#include "tools/render/ColourTags.h"
#include "tools/render/Mastering.h"
#include "tools/render/ParameterTable.h"
#include "tools/render/RepeatCheck.h"
#include "tools/render/SignalLevels.h"
#include "tools/render/SignalYuv.h"

namespace {

std::string ErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

void Check(int code, const std::string& what) {
  if (code < 0) throw std::runtime_error(what + ": " + ErrorText(code));
}

std::string Extension(const std::string& path) {
  return std::filesystem::path(path).extension().string();
}

// Same folder, hidden, with the extension kept for anyone who looks.
std::string TemporaryPathFor(const std::string& path) {
  const std::filesystem::path final(path);
  const std::string name = "." + final.stem().string() + ".partial-" +
                           std::to_string(::getpid()) + final.extension().string();
  return (final.parent_path() / name).string();
}

struct FormatContextDeleter {
  void operator()(AVFormatContext* context) const {
    if (context && context->pb) avio_closep(&context->pb);
    avformat_free_context(context);
  }
};
struct CodecContextDeleter {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameDeleter {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketDeleter {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScaleDeleter {
  void operator()(SwsContext* context) const { sws_freeContext(context); }
};

const AVOutputFormat& ContainerFor(const std::string& path) {
  const AVOutputFormat* format = av_guess_format(nullptr, path.c_str(), nullptr);
  if (!format) throw UsageError("FFmpeg knows no container for \"" + path + "\"");
  return *format;
}

// The codecs (by --codec name) that this container holds and this FFmpeg encodes.
std::string CodecsThatWork(const AVOutputFormat& container) {
  std::string names;
  for (const Codec& codec : Codecs()) {
    const AVCodec* encoder = avcodec_find_encoder_by_name(codec.encoder);
    if (encoder && avformat_query_codec(&container, encoder->id, FF_COMPLIANCE_NORMAL) == 1)
      names += (names.empty() ? "" : ", ") + std::string(codec.name);
  }
  return names.empty() ? "none" : names;
}

// The extensions of kVideoContainers whose container holds the codec.
std::vector<std::string> ExtensionsHolding(AVCodecID id) {
  std::vector<std::string> extensions;
  for (const VideoContainer& container : kVideoContainers) {
    const AVOutputFormat* format = av_guess_format(nullptr, container.extension, nullptr);
    if (format && avformat_query_codec(format, id, FF_COMPLIANCE_NORMAL) == 1)
      extensions.push_back(container.extension);
  }
  return extensions;
}

std::string Joined(const std::vector<std::string>& words, const char* separator) {
  std::string text;
  for (const auto& word : words) text += (text.empty() ? "" : separator) + word;
  return text;
}

std::string ContainersFor(AVCodecID id) {
  const std::vector<std::string> extensions = ExtensionsHolding(id);
  return extensions.empty() ? "no container here" : Joined(extensions, " or ");
}

// The extensions whose container this machine's libavformat says holds the
// codec; empty where its FFmpeg lacks the encoder.
std::vector<std::string> ContainersOf(const Codec& codec) {
  const AVCodec* encoder = avcodec_find_encoder_by_name(codec.encoder);
  return encoder ? ExtensionsHolding(encoder->id) : std::vector<std::string>{};
}

// libswscale's context from `input` to `output` frames of one size. Its own
// 4:2:0 chroma lies between two columns (the mean of a 2x2 block); here it
// is left-sited, as the file says and SignalYuv writes a signal's.
SwsContext* ScaleContext(int width, int height, AVPixelFormat input, AVPixelFormat output,
                         int flags) {
  SwsContext* context = sws_alloc_context();
  if (!context) return nullptr;
  // Positions in 256ths of a luma pixel: column 0, between rows 0 and 1.
  const bool halved = HalvesChroma(output);
  const std::pair<const char*, std::int64_t> options[] = {
      {"srcw", width},       {"srch", height},
      {"src_format", input}, {"dstw", width},
      {"dsth", height},      {"dst_format", output},
      {"sws_flags", flags},  {"dst_h_chr_pos", halved ? 0 : -513},
      {"dst_v_chr_pos", halved ? 128 : -513}};
  for (const auto& [key, value] : options)
    if (av_opt_set_int(context, key, value, 0) < 0) {
      sws_freeContext(context);
      return nullptr;
    }
  if (sws_init_context(context, nullptr, nullptr) < 0) {
    sws_freeContext(context);
    return nullptr;
  }
  return context;
}

// The extension as the container table spells it (lower case).
std::string LowerExtension(const std::string& path) {
  std::string extension = Extension(path);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

// The codecs whose files keep `signal` (its range, and more than 8 bits for
// PQ and HLG), each with the extensions that hold it so: "ffv1 (.mkv)".
std::string CodecsKeeping(const veltrima::signal::Signal& signal) {
  const bool full = signal.range == veltrima::signal::Range::Full;
  std::string names;
  for (const Codec& codec : Codecs()) {
    if (IsHdr(signal) && DepthsOf(codec).back() < 10) continue;
    std::vector<std::string> where;
    for (const std::string& extension : ContainersOf(codec))
      if (KeepsRange(codec, extension, full)) where.push_back(extension);
    if (!where.empty())
      names += (names.empty() ? "" : ", ") + std::string(codec.name) + " (" + Joined(where, " ") + ")";
  }
  return names;
}

std::string SignalName(const veltrima::signal::Signal& signal) {
  for (const auto& named : veltrima::signal::kSignals)
    if (named.signal.transfer == signal.transfer && named.signal.range == signal.range)
      return std::string(named.name);
  return "the signal";
}

// A signal's file must say its range so that decoders read it back so, and
// keep its codes: refused otherwise, naming what does.
void CheckSignalKept(const VideoSettings& settings) {
  if (!settings.signal) return;
  const Codec& codec = *settings.codec;
  const veltrima::signal::Signal& signal = settings.signal->signal;
  const std::string name = SignalName(signal);
  const std::string instead =
      "; use --codec " + CodecsKeeping(signal) + ", or -o NAME.png (16-bit PNG keeps both ranges)";
  if (codec.range == RangeSaid::Never)
    throw UsageError("--codec " + std::string(codec.name) + " cannot hold \"" + name + "\": " +
                     codec.rangeNote + instead);
  const bool full = signal.range == veltrima::signal::Range::Full;
  if (!KeepsRange(codec, LowerExtension(settings.path), full))
    throw UsageError("a " + Extension(settings.path) + " file of --codec " + codec.name +
                     " cannot say " + (full ? "full" : "narrow") + " range (" + codec.rangeNote +
                     "), so \"" + name + "\" would decode at the wrong levels" + instead);
}

}  // namespace

std::string CodecListing() {
  std::string listing;
  for (const Codec& codec : Codecs()) {
    std::string containers;
    for (const std::string& extension : ContainersOf(codec))
      containers += (containers.empty() ? "" : " ") + extension +
                    (DefaultCodecFor(extension) == &codec ? "*" : "");
    if (containers.empty()) containers = "(no encoder)";
    std::string line = "  " + std::string(codec.name);
    line.resize(std::max<std::size_t>(line.size() + 1, 17), ' ');
    line += containers;
    line.resize(std::max<std::size_t>(line.size() + 1, 33), ' ');
    listing += line + codec.purpose + "\n";
  }
  return listing + "  (* the extension's default codec)\n";
}

void CheckVideoSettings(const VideoSettings& settings, int width, int height) {
  const Codec& codec = *settings.codec;
  const AVOutputFormat& container = ContainerFor(settings.path);
  const AVCodec* encoder = avcodec_find_encoder_by_name(codec.encoder);
  if (!encoder)
    throw UsageError("this machine's FFmpeg has no " + std::string(codec.encoder) +
                     " encoder for --codec " + codec.name + "; it has: " +
                     CodecsThatWork(container));
  if (avformat_query_codec(&container, encoder->id, FF_COMPLIANCE_NORMAL) != 1)
    throw UsageError("a " + Extension(settings.path) + " file cannot hold --codec " + codec.name +
                     "; write it as " + ContainersFor(encoder->id) + ", or use --codec " +
                     CodecsThatWork(container));
  if (std::string(codec.encoder) == "hap" && (width % 4 != 0 || height % 4 != 0))
    throw UsageError("--codec " + std::string(codec.name) +
                     " needs a width and height that are multiples of 4, not " +
                     std::to_string(width) + "x" + std::to_string(height));
  CheckSignalKept(settings);
  const AVPixelFormat format = PixelFormatOf(settings);
  if (HalvesChroma(format) && (width % 2 != 0 || height % 2 != 0))
    throw UsageError(std::string(settings.yuv420 ? "--pix-fmt yuv420p" : "--codec ") +
                     (settings.yuv420 ? "" : codec.name) +
                     " needs an even width and height, not " + std::to_string(width) + "x" +
                     std::to_string(height));
}

AVPixelFormat PixelFormatOf(const VideoSettings& settings) {
  return ChooseFormat(*settings.codec, settings.codecDepth ? settings.codecDepth : settings.depth,
                      settings.alpha, settings.yuv420);
}

struct VideoFile::State {
  std::string path, temporary;
  int width = 0, height = 0;
  int pixelBytes = 4;  // of the frames handed over: RGBA, 8 or 16 bits
  std::unique_ptr<AVFormatContext, FormatContextDeleter> format;
  std::unique_ptr<AVCodecContext, CodecContextDeleter> encoder;
  // Frames to convert into, each with its own buffer; the first is made with
  // the file and the others like it, as the encoder keeps hold of them.
  std::vector<std::unique_ptr<AVFrame, FrameDeleter>> frames;
  AVFrame* converted = nullptr;               // the picture converted last
  std::optional<RepeatCheck> repeat;          // the frame it was converted from
  std::unique_ptr<AVPacket, PacketDeleter> packet;
  std::unique_ptr<SwsContext, ScaleDeleter> scale;
  std::optional<SignalYuv> yuv;               // instead of `scale` for a signal in YUV
  std::optional<SignalLevels> rgb;            // instead of `scale` for a signal in RGB
  std::optional<ContentLightMeter> meter;     // for a PQ or HLG signal
  ContentLight declared;                      // what the file's metadata says
  std::vector<std::uint16_t> widened;         // an 8-bit frame as words, for `yuv` and `rgb`
  AVStream* stream = nullptr;
  std::int64_t next = 0;
  bool opened = false, finished = false;

  void Convert(const std::uint8_t* top, int stride);
  void ConvertSignal(const std::uint16_t* rgba);
  bool Repeats(const std::uint8_t* top, int stride, std::size_t rowBytes);
  AVFrame* WritableFrame();
  void SendConverted();
  void Send(AVFrame* frame);
};

VideoFile::VideoFile(const VideoSettings& settings, int width, int height)
    : state_(std::make_unique<State>()) {
  // The encoders' own chatter (x264's statistics) is not the tool's to print;
  // failures still reach the user through the error each call returns.
  av_log_set_level(AV_LOG_ERROR);
  CheckVideoSettings(settings, width, height);
  State& s = *state_;
  s.path = settings.path;
  s.temporary = TemporaryPathFor(settings.path);
  s.width = width;
  s.height = height;
  s.pixelBytes = settings.depth == 8 ? 4 : 8;
  const Codec& codec = *settings.codec;
  const AVOutputFormat& container = ContainerFor(settings.path);
  const AVCodec* encoder = avcodec_find_encoder_by_name(codec.encoder);
  const AVPixelFormat pixelFormat = PixelFormatOf(settings);

  AVFormatContext* format = nullptr;
  Check(avformat_alloc_output_context2(&format, &container, nullptr, s.temporary.c_str()),
        "cannot set up " + settings.path);
  s.format.reset(format);
  s.stream = avformat_new_stream(format, nullptr);
  s.encoder.reset(avcodec_alloc_context3(encoder));
  s.frames.emplace_back(av_frame_alloc());
  s.packet.reset(av_packet_alloc());
  if (!s.stream || !s.encoder || !s.frames.front() || !s.packet)
    throw std::runtime_error("out of memory setting up " + settings.path);

  AVCodecContext& c = *s.encoder;
  c.width = width;
  c.height = height;
  c.pix_fmt = pixelFormat;
  c.time_base = AVRational{static_cast<int>(settings.rate.denominator),
                           static_cast<int>(settings.rate.numerator)};
  c.framerate = AVRational{static_cast<int>(settings.rate.numerator),
                           static_cast<int>(settings.rate.denominator)};
  c.sample_aspect_ratio = AVRational{1, 1};
  const ColourTags tags = TagsFor(settings.signal, codec.rgb);
  c.color_primaries = tags.primaries;
  c.color_trc = tags.transfer;
  c.colorspace = tags.matrix;
  c.color_range = tags.range;
  // 4:2:0 chroma is left-sited (SignalYuv.h, and libswscale told so below),
  // and the file says so.
  const bool sitedLeft = HalvesChroma(pixelFormat);
  if (sitedLeft) c.chroma_sample_location = AVCHROMA_LOC_LEFT;
  const bool hdr = settings.signal && IsHdr(settings.signal->signal);
  if (hdr && !settings.light)
    throw std::logic_error("a PQ or HLG file needs its content light level measured first");
  c.thread_count = 0;
  if (container.flags & AVFMT_GLOBALHEADER) c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  AVDictionary* options = nullptr;
  for (const CodecOption& option : codec.options) av_dict_set(&options, option.key, option.value, 0);
  if (pixelFormat == AV_PIX_FMT_YUVA444P10LE) av_dict_set(&options, "alpha_bits", "16", 0);
  if (std::string(codec.encoder) == "libx265") {
    // x265 prints its own statistics whatever FFmpeg's log level, and takes
    // the HDR metadata for its SEI only as parameters. Without B-frames each
    // packet's decoding time is its showing time: with them, this FFmpeg's
    // MP4 muxer refused the first packet of some pictures (BT.2111's bars)
    // as a "pts/dts pair unsupported".
    std::string params = "log-level=error:bframes=0";
    if (hdr) params += ":" + X265HdrParams(settings.signal->peakNits, *settings.light);
    // This FFmpeg's libx265 wrapper passes no chroma location: x265 takes it
    // as a parameter.
    if (sitedLeft) params += ":chromaloc=0";
    av_dict_set(&options, "x265-params", params.c_str(), 0);
  }
  const int opened = avcodec_open2(&c, encoder, &options);
  av_dict_free(&options);
  Check(opened, "the " + std::string(codec.encoder) + " encoder refused " +
                    std::to_string(width) + "x" + std::to_string(height) + " " +
                    av_get_pix_fmt_name(pixelFormat));
  Check(avcodec_parameters_from_context(s.stream->codecpar, &c), "cannot describe the stream");
  s.stream->time_base = c.time_base;
  s.stream->avg_frame_rate = c.framerate;
  s.stream->r_frame_rate = c.framerate;
  if (hdr) {
    AttachHdrSideData(s.stream, settings.signal->peakNits, *settings.light);
    s.meter.emplace(*settings.signal);
    s.declared = *settings.light;
  }
  if (!settings.timecode.empty()) {
    av_dict_set(&s.stream->metadata, "timecode", settings.timecode.c_str(), 0);
    av_dict_set(&format->metadata, "timecode", settings.timecode.c_str(), 0);
  }

  // The frames arrive as RGBA, 8 or 16 bits. Without a signal, libswscale
  // turns them into the encoder's format with BT.709 coefficients, from full
  // range into the range the tags state. A signal's codes go through
  // SignalYuv or SignalLevels, each to the file's depth by its range's rule.
  if (settings.signal && !codec.rgb) s.yuv.emplace(*settings.signal, pixelFormat);
  if (settings.signal && codec.rgb)
    s.rgb.emplace(settings.signal->signal.range, av_pix_fmt_desc_get(pixelFormat)->comp[0].depth);
  const bool own = s.yuv || s.rgb;
  const AVPixelFormat input = settings.depth == 8 ? AV_PIX_FMT_RGBA : AV_PIX_FMT_RGBA64LE;
  const int flags = SWS_POINT | SWS_ACCURATE_RND | SWS_BITEXACT | SWS_FULL_CHR_H_INP;
  if (!own) s.scale.reset(ScaleContext(width, height, input, pixelFormat,
                                       settings.yuv420 ? SWS_AREA | SWS_ACCURATE_RND : flags));
  if (!own && !s.scale)
    throw std::runtime_error(std::string("libswscale cannot convert RGBA to ") +
                             av_get_pix_fmt_name(pixelFormat));
  const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
  if (s.scale) sws_setColorspaceDetails(s.scale.get(), bt709, 1, bt709, codec.rgb ? 1 : 0, 0, 1 << 16,
                           1 << 16);

  // Encoders that write colour into each frame (ProRes) read it from the frame.
  AVFrame& first = *s.frames.front();
  first.color_primaries = c.color_primaries;
  first.color_trc = c.color_trc;
  first.colorspace = c.colorspace;
  first.color_range = c.color_range;
  first.chroma_location = c.chroma_sample_location;
  first.format = pixelFormat;
  first.width = width;
  first.height = height;
  Check(av_frame_get_buffer(&first, 0), "no memory for a frame");

  const int io = avio_open(&format->pb, s.temporary.c_str(), AVIO_FLAG_WRITE);
  if (io < 0)
    throw std::runtime_error("cannot write " + settings.path + " (as " + s.temporary +
                             "): " + ErrorText(io) + "; choose another -o");
  s.opened = true;
  Check(avformat_write_header(format, nullptr), "cannot write the header of " + settings.path);
}

VideoFile::~VideoFile() {
  if (!state_ || state_->finished) return;
  // Close before removing; whatever the muxer still wants to say is moot.
  state_->format.reset();
  if (state_->opened) std::remove(state_->temporary.c_str());
}

const std::string& VideoFile::TemporaryPath() const { return state_->temporary; }

void VideoFile::State::ConvertSignal(const std::uint16_t* rgba) {
  if (meter) meter->AddFrame(rgba, static_cast<std::size_t>(width) * height);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(rgba);
  const int stride = width * 8;
  if (!yuv && !rgb) {
    Convert(bytes, stride);
    return;
  }
  if (!Repeats(bytes, stride, static_cast<std::size_t>(stride))) {
    AVFrame* target = WritableFrame();
    if (yuv) yuv->Convert(rgba, target);
    if (rgb) rgb->WriteRgb(rgba, target);
    converted = target;
  }
  SendConverted();
}

void VideoFile::State::Convert(const std::uint8_t* top, int stride) {
  if (!Repeats(top, stride, static_cast<std::size_t>(width) * pixelBytes)) {
    AVFrame* target = WritableFrame();
    const std::uint8_t* planes[1] = {top};
    const int strides[1] = {stride};
    sws_scale(scale.get(), planes, strides, 0, height, target->data, target->linesize);
    converted = target;
  }
  SendConverted();
}

// The frame's rows are each `rowBytes` long: one file's frames all are.
bool VideoFile::State::Repeats(const std::uint8_t* top, int stride, std::size_t rowBytes) {
  if (!repeat) repeat.emplace(rowBytes, height);
  return repeat->Repeats(top, stride);
}

// A frame the encoder holds no reference to. Encoders may keep the frames
// they are sent (frame threads, a delay), so the frame sent last is written
// again only once they let go of it; until then another is converted into.
// Unlike av_frame_make_writable, nothing is copied into a frame about to be
// overwritten whole.
AVFrame* VideoFile::State::WritableFrame() {
  for (const auto& frame : frames)
    if (av_frame_is_writable(frame.get())) return frame.get();
  const AVFrame& first = *frames.front();
  std::unique_ptr<AVFrame, FrameDeleter> frame(av_frame_alloc());
  if (!frame) throw std::runtime_error("no memory for a frame");
  Check(av_frame_copy_props(frame.get(), &first), "no memory for a frame");
  frame->format = first.format;
  frame->width = first.width;
  frame->height = first.height;
  Check(av_frame_get_buffer(frame.get(), 0), "no memory for a frame");
  frames.push_back(std::move(frame));
  return frames.back().get();
}

// The picture converted last, as the next frame: a frame that repeats the one
// before it is the same picture sent again.
void VideoFile::State::SendConverted() {
  converted->pts = next++;
  Send(converted);
}

void VideoFile::State::Send(AVFrame* input) {
  Check(avcodec_send_frame(encoder.get(), input), "the encoder refused a frame");
  for (;;) {
    const int received = avcodec_receive_packet(encoder.get(), packet.get());
    if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return;
    Check(received, "the encoder failed");
    av_packet_rescale_ts(packet.get(), encoder->time_base, stream->time_base);
    packet->stream_index = stream->index;
    Check(av_interleaved_write_frame(format.get(), packet.get()), "cannot write " + path);
  }
}

void VideoFile::Write(const std::uint8_t* top, std::ptrdiff_t stride) {
  State& s = *state_;
  if (!s.yuv && !s.rgb && !s.meter) {
    s.Convert(top, static_cast<int>(stride));
    return;
  }
  // 8-bit codes as words (v x 257 is exact), so one conversion serves both.
  const std::size_t rowValues = static_cast<std::size_t>(s.width) * 4;
  s.widened.resize(rowValues * static_cast<std::size_t>(s.height));
  for (int y = 0; y < s.height; ++y)
    for (std::size_t i = 0; i < rowValues; ++i)
      s.widened[rowValues * static_cast<std::size_t>(y) + i] =
          static_cast<std::uint16_t>(top[stride * y + static_cast<std::ptrdiff_t>(i)] * 257);
  s.ConvertSignal(s.widened.data());
}

void VideoFile::Write16(const std::uint16_t* rgba) { state_->ConvertSignal(rgba); }

void VideoFile::Finish() {
  State& s = *state_;
  if (s.meter && !(s.meter->Result() == s.declared)) {
    const ContentLight measured = s.meter->Result();
    throw std::runtime_error(
        "the plug-in drew other frames than when they were measured (MaxCLL " +
        std::to_string(measured.maxCll) + ", MaxFALL " + std::to_string(measured.maxFall) +
        " against " + std::to_string(s.declared.maxCll) + ", " +
        std::to_string(s.declared.maxFall) + " in the file's metadata); no file written");
  }
  s.Send(nullptr);
  Check(av_write_trailer(s.format.get()), "cannot finish " + s.path);
  Check(avio_closep(&s.format->pb), "cannot finish " + s.path);
  std::error_code error;
  std::filesystem::rename(s.temporary, s.path, error);
  if (error) throw std::runtime_error("cannot rename " + s.temporary + " to " + s.path + ": " +
                                      error.message());
  s.finished = true;
}

// Video files through FFmpeg's libraries: every frame the file's decoder
// gives, its samples copied at their own depth in the planes they were coded
// in (Y'CbCr stays Y'CbCr, 4:2:0 stays 4:2:0), no scaler in between.
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "tools/capture/CaptureSources.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/mastering_display_metadata.h>
#include <libavutil/pixdesc.h>
}

namespace {

std::string AvError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

struct FormatCloser {
  void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};
struct CodecFreer {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFreer {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFreer {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};

// Why frames of this format cannot be kept as coded; empty when they can.
std::string Unkeepable(const AVPixFmtDescriptor* d) {
  if (!d) return "frames of an unknown pixel format";
  const std::string name = d->name;
  constexpr auto kOther = AV_PIX_FMT_FLAG_HWACCEL | AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_BITSTREAM |
                          AV_PIX_FMT_FLAG_BAYER | AV_PIX_FMT_FLAG_FLOAT;
  if (d->flags & kOther) return "frames in " + name + ", which holds no plain integer samples";
  if (d->nb_components < 3) return "frames in " + name + ", which holds no colour";
  for (int c = 0; c < 3; ++c)
    if (d->comp[c].depth != d->comp[0].depth || d->comp[c].depth < 8 || d->comp[c].depth > 16)
      return "frames in " + name + ", whose samples are not all of one depth from 8 to 16 bits";
  return "";
}

// Component c of the frame (R', G', B' or Y', Cb, Cr as the descriptor
// orders them) into plane c. Planes of native 16-bit words and of bytes are
// copied directly; any other layout goes through FFmpeg's own sample reader.
void CopyComponent(const AVFrame& frame, const AVPixFmtDescriptor* d, int c, CaptureFrame& f) {
  const AVComponentDescriptor& comp = d->comp[c];
  const int width = f.PlaneWidth(c), height = f.PlaneHeight(c);
  std::uint16_t* out = f.planes[static_cast<std::size_t>(c)].data();
  const bool planar = (d->flags & AV_PIX_FMT_FLAG_PLANAR) && comp.offset == 0 && comp.shift == 0;
  const bool nativeWords = planar && comp.step == 2 && !(d->flags & AV_PIX_FMT_FLAG_BE);
  const bool bytes = planar && comp.step == 1;
  for (int y = 0; y < height; ++y, out += width) {
    const std::uint8_t* row = frame.data[comp.plane] + static_cast<std::ptrdiff_t>(y) * frame.linesize[comp.plane];
    if (nativeWords) {
      std::memcpy(out, row, static_cast<std::size_t>(width) * 2);
    } else if (bytes) {
      for (int x = 0; x < width; ++x) out[x] = row[x];
    } else {
      const std::uint8_t* data[4] = {frame.data[0], frame.data[1], frame.data[2], frame.data[3]};
      av_read_image_line2(out, data, frame.linesize, d, 0, y, c, width, 0, 2);
    }
  }
}

std::string RangeName(AVColorRange range) {
  if (range == AVCOL_RANGE_MPEG) return "narrow";
  if (range == AVCOL_RANGE_JPEG) return "full";
  return "";
}

template <typename T>
T Specified(T fromFrame, T fromStream, T unspecified) {
  return fromFrame != unspecified ? fromFrame : fromStream;
}

std::string Named(const char* name) { return name ? name : ""; }

// The display matrix turns the picture counter-clockwise by the angle it
// gives; a turn clockwise by the rest of the circle shows it upright.
int ClockwiseDegrees(const AVStream& stream) {
  size_t size = 0;
  const std::uint8_t* matrix = av_stream_get_side_data(&stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
  if (!matrix || size < 9 * sizeof(std::int32_t)) return 0;
  const double counterClockwise = av_display_rotation_get(reinterpret_cast<const std::int32_t*>(matrix));
  if (counterClockwise != counterClockwise) return 0;  // not a number: no rotation in it
  const long quarter = std::lround(-counterClockwise / 90.0);
  return static_cast<int>(((quarter % 4) + 4) % 4) * 90;
}

class VideoCaptures final : public CaptureSource {
 public:
  explicit VideoCaptures(const std::string& path) : path_(path) {
    // What goes wrong is said in the reader's one line; FFmpeg's own
    // messages would make it several.
    av_log_set_level(AV_LOG_QUIET);
    AVFormatContext* opened = nullptr;
    if (const int error = avformat_open_input(&opened, path.c_str(), nullptr, nullptr); error < 0)
      throw std::runtime_error(path + ": not a video file FFmpeg reads (" + AvError(error) + ")");
    format_.reset(opened);
    if (const int error = avformat_find_stream_info(format_.get(), nullptr); error < 0)
      throw std::runtime_error(path + ": cannot read its streams (" + AvError(error) + ")");
    const AVCodec* decoder = nullptr;
    stream_ = av_find_best_stream(format_.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (stream_ < 0 || !decoder) throw std::runtime_error(path + ": holds no video stream FFmpeg decodes");
    const AVCodecParameters* p = format_->streams[stream_]->codecpar;
    if (!FrameSizeAccepted(p->width, p->height))
      throw std::runtime_error(path + ": video of " + std::to_string(p->width) + "x" + std::to_string(p->height) +
                               " pixels is outside the accepted size");
    codec_.reset(avcodec_alloc_context3(decoder));
    frame_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    if (!codec_ || !frame_ || !packet_) throw std::runtime_error("out of memory");
    avcodec_parameters_to_context(codec_.get(), p);
    codec_->thread_count = 0;  // as many as the machine has
    if (const int error = avcodec_open2(codec_.get(), decoder, nullptr); error < 0)
      throw std::runtime_error(path + ": cannot open its " + decoder->name + " decoder (" + AvError(error) + ")");
    declared_.codec = decoder->name;
    const AVCodecDescriptor* described = avcodec_descriptor_get(p->codec_id);
    declared_.lossyCodec = !described || (described->props & AV_CODEC_PROP_LOSSY);
    declared_.range = RangeName(p->color_range);
    declared_.transfer = Named(av_color_transfer_name(p->color_trc));
    declared_.primaries = Named(av_color_primaries_name(p->color_primaries));
    declared_.matrix = Named(av_color_space_name(p->color_space));
    declared_.chromaLocation = Named(av_chroma_location_name(p->chroma_location));
    const AVStream& stream = *format_->streams[stream_];
    if (stream.avg_frame_rate.num > 0 && stream.avg_frame_rate.den > 0)
      declared_.framesPerSecond = av_q2d(stream.avg_frame_rate);
    declared_.listedFrames = stream.nb_frames > 0 ? stream.nb_frames : 0;
    declared_.clockwiseDegrees = ClockwiseDegrees(stream);
  }

  bool Next(CapturedInput& input) override {
    input = CapturedInput{};
    input.name = path_ + ": frame " + std::to_string(index_);
    const int got = Decode();
    if (got == AVERROR_EOF) {
      if (index_ == 0) {
        input.error = "no frame decodes (is the file truncated?)";
        return true;
      }
      return false;
    }
    if (got < 0) {
      input.error = "cannot decode (" + AvError(got) + ")";
      ended_ = true;
      return true;
    }
    const AVFrame& frame = *frame_;
    const auto format = static_cast<AVPixelFormat>(frame.format);
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
    if (const std::string why = Unkeepable(d); !why.empty()) {
      input.error = "decodes to " + why;
      ended_ = true;
      return true;
    }
    if (!FrameSizeAccepted(frame.width, frame.height)) {
      input.error = "a frame of " + std::to_string(frame.width) + "x" + std::to_string(frame.height) +
                    " pixels is outside the accepted size";
      ended_ = true;
      return true;
    }
    if (index_ == 0) TakeFrameTags(frame, d);
    ++index_;
    CaptureFrame& f = input.frame;
    f.width = frame.width;
    f.height = frame.height;
    f.bits = d->comp[0].depth;
    f.colour = (d->flags & AV_PIX_FMT_FLAG_RGB) ? CaptureColour::Rgb : CaptureColour::YCbCr;
    f.chromaShiftX = d->log2_chroma_w;
    f.chromaShiftY = d->log2_chroma_h;
    for (int c = 0; c < 3; ++c) {
      f.planes[static_cast<std::size_t>(c)].resize(static_cast<std::size_t>(f.PlaneWidth(c)) *
                                                   static_cast<std::size_t>(f.PlaneHeight(c)));
      CopyComponent(frame, d, c, f);
    }
    av_frame_unref(frame_.get());
    return true;
  }

  DeclaredTags Declared() const override { return declared_; }

 private:
  // The next frame into frame_; 0, AVERROR_EOF at the end, or an error.
  int Decode() {
    if (ended_) return AVERROR_EOF;
    for (;;) {
      const int received = avcodec_receive_frame(codec_.get(), frame_.get());
      if (received != AVERROR(EAGAIN)) return received;
      const int read = av_read_frame(format_.get(), packet_.get());
      if (read < 0) {
        if (read != AVERROR_EOF && index_ == 0) return read;
        avcodec_send_packet(codec_.get(), nullptr);  // drain what the decoder holds
        continue;
      }
      int sent = 0;
      if (packet_->stream_index == stream_) sent = avcodec_send_packet(codec_.get(), packet_.get());
      av_packet_unref(packet_.get());
      if (sent < 0 && sent != AVERROR(EAGAIN) && sent != AVERROR_EOF) return sent;
    }
  }

  // The frame's own tags win over the stream's: a decoder reads them from
  // the bitstream, where the container may say nothing.
  void TakeFrameTags(const AVFrame& frame, const AVPixFmtDescriptor* d) {
    declared_.pixelFormat = d->name;
    const std::string range = RangeName(frame.color_range);
    if (!range.empty()) declared_.range = range;
    if (frame.color_trc != AVCOL_TRC_UNSPECIFIED) declared_.transfer = Named(av_color_transfer_name(frame.color_trc));
    if (frame.color_primaries != AVCOL_PRI_UNSPECIFIED)
      declared_.primaries = Named(av_color_primaries_name(frame.color_primaries));
    if (frame.colorspace != AVCOL_SPC_UNSPECIFIED) declared_.matrix = Named(av_color_space_name(frame.colorspace));
    if (frame.chroma_location != AVCHROMA_LOC_UNSPECIFIED)
      declared_.chromaLocation = Named(av_chroma_location_name(frame.chroma_location));
    for (auto* tags : {&declared_.transfer, &declared_.primaries, &declared_.matrix, &declared_.chromaLocation})
      if (*tags == "unknown" || *tags == "unspecified") tags->clear();
    if (const AVFrameSideData* side = av_frame_get_side_data(&frame, AV_FRAME_DATA_MASTERING_DISPLAY_METADATA)) {
      const auto* m = reinterpret_cast<const AVMasteringDisplayMetadata*>(side->data);
      if (m->has_luminance) declared_.masteringPeakNits = av_q2d(m->max_luminance);
    }
    if (const AVFrameSideData* side = av_frame_get_side_data(&frame, AV_FRAME_DATA_CONTENT_LIGHT_LEVEL)) {
      declared_.maxContentLight = static_cast<int>(reinterpret_cast<const AVContentLightMetadata*>(side->data)->MaxCLL);
    }
  }

  std::string path_;
  std::unique_ptr<AVFormatContext, FormatCloser> format_;
  std::unique_ptr<AVCodecContext, CodecFreer> codec_;
  std::unique_ptr<AVFrame, FrameFreer> frame_;
  std::unique_ptr<AVPacket, PacketFreer> packet_;
  int stream_ = -1;
  long long index_ = 0;
  bool ended_ = false;
  DeclaredTags declared_;
};

}  // namespace

std::unique_ptr<CaptureSource> OpenVideoCaptures(const std::string& path) {
  return std::make_unique<VideoCaptures>(path);
}

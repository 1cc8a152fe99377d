#include "tests/render/DecodedFiles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

namespace {

// H.273's luma weights of the Y'CbCr matrices the tool writes.
bool WeightsOf(AVColorSpace matrix, double& kr, double& kb) {
  if (matrix == AVCOL_SPC_BT709) {
    kr = 0.2126;
    kb = 0.0722;
    return true;
  }
  if (matrix == AVCOL_SPC_BT2020_NCL) {
    kr = 0.2627;
    kb = 0.0593;
    return true;
  }
  return false;
}

// Where chroma sample (0, 0) of a 4:2:0 picture lies, in luma pixels (H.273's
// chroma_sample_loc_type 0 to 5); 0 (left) when the file says nothing.
std::array<double, 2> ChromaOrigin(AVChromaLocation location) {
  switch (location) {
    case AVCHROMA_LOC_CENTER: return {0.5, 0.5};
    case AVCHROMA_LOC_TOPLEFT: return {0, 0};
    case AVCHROMA_LOC_TOP: return {0.5, 0};
    case AVCHROMA_LOC_BOTTOMLEFT: return {0, 1};
    case AVCHROMA_LOC_BOTTOM: return {0.5, 1};
    default: return {0, 0.5};
  }
}

// One component of a decoded frame, in its own plane's resolution.
struct Plane {
  int width = 0, height = 0;
  std::vector<std::uint32_t> values;
  double At(int x, int y) const {
    x = std::clamp(x, 0, width - 1);
    y = std::clamp(y, 0, height - 1);
    return values[static_cast<std::size_t>(y * width + x)];
  }
};

Plane ReadPlane(const AVFrame& frame, const AVPixFmtDescriptor& d, int component) {
  const bool chroma = component == 1 || component == 2;
  Plane plane;
  plane.width = chroma && !(d.flags & AV_PIX_FMT_FLAG_RGB)
                    ? AV_CEIL_RSHIFT(frame.width, d.log2_chroma_w) : frame.width;
  plane.height = chroma && !(d.flags & AV_PIX_FMT_FLAG_RGB)
                     ? AV_CEIL_RSHIFT(frame.height, d.log2_chroma_h) : frame.height;
  plane.values.resize(static_cast<std::size_t>(plane.width * plane.height));
  const std::uint8_t* data[4] = {frame.data[0], frame.data[1], frame.data[2], frame.data[3]};
  for (int y = 0; y < plane.height; ++y)
    av_read_image_line2(plane.values.data() + static_cast<std::size_t>(y * plane.width), data,
                        frame.linesize, &d, 0, y, component, plane.width, 0, 4);
  return plane;
}

// The chroma plane's value at luma pixel (x, y), interpolated linearly
// between the samples around it, each lying where `origin` and the
// subsampling put it.
double ChromaAt(const Plane& plane, const AVPixFmtDescriptor& d, std::array<double, 2> origin,
                int x, int y) {
  const double u = (x - origin[0]) / (1 << d.log2_chroma_w);
  const double v = (y - origin[1]) / (1 << d.log2_chroma_h);
  const int i = static_cast<int>(std::floor(u)), j = static_cast<int>(std::floor(v));
  const double fu = u - i, fv = v - j;
  return (1 - fv) * ((1 - fu) * plane.At(i, j) + fu * plane.At(i + 1, j)) +
         fv * ((1 - fu) * plane.At(i, j + 1) + fu * plane.At(i + 1, j + 1));
}

void Describe(DecodedSignal& out, const AVFrame& frame, const AVPixFmtDescriptor& d) {
  out.width = frame.width;
  out.height = frame.height;
  out.bits = d.comp[0].depth;
  out.rgb = d.flags & AV_PIX_FMT_FLAG_RGB;
  out.halvesChroma = !out.rgb && d.log2_chroma_w > 0 && d.log2_chroma_h > 0;
  out.format = d.name;
  out.range = frame.color_range;
  out.matrix = frame.colorspace;
  out.transfer = frame.color_trc;
  out.primaries = frame.color_primaries;
  out.chromaLocation = frame.chroma_location;
}

// A PNG's cICP chunk in place of what the decoder said.
void TakeCicp(DecodedSignal& out, const std::string& path) {
  for (const auto& [name, data] : PngChunks(path)) {
    if (name != "cICP" || data.size() != 4) continue;
    out.primaries = static_cast<AVColorPrimaries>(static_cast<unsigned char>(data[0]));
    out.transfer = static_cast<AVColorTransferCharacteristic>(static_cast<unsigned char>(data[1]));
    out.matrix = static_cast<AVColorSpace>(static_cast<unsigned char>(data[2]));
    out.range = data[3] ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    return;
  }
  out.primaries = AVCOL_PRI_UNSPECIFIED;
  out.transfer = AVCOL_TRC_UNSPECIFIED;
  out.matrix = AVCOL_SPC_UNSPECIFIED;
  out.range = AVCOL_RANGE_UNSPECIFIED;
}

// The samples as E' by the tags: a range the file does not state is the
// convention for its kind (RGB full, Y'CbCr narrow), as players take it.
void ReadSignal(DecodedSignal& out, const AVFrame& frame, const AVPixFmtDescriptor& d) {
  const bool narrow = out.range == AVCOL_RANGE_MPEG ||
                      (out.range == AVCOL_RANGE_UNSPECIFIED && !out.rgb);
  const double step = std::ldexp(1.0, out.bits - 8);  // one 8-bit code at this depth
  const double top = std::ldexp(1.0, out.bits) - 1;
  const auto luma = [&](double value) { return narrow ? (value / step - 16) / 219 : value / top; };
  const auto difference = [&](double value) {
    return narrow ? (value / step - 128) / 224 : (value - std::ldexp(1.0, out.bits - 1)) / top;
  };
  const Plane p0 = ReadPlane(frame, d, 0), p1 = ReadPlane(frame, d, 1), p2 = ReadPlane(frame, d, 2);
  double kr = 0, kb = 0;
  if (!out.rgb && !WeightsOf(out.matrix, kr, kb)) {
    ADD_FAILURE() << "Y'CbCr with no matrix this test knows: " << av_color_space_name(out.matrix);
    return;
  }
  const std::array<double, 2> origin = ChromaOrigin(out.chromaLocation);
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x) {
      if (out.rgb) {  // the descriptor's components 0, 1, 2 are R, G, B
        out.signal.push_back({luma(p0.At(x, y)), luma(p1.At(x, y)), luma(p2.At(x, y))});
        continue;
      }
      const double e = luma(p0.At(x, y));
      const double pb = difference(ChromaAt(p1, d, origin, x, y));
      const double pr = difference(ChromaAt(p2, d, origin, x, y));
      const double r = e + 2 * (1 - kr) * pr, b = e + 2 * (1 - kb) * pb;
      out.signal.push_back({r, (e - kr * r - kb * b) / (1 - kr - kb), b});
      out.chroma.push_back({pb, pr});
    }
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

double ChromaEdgeAt(const DecodedSignal& decoded, int y, int edge, int reach) {
  const auto at = [&](int x, int k) {
    return decoded.chroma[static_cast<std::size_t>(y * decoded.width + x)][static_cast<std::size_t>(k)];
  };
  const int k = std::fabs(at(edge + reach - 1, 0) - at(edge - reach, 0)) >
                        std::fabs(at(edge + reach - 1, 1) - at(edge - reach, 1))
                    ? 0 : 1;
  const double before = at(edge - reach, k), after = at(edge + reach - 1, k);
  if (std::fabs(after - before) < 0.05) return NAN;
  double found = edge - reach;
  for (int x = edge - reach; x < edge + reach; ++x) found += 1 - (at(x, k) - before) / (after - before);
  return found;
}

double ValueOfSignal(double signal, bool narrow, int bits) {
  return narrow ? (219 * signal + 16) * std::ldexp(1.0, bits - 8)
                : (std::ldexp(1.0, bits) - 1) * signal;
}

double SignalOfCode(int code, bool narrow) { return narrow ? (code - 64) / 876.0 : code / 1023.0; }

double DecodedSignal::Code(std::size_t pixel, int component) const {
  return ValueOfSignal(signal[pixel][static_cast<std::size_t>(component)], Narrow(), 10);
}

bool DecodeEachFrame(const std::string& path,
                     const std::function<void(const AVFormatContext&, const AVStream&)>& describe,
                     const std::function<void(const AVFrame&)>& take) {
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) {
    ADD_FAILURE() << "cannot open " << path;
    return false;
  }
  std::unique_ptr<AVFormatContext*, void (*)(AVFormatContext**)> closeFormat(&format,
                                                                            avformat_close_input);
  avformat_find_stream_info(format, nullptr);
  const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (index < 0) {
    ADD_FAILURE() << "no video stream in " << path;
    return false;
  }
  const AVStream* stream = format->streams[index];
  describe(*format, *stream);
  const AVCodecParameters* p = stream->codecpar;
  const AVCodec* decoder = avcodec_find_decoder(p->codec_id);
  std::unique_ptr<AVCodecContext, void (*)(AVCodecContext*)> context(
      avcodec_alloc_context3(decoder), [](AVCodecContext* c) { avcodec_free_context(&c); });
  avcodec_parameters_to_context(context.get(), p);
  if (avcodec_open2(context.get(), decoder, nullptr) < 0) {
    ADD_FAILURE() << "cannot decode " << avcodec_get_name(p->codec_id) << " in " << path;
    return false;
  }
  std::unique_ptr<AVPacket, void (*)(AVPacket*)> packet(av_packet_alloc(),
                                                        [](AVPacket* k) { av_packet_free(&k); });
  std::unique_ptr<AVFrame, void (*)(AVFrame*)> frame(av_frame_alloc(),
                                                     [](AVFrame* f) { av_frame_free(&f); });
  const auto drain = [&] {
    while (avcodec_receive_frame(context.get(), frame.get()) == 0) take(*frame);
  };
  while (av_read_frame(format, packet.get()) >= 0) {
    if (packet->stream_index == index) {
      avcodec_send_packet(context.get(), packet.get());
      drain();
    }
    av_packet_unref(packet.get());
  }
  avcodec_send_packet(context.get(), nullptr);
  drain();
  return true;
}

DecodedSignal DecodeSignalFile(const std::string& path) {
  DecodedSignal out;
  bool first = true;
  const auto describe = [&](const AVFormatContext&, const AVStream& stream) {
    out.codec = avcodec_get_name(stream.codecpar->codec_id);
  };
  const auto take = [&](const AVFrame& frame) {
    if (!first) return;
    first = false;
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame.format));
    Describe(out, frame, *d);
    if (EndsWith(path, ".png")) TakeCicp(out, path);
    ReadSignal(out, frame, *d);
  };
  if (DecodeEachFrame(path, describe, take) && first) ADD_FAILURE() << "no frame decoded from " << path;
  return out;
}

std::vector<std::pair<std::string, std::string>> PngChunks(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::pair<std::string, std::string>> chunks;
  std::size_t at = 8;
  while (at + 12 <= bytes.size()) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])); };
    const std::uint32_t length = byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3);
    chunks.emplace_back(bytes.substr(at + 4, 4), bytes.substr(at + 8, length));
    at += 12 + length;
  }
  return chunks;
}

std::pair<int, std::string> ShellIn(const std::filesystem::path& folder, const std::string& command) {
  const std::string line = "cd '" + folder.string() + "' && " + command;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(line.c_str(), "r"), pclose);
  std::string output;
  std::array<char, 65536> buffer{};
  std::size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0)
    output.append(buffer.data(), n);
  const int status = pclose(pipe.release());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

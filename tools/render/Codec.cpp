#include "tools/render/Codec.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>

#include "tools/render/ParameterTable.h"

namespace {

// HAP's DXT blocks keep 5, 6 and 5 bits of end colours per 4x4 block, and
// HAP lives in .mov, which says no range.
constexpr char kHapNote[] = "HAP's DXT compression keeps no signal's codes";

std::vector<Codec> MakeCodecs() {
  using F = CodecFormat;
  return {
      {"ffv1", "ffv1", "lossless RGB(A), 8 to 16 bits: pixel checks, archives", true, true,
       {F{8, false, AV_PIX_FMT_BGR0}, F{8, true, AV_PIX_FMT_BGRA},
        F{10, false, AV_PIX_FMT_GBRP10LE}, F{10, true, AV_PIX_FMT_GBRAP10LE},
        F{12, false, AV_PIX_FMT_GBRP12LE}, F{12, true, AV_PIX_FMT_GBRAP12LE},
        F{16, false, AV_PIX_FMT_GBRP16LE}, F{16, true, AV_PIX_FMT_GBRAP16LE}},
       // Version 3 with a checksum per slice: the archival form, and slices
       // let the encoder use every core.
       {{"level", "3"}, {"slicecrc", "1"}, {"slices", "4"}, {"g", "1"}},
       RangeSaid::ByContainer, "FFV1 has no range of its own, and a .mov file says none"},
      {"png", "png", "lossless RGB(A) frames, 8 or 16 bits", true, true,
       {F{8, false, AV_PIX_FMT_RGB24}, F{8, true, AV_PIX_FMT_RGBA},
        F{16, false, AV_PIX_FMT_RGB48BE}, F{16, true, AV_PIX_FMT_RGBA64BE}},
       {}, RangeSaid::FullOnly,
       "FFmpeg reads PNG frames in a video file as full range whatever the file says"},
      {"qtrle", "qtrle", "QuickTime Animation, lossless RGB(A)", true, true,
       {F{8, false, AV_PIX_FMT_RGB24}, F{8, true, AV_PIX_FMT_ARGB}},
       {}, RangeSaid::ByContainer,
       "QuickTime Animation has no range, a .mov file says none, and RGB without one reads as "
       "full"},
      {"h264", "libx264", "H.264 4:4:4 for players; --pix-fmt yuv420p: 4:2:0", false, false,
       {F{8, false, AV_PIX_FMT_YUV444P}},
       {{"crf", "12"}, {"preset", "medium"}}, RangeSaid::InStream, ""},
      {"h264-lossless", "libx264rgb", "lossless RGB H.264, where only H.264 is decoded", true, true,
       {F{8, false, AV_PIX_FMT_RGB24}},
       {{"qp", "0"}, {"preset", "medium"}}, RangeSaid::InStream, ""},
      {"prores", "prores_ks", "ProRes 4444 (alpha when transparent), media servers", false,
       false, {F{10, false, AV_PIX_FMT_YUV444P10LE}, F{10, true, AV_PIX_FMT_YUVA444P10LE}},
       {{"profile", "4444"}}, RangeSaid::NarrowOnly,
       "ProRes has no full-range flag: decoders read it as narrow"},
      {"prores-xq", "prores_ks", "ProRes 4444 XQ, the highest ProRes rate", false, false,
       {F{10, false, AV_PIX_FMT_YUV444P10LE}, F{10, true, AV_PIX_FMT_YUVA444P10LE}},
       {{"profile", "4444xq"}}, RangeSaid::NarrowOnly,
       "ProRes has no full-range flag: decoders read it as narrow"},
      // Main 10 and Main 4:4:4 10: HDR files for players and media servers.
      // A low constant rate factor keeps flat areas within a code of what
      // was drawn; x265's own chatter is kept off standard error.
      {"hevc", "libx265", "HEVC Main 10 4:2:0, HDR (PQ, HLG) for players", false, false,
       {F{10, false, AV_PIX_FMT_YUV420P10LE}},
       {{"crf", "4"}, {"preset", "medium"}}, RangeSaid::InStream, ""},
      {"hevc-444", "libx265", "HEVC Main 4:4:4 10, HDR with full colour resolution", false,
       false, {F{10, false, AV_PIX_FMT_YUV444P10LE}},
       {{"crf", "4"}, {"preset", "medium"}}, RangeSaid::InStream, ""},
      {"hap", "hap", "HAP (DXT1), media servers; sizes in multiples of 4", false, true,
       {F{8, false, AV_PIX_FMT_RGBA}},
       {{"format", "hap"}}, RangeSaid::Never, kHapNote},
      {"hap-alpha", "hap", "HAP Alpha (DXT5); sizes in multiples of 4", false, true,
       {F{8, true, AV_PIX_FMT_RGBA}},
       {{"format", "hap_alpha"}}, RangeSaid::Never, kHapNote},
      {"hap-q", "hap", "HAP Q (DXT5 YCoCg, higher quality); multiples of 4", false, true,
       {F{8, false, AV_PIX_FMT_RGBA}},
       {{"format", "hap_q"}}, RangeSaid::Never, kHapNote},
  };
}

}  // namespace

const std::vector<Codec>& Codecs() {
  static const std::vector<Codec> codecs = MakeCodecs();
  return codecs;
}

std::string CodecNames() {
  std::string names;
  for (const Codec& codec : Codecs()) names += (names.empty() ? "\"" : ", \"") + std::string(codec.name) + "\"";
  return names;
}

const Codec& FindCodec(const std::string& name) {
  for (const Codec& codec : Codecs())
    if (name == codec.name) return codec;
  throw UsageError("unknown --codec \"" + name + "\"; valid: " + CodecNames());
}

const Codec* DefaultCodecFor(const std::string& extension, bool hdr) {
  for (const VideoContainer& container : kVideoContainers)
    if (extension == container.extension)
      return &FindCodec(hdr ? container.hdrDefaultCodec : container.defaultCodec);
  return nullptr;
}

bool HalvesChroma(AVPixelFormat format) {
  const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
  return descriptor && descriptor->log2_chroma_w > 0 && descriptor->log2_chroma_h > 0;
}

bool IsVideoExtension(const std::string& extension) { return DefaultCodecFor(extension) != nullptr; }

bool KeepsRange(const Codec& codec, const std::string& extension, bool full) {
  switch (codec.range) {
    case RangeSaid::InStream: return true;
    case RangeSaid::NarrowOnly: return !full;
    case RangeSaid::FullOnly: return full;
    case RangeSaid::Never: return false;
    case RangeSaid::ByContainer: break;
  }
  for (const VideoContainer& container : kVideoContainers)
    if (extension == container.extension) return container.saysRange;
  return false;
}

std::vector<int> DepthsOf(const Codec& codec) {
  std::vector<int> depths;
  for (const CodecFormat& f : codec.formats)
    if (std::find(depths.begin(), depths.end(), f.depth) == depths.end()) depths.push_back(f.depth);
  std::sort(depths.begin(), depths.end());
  return depths;
}

bool KeepsAlpha(const Codec& codec) {
  return std::any_of(codec.formats.begin(), codec.formats.end(),
                     [](const CodecFormat& f) { return f.alpha; });
}

AVPixelFormat ChooseFormat(const Codec& codec, int depth, bool alpha, bool yuv420) {
  if (yuv420) {
    if (std::string(codec.encoder) != "libx264")
      throw UsageError(std::string("--pix-fmt yuv420p is for --codec h264 only, not ") +
                       codec.name);
    return AV_PIX_FMT_YUV420P;
  }
  // ProRes and FFV1 store more bits than the tool's 8-bit frames carry:
  // 8-bit frames are widened to the codec's lowest depth.
  const std::vector<int> depths = DepthsOf(codec);
  const int wanted = depth == 8 ? depths.front() : depth;
  const bool keepAlpha = alpha && KeepsAlpha(codec);
  for (const CodecFormat& f : codec.formats)
    if (f.depth == wanted && f.alpha == keepAlpha) return f.format;
  for (const CodecFormat& f : codec.formats)
    if (f.depth == wanted) return f.format;
  std::string offered;
  for (int d : depths) offered += (offered.empty() ? "" : ", ") + std::to_string(d);
  // 8-bit frames are always taken (widened as above); say so where the list
  // does not already hold 8.
  const bool takesEight = depths.front() == 8;
  throw UsageError("--codec " + std::string(codec.name) + " takes --depth " + offered +
                   (takesEight ? "" : " (or 8)") + ", not " + std::to_string(depth) +
                   (codec.lossless || depth <= 10 ? "" : "; --codec ffv1 keeps 12 and 16 bits"));
}

// The video codecs the tool writes, what each is for, and the one table that
// says which FFmpeg encoder, pixel formats, colour range and options each one
// uses. Containers are FFmpeg's own: whether one can hold a codec is asked
// of libavformat, never kept in a second list here.
#pragma once

extern "C" {
#include <libavutil/pixfmt.h>
}

#include <string>
#include <vector>

struct CodecFormat {
  int depth;     // bits per channel of the frames the tool hands over
  bool alpha;    // whether the format keeps the alpha channel
  AVPixelFormat format;
};

struct CodecOption {
  const char* key;
  const char* value;
};

// What a file of the codec says of a signal's range, as FFmpeg's decoders
// read it back (checked for every signal, codec and container by decoding:
// tests/render/signal_codecs_test.cpp).
enum class RangeSaid {
  InStream,     // the bitstream says narrow or full (H.264 and HEVC's VUI)
  ByContainer,  // the codec says nothing; a container that has a range must (VideoContainer)
  NarrowOnly,   // decoders read every file as narrow (ProRes has no range flag)
  FullOnly,     // decoders read every file as full (FFmpeg's PNG decoder)
  Never,        // the codec keeps no signal's codes at all (HAP's DXT blocks)
};

struct Codec {
  const char* name;     // as --codec takes it
  const char* encoder;  // FFmpeg's encoder
  const char* purpose;  // one line for --help and errors
  bool lossless;
  bool rgb;             // stored as RGB (full range, or a signal's); else YUV (limited-range
                        // BT.709, or a signal's matrix and range)
  std::vector<CodecFormat> formats;  // first match of depth and alpha wins
  std::vector<CodecOption> options;  // private options of the encoder
  RangeSaid range;
  const char* rangeNote;  // why a range or signal is refused, for RangeSaid other than InStream
};

// Every codec --codec names, in the order --help lists them.
const std::vector<Codec>& Codecs();

// The codec by its --codec name; throws UsageError naming the valid ones.
const Codec& FindCodec(const std::string& name);

// The extensions written as video files, in the order --help names them,
// each with the codec it gets without --codec.
// A PQ or HLG signal needs 10 bits, which H.264 here does not give: .mp4
// holds it as HEVC.
// `saysRange`: whether the container states a stream's range for a codec
// that does not (RangeSaid::ByContainer): Matroska's colour element and
// MP4's nclx atom do; QuickTime's nclc atom, which FFmpeg writes in .mov,
// has no range.
struct VideoContainer {
  const char* extension;
  const char* defaultCodec;
  const char* hdrDefaultCodec;
  bool saysRange;
};
inline constexpr VideoContainer kVideoContainers[] = {{".mkv", "ffv1", "ffv1", true},
                                                      {".mov", "prores", "prores", false},
                                                      {".mp4", "h264", "hevc", true}};

// The codec a file's extension gets without --codec (.mkv FFV1, .mov ProRes
// 4444, .mp4 H.264 4:4:4, or HEVC for a PQ or HLG signal); nullptr for an
// extension that is not a video container the tool writes.
const Codec* DefaultCodecFor(const std::string& extension, bool hdr = false);

// True for the extensions written as video files: ".mkv", ".mov", ".mp4".
bool IsVideoExtension(const std::string& extension);

// Whether a file of the codec with that extension says `full` or narrow
// range so that decoders read it back so.
bool KeepsRange(const Codec& codec, const std::string& extension, bool full);

// The depths (bits per channel) a codec offers, ascending.
std::vector<int> DepthsOf(const Codec& codec);
// Whether any format of the codec keeps alpha.
bool KeepsAlpha(const Codec& codec);

// The pixel format for frames of `depth` bits, with or without alpha;
// H.264's 4:2:0 when `yuv420` is asked. Throws UsageError naming the depths
// the codec offers.
AVPixelFormat ChooseFormat(const Codec& codec, int depth, bool alpha, bool yuv420);

// Whether the pixel format stores chroma at half the resolution (4:2:0).
bool HalvesChroma(AVPixelFormat format);

// The names of every codec, quoted, comma-separated.
std::string CodecNames();

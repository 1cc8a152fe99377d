// The render tool's files read back through FFmpeg's libraries (libavformat,
// libavcodec): every frame of a file, and a signal's first frame by the
// file's own tags for the tests that hold it to the codes drawn. Every rule
// here is written from the standards (ITU-T H.273, BT.2100), apart from
// signal/, so that the tool is checked against them and not against itself.
#pragma once

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Opens the file's best video stream, hands its description to `describe`
// (with the container, for tags kept there) and every decoded frame to
// `take`. False, with a test failure added, when it cannot be opened or
// decoded.
bool DecodeEachFrame(const std::string& path,
                     const std::function<void(const AVFormatContext&, const AVStream&)>& describe,
                     const std::function<void(const AVFrame&)>& take);

// The first frame of a file's video stream and what it says of itself.
struct DecodedSignal {
  int width = 0, height = 0;
  int bits = 0;                // the decoded samples' depth
  bool rgb = false;            // samples are R, G, B; else Y', Cb, Cr
  bool halvesChroma = false;   // 4:2:0
  std::string format, codec;   // pixel format and codec, by FFmpeg's names
  AVColorRange range = AVCOL_RANGE_UNSPECIFIED;
  AVColorSpace matrix = AVCOL_SPC_UNSPECIFIED;
  AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
  AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
  AVChromaLocation chromaLocation = AVCHROMA_LOC_UNSPECIFIED;
  // Per pixel, rows top-down: R', G', B' (E', unclamped) by the tags' range
  // and matrix; for Y'CbCr also Cb and Cr (-0.5 to 0.5), 4:2:0 chroma
  // interpolated from where the tag says its samples lie.
  std::vector<std::array<double, 3>> signal;
  std::vector<std::array<double, 2>> chroma;

  bool Narrow() const { return range == AVCOL_RANGE_MPEG; }
  // A pixel's component as a 10-bit code of the file's range.
  double Code(std::size_t pixel, int component) const;
};

// Where a colour edge near column `edge` of row `y` lies in the decoded
// chroma: the point the step's area puts it, over the columns `reach` either
// side (the edge between columns edge - 1 and edge gives `edge`; chroma
// sited otherwise than the tag says moves it by half). NaN where neither Cb
// nor Cr steps by 0.05.
double ChromaEdgeAt(const DecodedSignal& decoded, int y, int edge, int reach);

// E' as a value of `bits` bits in a range, unrounded (H.273: narrow
// (219 E' + 16) 2^(bits - 8), full (2^bits - 1) E').
double ValueOfSignal(double signal, bool narrow, int bits);
// A 10-bit code of a range as E'.
double SignalOfCode(int code, bool narrow);

// The first frame of a video file, or of a PNG file; a PNG's tags are its
// cICP chunk's, read here (this FFmpeg does not read it). A failure to open
// or decode is a test failure and an empty result.
DecodedSignal DecodeSignalFile(const std::string& path);

// The chunks of a PNG file in order: name and data.
std::vector<std::pair<std::string, std::string>> PngChunks(const std::string& path);

// Runs a shell command in `folder`: its exit code and its standard output
// (add " 2>&1" for both streams).
std::pair<int, std::string> ShellIn(const std::filesystem::path& folder, const std::string& command);

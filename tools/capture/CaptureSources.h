// Where a reader's frames come from: a list of PNG files (8 or 16 bits), or
// a stream of raw frames of one size and RawFormats.h format from a file or
// standard input. Every input is untrusted: sizes are checked against
// FrameLimits.h before anything is allocated, and a file that cannot be
// read gives a frame with an error instead of ending the run.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/capture/CaptureFrame.h"
#include "tools/capture/DeclaredTags.h"
#include "tools/capture/FrameLimits.h"
#include "tools/capture/RawFormats.h"

struct CapturedInput {
  std::string name;    // the file's path, or "frame N" of a stream
  CaptureFrame frame;  // empty when the frame could not be read
  std::string error;   // why not, for a person to read
};

class CaptureSource {
 public:
  virtual ~CaptureSource() = default;
  // The next frame into `input`; false when there are no more.
  virtual bool Next(CapturedInput& input) = 0;
  // The tags the input declares; none for PNG files and raw frames.
  virtual DeclaredTags Declared() const { return {}; }
};

// One frame per file, in the order given, R', G', B' at the file's depth.
std::unique_ptr<CaptureSource> OpenPngCaptures(std::vector<std::string> paths);

// The files of a numbered sequence: PATTERN holds one printf number field
// (%d or %0Nd, as FFmpeg and the render tool write them); the files from
// number 0 (or 1, where 0 is absent) up to the first one missing. Throws
// std::runtime_error when the pattern has no such field or no file is there.
std::vector<std::string> NumberedFiles(const std::string& pattern);

// Frames of width x height in `format` from `path`, or from standard input
// for "-". Throws std::runtime_error when the file cannot be opened or the
// size is outside the limits, or when `path` is a named pipe no process
// writes to within pipeWaitSeconds (NamedPipe.h). A stream that ends inside
// a frame gives that frame with an error, then ends.
std::unique_ptr<CaptureSource> OpenRawCaptures(const std::string& path, int width, int height,
                                               RawFormat format, double pipeWaitSeconds = 10);

// The frames of a video file, decoded by FFmpeg's libraries and kept as
// coded (VideoCaptures.cpp). Throws std::runtime_error, with the reason in
// one line, when the file cannot be opened or holds no decodable video.
std::unique_ptr<CaptureSource> OpenVideoCaptures(const std::string& path);

// The size of a PNG file's image from its header, read without decoding it;
// an error text when the file is not a PNG or cannot be read.
struct PngHeader {
  long long width = 0, height = 0;
  std::string error;
};
PngHeader ReadPngHeader(const std::string& path);

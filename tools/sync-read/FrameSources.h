// Where the frames come from: a list of PNG files, or a raw stream of 8-bit
// RGBA frames (4 bytes a pixel, rows top-down, frames back to back, as
// `ffmpeg -f rawvideo -pix_fmt rgba -` writes them) from a file or standard
// input. Every input is untrusted: sizes are checked against LumaImage.h's
// limits before anything is allocated, and a file that cannot be read gives
// a frame with an error instead of ending the run.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tools/sync-read/LumaImage.h"

struct InputFrame {
  std::string name;   // the file's path, or "frame N" of a stream
  LumaImage image;    // empty when the frame could not be read
  std::string error;  // why not, for a person to read
};

class FrameSource {
 public:
  virtual ~FrameSource() = default;
  // The next frame into `frame`; false when there are no more.
  virtual bool Next(InputFrame& frame) = 0;
};

// One frame per file, in the order given.
std::unique_ptr<FrameSource> OpenPngFiles(std::vector<std::string> paths);

// Frames of width x height from `path`, or from standard input for "-".
// Throws std::runtime_error when the file cannot be opened or the size is
// outside the limits. A stream that ends inside a frame gives that frame
// with an error, then ends.
std::unique_ptr<FrameSource> OpenRawStream(const std::string& path, int width, int height);

// The size of a PNG file's image from its header, read without decoding it;
// an error text when the file is not a PNG or cannot be read.
struct PngHeader {
  long long width = 0, height = 0;
  std::string error;
};
PngHeader ReadPngHeader(const std::string& path);

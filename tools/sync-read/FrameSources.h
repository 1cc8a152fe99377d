// Where the frames come from: a list of PNG files, or a raw stream of 8-bit
// RGBA frames (4 bytes a pixel, rows top-down, frames back to back, as
// `ffmpeg -f rawvideo -pix_fmt rgba -` writes them) from a file or standard
// input, read by the readers' shared capture sources (tools/capture/) and
// turned into the 8-bit luminance the decoders take.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/capture/CaptureSources.h"
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

// RGBA frames of width x height from `path`, or from standard input for
// "-". Throws std::runtime_error when the file cannot be opened or the size
// is outside the limits. A stream that ends inside a frame gives that frame
// with an error, then ends.
std::unique_ptr<FrameSource> OpenRawStream(const std::string& path, int width, int height);

#include "tools/sync-read/FrameSources.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "imaging/PngFile.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const {
    if (file) std::fclose(file);
  }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string SizeText(long long width, long long height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

std::string LimitText() {
  return "at most " + std::to_string(kMaxFrameSide) + " pixels a side and " +
         std::to_string(kMaxFramePixels) + " in all";
}

class PngFiles final : public FrameSource {
 public:
  explicit PngFiles(std::vector<std::string> paths) : paths_(std::move(paths)) {}

  bool Next(InputFrame& frame) override {
    if (next_ >= paths_.size()) return false;
    frame = InputFrame{};
    frame.name = paths_[next_++];
    const PngHeader header = ReadPngHeader(frame.name);
    if (!header.error.empty()) {
      frame.error = header.error;
      return true;
    }
    if (!FrameSizeAccepted(header.width, header.height)) {
      frame.error = "image of " + SizeText(header.width, header.height) +
                    " pixels is larger than accepted (" + LimitText() + ")";
      return true;
    }
    try {
      const Image image = ReadPng(frame.name);
      frame.image = LumaFromRgba16(image.rgba.data(), image.width, image.height);
    } catch (const std::exception& error) {
      frame.error = error.what();
    }
    return true;
  }

 private:
  std::vector<std::string> paths_;
  std::size_t next_ = 0;
};

class RawStream final : public FrameSource {
 public:
  RawStream(File owned, std::FILE* stream, int width, int height)
      : owned_(std::move(owned)), stream_(stream), width_(width), height_(height),
        bytes_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4) {}

  bool Next(InputFrame& frame) override {
    if (ended_) return false;
    frame = InputFrame{};
    frame.name = "frame " + std::to_string(index_++);
    const std::size_t got = std::fread(bytes_.data(), 1, bytes_.size(), stream_);
    if (got == bytes_.size()) {
      frame.image = LumaFromRgba8(bytes_.data(), width_, height_);
      return true;
    }
    ended_ = true;
    if (std::ferror(stream_)) {
      frame.error = std::string("read error: ") + std::strerror(errno);
      return true;
    }
    if (got == 0) return false;  // the stream ended where a frame ends
    frame.error = "the stream ends inside this frame (" + std::to_string(got) + " of " +
                  std::to_string(bytes_.size()) + " bytes of a " + SizeText(width_, height_) +
                  " RGBA frame): is --size right?";
    return true;
  }

 private:
  File owned_;
  std::FILE* stream_;
  int width_, height_;
  std::vector<std::uint8_t> bytes_;
  long long index_ = 0;
  bool ended_ = false;
};

std::uint32_t BigEndian32(const unsigned char* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
         std::uint32_t{p[3]};
}

}  // namespace

std::unique_ptr<FrameSource> OpenPngFiles(std::vector<std::string> paths) {
  return std::make_unique<PngFiles>(std::move(paths));
}

std::unique_ptr<FrameSource> OpenRawStream(const std::string& path, int width, int height) {
  if (!FrameSizeAccepted(width, height))
    throw std::runtime_error("--size " + SizeText(width, height) + " is outside the accepted (" +
                             LimitText() + ")");
  if (path == "-") return std::make_unique<RawStream>(nullptr, stdin, width, height);
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) throw std::runtime_error(path + ": cannot open: " + std::strerror(errno));
  std::FILE* stream = file.get();
  return std::make_unique<RawStream>(std::move(file), stream, width, height);
}

PngHeader ReadPngHeader(const std::string& path) {
  PngHeader header;
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    header.error = "cannot open: " + std::string(std::strerror(errno));
    return header;
  }
  // Signature (8 bytes), then the IHDR chunk: length, type, width, height.
  static constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  unsigned char bytes[24] = {};
  const std::size_t got = std::fread(bytes, 1, sizeof bytes, file.get());
  if (got < 8 || std::memcmp(bytes, kSignature, 8) != 0) {
    header.error = "not a PNG file (bad signature)";
  } else if (got < sizeof bytes || std::memcmp(bytes + 12, "IHDR", 4) != 0) {
    header.error = "not a PNG file (no image header)";
  } else {
    header.width = BigEndian32(bytes + 16);
    header.height = BigEndian32(bytes + 20);
  }
  return header;
}

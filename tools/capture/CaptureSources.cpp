#include "tools/capture/CaptureSources.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "imaging/PngFile.h"
#include "tools/capture/NamedPipe.h"

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

// R', G', B' planes of a PNG image at the file's depth (an 8-bit file's
// samples, widened by ReadPng as v * 257, are taken back to v).
CaptureFrame PlanesOf(const Image& image) {
  CaptureFrame f;
  f.width = image.width;
  f.height = image.height;
  f.bits = image.bitDepth == 16 ? 16 : 8;
  const std::size_t count = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
  for (std::size_t c = 0; c < 3; ++c) {
    f.planes[c].resize(count);
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint16_t v = image.rgba[4 * i + c];
      f.planes[c][i] = f.bits == 16 ? v : static_cast<std::uint16_t>(v / 257);
    }
  }
  return f;
}

class PngCaptures final : public CaptureSource {
 public:
  explicit PngCaptures(std::vector<std::string> paths) : paths_(std::move(paths)) {}

  bool Next(CapturedInput& input) override {
    if (next_ >= paths_.size()) return false;
    input = CapturedInput{};
    input.name = paths_[next_++];
    const PngHeader header = ReadPngHeader(input.name);
    if (!header.error.empty()) {
      input.error = header.error;
      return true;
    }
    if (!FrameSizeAccepted(header.width, header.height)) {
      input.error = "image of " + SizeText(header.width, header.height) +
                    " pixels is larger than accepted (" + LimitText() + ")";
      return true;
    }
    try {
      input.frame = PlanesOf(ReadPng(input.name));
    } catch (const std::exception& error) {
      input.error = error.what();
    }
    return true;
  }

 private:
  std::vector<std::string> paths_;
  std::size_t next_ = 0;
};

class RawCaptures final : public CaptureSource {
 public:
  RawCaptures(File owned, std::FILE* stream, int width, int height, RawFormat format)
      : owned_(std::move(owned)), stream_(stream), width_(width), height_(height), format_(format),
        bytes_(RawFrameBytes(format, width, height)) {}

  bool Next(CapturedInput& input) override {
    if (ended_) return false;
    input = CapturedInput{};
    input.name = "frame " + std::to_string(index_++);
    const std::size_t got = std::fread(bytes_.data(), 1, bytes_.size(), stream_);
    if (got == bytes_.size()) {
      input.frame = UnpackRaw(format_, bytes_.data(), width_, height_);
      return true;
    }
    ended_ = true;
    if (std::ferror(stream_)) {
      input.error = std::string("read error: ") + std::strerror(errno);
      return true;
    }
    if (got == 0) return false;  // the stream ended where a frame ends
    input.error = "the stream ends inside this frame (" + std::to_string(got) + " of " +
                  std::to_string(bytes_.size()) + " bytes of a " + SizeText(width_, height_) +
                  " frame): are --size and the pixel format right?";
    return true;
  }

 private:
  File owned_;
  std::FILE* stream_;
  int width_, height_;
  RawFormat format_;
  std::vector<std::uint8_t> bytes_;
  long long index_ = 0;
  bool ended_ = false;
};

std::uint32_t BigEndian32(const unsigned char* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
         std::uint32_t{p[3]};
}

}  // namespace

std::unique_ptr<CaptureSource> OpenPngCaptures(std::vector<std::string> paths) {
  return std::make_unique<PngCaptures>(std::move(paths));
}

std::unique_ptr<CaptureSource> OpenRawCaptures(const std::string& path, int width, int height,
                                               RawFormat format, double pipeWaitSeconds) {
  if (!FrameSizeAccepted(width, height))
    throw std::runtime_error("--size " + SizeText(width, height) + " is outside the accepted (" +
                             LimitText() + ")");
  if (path == "-") return std::make_unique<RawCaptures>(nullptr, stdin, width, height, format);
  File file(OpenCaptureStream(path, pipeWaitSeconds));
  std::FILE* stream = file.get();
  return std::make_unique<RawCaptures>(std::move(file), stream, width, height, format);
}

std::vector<std::string> NumberedFiles(const std::string& pattern) {
  // One field: '%', an optional 0 and width of one digit, 'd'; "%%" is a '%'.
  std::size_t field = std::string::npos, length = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') continue;
    if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
      ++i;
      continue;
    }
    std::size_t end = i + 1;
    if (end < pattern.size() && pattern[end] == '0') ++end;
    if (end < pattern.size() && pattern[end] >= '1' && pattern[end] <= '9') ++end;
    if (field != std::string::npos || end >= pattern.size() || pattern[end] != 'd')
      throw std::runtime_error(pattern + ": a numbered sequence takes one %d or %0Nd field");
    field = i;
    length = end + 1 - i;
  }
  if (field == std::string::npos) throw std::runtime_error(pattern + ": no %d field");
  auto name = [&](long long n) {
    char number[32];
    std::snprintf(number, sizeof number, pattern.substr(field, length).c_str(), static_cast<int>(n));
    std::string text = pattern.substr(0, field) + number + pattern.substr(field + length);
    for (std::size_t at = 0; (at = text.find("%%", at)) != std::string::npos; ++at) text.erase(at, 1);
    return text;
  };
  auto exists = [](const std::string& path) { return File(std::fopen(path.c_str(), "rb")) != nullptr; };
  constexpr long long kMostFiles = 1'000'000;
  std::vector<std::string> files;
  long long n = exists(name(0)) ? 0 : 1;
  for (; n < kMostFiles && exists(name(n)); ++n) files.push_back(name(n));
  if (files.empty()) throw std::runtime_error(pattern + ": no file of the sequence (tried " + name(0) + " and " + name(1) + ")");
  return files;
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
  if (got == 0 && std::ferror(file.get())) {
    // A directory opens for reading here and fails on the first read.
    header.error = "cannot read: " + std::string(std::strerror(errno));
  } else if (got < 8 || std::memcmp(bytes, kSignature, 8) != 0) {
    header.error = "not a PNG file (bad signature)";
  } else if (got < sizeof bytes || std::memcmp(bytes + 12, "IHDR", 4) != 0) {
    header.error = "not a PNG file (no image header)";
  } else {
    header.width = BigEndian32(bytes + 16);
    header.height = BigEndian32(bytes + 20);
  }
  return header;
}

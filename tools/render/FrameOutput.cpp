#include "tools/render/FrameOutput.h"

#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "imaging/PngFile.h"
#include "tools/UsageError.h"
#include "tools/render/PrivateStdout.h"

namespace {

// Finds the single integer conversion (%d, %5d or %05d) of a pattern; "%%"
// is a literal percent sign. Answers false for anything else, so the
// pattern is safe to hand to snprintf.
bool FindConversion(const std::string& pattern, std::size_t& at) {
  int conversions = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') continue;
    if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    if (j < pattern.size() && pattern[j] == '0') ++j;
    const std::size_t digits = j;
    while (j < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[j]))) ++j;
    if (j - digits > 2 || j >= pattern.size() || pattern[j] != 'd') return false;
    at = i;
    ++conversions;
    i = j;
  }
  return conversions == 1;
}

bool HasPercent(const std::string& text) { return text.find('%') != std::string::npos; }

std::string ExtensionOf(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

// Writes `height` rows of `rowBytes`, `stride` apart, in as few calls as the
// kernel allows, resuming after short writes and interrupted calls.
void WriteRows(int descriptor, FrameRows rows, std::size_t rowBytes, int height) {
  if (rows.stride == static_cast<std::ptrdiff_t>(rowBytes)) {
    WriteAll(descriptor, rows.top, rowBytes * static_cast<std::size_t>(height));
    return;
  }
  constexpr int kBatch = IOV_MAX < 1024 ? IOV_MAX : 1024;
  iovec batch[kBatch];
  for (int first = 0; first < height; first += kBatch) {
    const int count = std::min(kBatch, height - first);
    std::size_t left = rowBytes * static_cast<std::size_t>(count);
    for (int i = 0; i < count; ++i)
      batch[i] = {const_cast<std::uint8_t*>(rows.top + rows.stride * (first + i)), rowBytes};
    iovec* next = batch;
    int remaining = count;
    while (left > 0) {
      const ssize_t written = ::writev(descriptor, next, remaining);
      if (written < 0) {
        if (errno == EINTR) continue;
        throw std::runtime_error(std::string("cannot write raw frames: ") + std::strerror(errno));
      }
      std::size_t done = static_cast<std::size_t>(written);
      left -= done;
      while (remaining > 0 && done >= next->iov_len) {
        done -= next->iov_len;
        ++next;
        --remaining;
      }
      if (remaining > 0) {
        next->iov_base = static_cast<char*>(next->iov_base) + done;
        next->iov_len -= done;
      }
    }
  }
}

// A PNG that cannot be written where it should go (a full disk, or a place
// the folder check passes but the kernel refuses, such as /proc for root)
// fails naming the way out, as the folder check does.
template <typename Write>
void WriteOutputPng(const Write& write) {
  try {
    write();
  } catch (const std::runtime_error& error) {
    throw std::runtime_error(std::string(error.what()) + "; choose another -o");
  }
}

}  // namespace

void RequireFolderOf(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  std::error_code error;
  if (!folder.empty() && !std::filesystem::is_directory(folder, error))
    throw UsageError("output folder \"" + folder.string() + "\" does not exist");
  const std::string checked = folder.empty() ? "." : folder.string();
  if (::access(checked.c_str(), W_OK | X_OK) != 0)
    throw UsageError("output folder \"" + checked + "\" cannot be written: " +
                     std::strerror(errno) + "; choose another -o");
}

OutputTarget ParseOutput(const std::string& argument, long frames) {
  if (argument == "-") return {OutputKind::RawStream, argument};
  if (argument.empty()) throw UsageError("the output path is empty");
  if (HasPercent(argument)) {
    std::size_t at = 0;
    if (!FindConversion(argument, at))
      throw UsageError("a sequence pattern needs exactly one %d, %5d or %05d, got \"" +
                       argument + "\"");
    RequireFolderOf(argument);
    return {OutputKind::ImageSequence, argument};
  }
  if (IsVideoExtension(ExtensionOf(argument))) {
    RequireFolderOf(argument);
    return {OutputKind::Video, argument};
  }
  if (frames > 1)
    throw UsageError("a sequence of " + std::to_string(frames) +
                     " frames needs a numbered pattern such as frames/%05d.png, a video file "
                     "such as clip.mkv, or - for raw");
  RequireFolderOf(argument);
  return {OutputKind::SingleImage, argument};
}

std::string SequenceFileName(const std::string& pattern, long index) {
  std::size_t at = 0;
  if (!FindConversion(pattern, at)) throw UsageError("bad sequence pattern " + pattern);
  // Widen %d to %ld for the frame index; the pattern was checked above.
  std::string format = pattern;
  format.insert(format.find('d', at), "l");
  std::vector<char> name(pattern.size() + 32);
  std::snprintf(name.data(), name.size(), format.c_str(), index);
  return name.data();
}

FrameWriter::FrameWriter(OutputTarget target, int width, int height, int rawDescriptor,
                         const VideoSettings* video)
    : target_(std::move(target)),
      width_(width),
      height_(height),
      rawDescriptor_(rawDescriptor) {
  if (target_.kind != OutputKind::Video) return;
  if (!video) throw std::logic_error("a video output needs its settings");
  VideoSettings settings = *video;
  settings.path = target_.path;
  video_ = std::make_unique<VideoFile>(settings, width, height);
}

void FrameWriter::Commit() {
  if (video_) video_->Finish();
  committed_ = true;
}

std::string FrameWriter::PathOf(long index) const {
  return target_.kind == OutputKind::SingleImage ? target_.path
                                                 : SequenceFileName(target_.path, index);
}

void FrameWriter::Write(long index, FrameRows rows) {
  const std::size_t rowBytes = static_cast<std::size_t>(width_) * 4;
  if (target_.kind == OutputKind::RawStream) {
    WriteRows(rawDescriptor_, rows, rowBytes, height_);
    return;
  }
  if (video_) {
    video_->Write(rows.top, rows.stride);
    return;
  }
  if (rows.stride != static_cast<std::ptrdiff_t>(rowBytes)) {
    scratch_.resize(rowBytes * static_cast<std::size_t>(height_));
    for (int y = 0; y < height_; ++y)
      std::memcpy(scratch_.data() + rowBytes * static_cast<std::size_t>(y),
                  rows.top + rows.stride * y, rowBytes);
    rows.top = scratch_.data();
  }
  Write(index, rows.top);
}

void FrameWriter::SetPngColour(const std::optional<PngColour>& colour) {
  pngColour_ = colour;
  pngLevels8_.reset();
  pngLevels16_.reset();
}

const SignalLevels* FrameWriter::PngLevels(int bits) {
  if (!pngColour_) return nullptr;
  std::optional<SignalLevels>& levels = bits == 8 ? pngLevels8_ : pngLevels16_;
  if (!levels)
    levels.emplace(pngColour_->fullRange ? veltrima::signal::Range::Full
                                         : veltrima::signal::Range::Narrow,
                   bits);
  return &*levels;
}

void FrameWriter::Write16(long index, const std::uint16_t* rgba) {
  if (video_) {
    video_->Write16(rgba);
    return;
  }
  if (target_.kind == OutputKind::RawStream)
    throw UsageError("raw frames are 8-bit; write --depth 16 as PNG or video");
  const std::size_t pixels = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  if (const SignalLevels* levels = PngLevels(16)) {
    levelled16_.resize(4 * pixels);
    levels->Apply(rgba, pixels, levelled16_.data());
    rgba = levelled16_.data();
  }
  const std::string path = PathOf(index);
  WriteOutputPng([&] { WritePng16(path, width_, height_, rgba, pngColour_); });
  written_.push_back(path);
}

FrameWriter::~FrameWriter() {
  if (committed_) return;
  for (const auto& path : written_) std::remove(path.c_str());
}

void FrameWriter::Write(long index, const std::uint8_t* rgba) {
  if (target_.kind == OutputKind::RawStream || video_) {
    Write(index, FrameRows{rgba, static_cast<std::ptrdiff_t>(width_) * 4});
    return;
  }
  const std::size_t pixels = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  if (const SignalLevels* levels = PngLevels(8)) {
    levelled8_.resize(4 * pixels);
    levels->Apply(rgba, pixels, levelled8_.data());
    rgba = levelled8_.data();
  }
  const std::string path = PathOf(index);
  WriteOutputPng([&] { WritePng(path, width_, height_, rgba, pngColour_); });
  written_.push_back(path);
}

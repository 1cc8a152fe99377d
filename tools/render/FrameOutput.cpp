#include "tools/render/FrameOutput.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "imaging/PngFile.h"
#include "tools/render/ParameterTable.h"
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

}  // namespace

void RequireFolderOf(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  std::error_code error;
  if (!folder.empty() && !std::filesystem::is_directory(folder, error))
    throw UsageError("output folder \"" + folder.string() + "\" does not exist");
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
  if (frames > 1)
    throw UsageError("a sequence of " + std::to_string(frames) +
                     " frames needs a numbered pattern such as frames/%05d.png, or - for raw");
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

FrameWriter::FrameWriter(OutputTarget target, int width, int height, int rawDescriptor)
    : target_(std::move(target)), width_(width), height_(height), rawDescriptor_(rawDescriptor) {}

FrameWriter::~FrameWriter() {
  if (committed_) return;
  for (const auto& path : written_) std::remove(path.c_str());
}

void FrameWriter::Write(long index, const std::uint8_t* rgba) {
  if (target_.kind == OutputKind::RawStream) {
    WriteAll(rawDescriptor_, rgba,
             static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4);
    return;
  }
  const std::string path = target_.kind == OutputKind::SingleImage
                               ? target_.path
                               : SequenceFileName(target_.path, index);
  WritePng(path, width_, height_, rgba);
  written_.push_back(path);
}

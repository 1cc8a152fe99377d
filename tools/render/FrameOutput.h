// Where rendered frames go: one PNG, a numbered PNG sequence, or raw RGBA on
// standard output. Nothing is left behind when a run fails part-way: files
// written so far are removed unless the run commits them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class OutputKind { SingleImage, ImageSequence, RawStream };

struct OutputTarget {
  OutputKind kind = OutputKind::SingleImage;
  std::string path;  // a file, a printf-style pattern with one %d, or "-"
};

// Reads the -o argument; throws UsageError for a malformed pattern, a
// sequence without a pattern, or a folder that does not exist.
OutputTarget ParseOutput(const std::string& argument, long frames);

// The file name of frame `index` of a validated sequence pattern.
std::string SequenceFileName(const std::string& pattern, long index);

// Throws UsageError when the folder a file would go into does not exist.
void RequireFolderOf(const std::string& path);

class FrameWriter {
 public:
  // Raw frames go to `rawDescriptor` (the original standard output; writing
  // to -1 fails as a closed standard output does).
  FrameWriter(OutputTarget target, int width, int height, int rawDescriptor = -1);
  // Removes every file written unless Commit() was called.
  ~FrameWriter();
  FrameWriter(const FrameWriter&) = delete;
  FrameWriter& operator=(const FrameWriter&) = delete;

  // Straight-alpha RGBA, width x height x 4 bytes, rows top-down; a raw
  // frame goes out in one write. Throws std::runtime_error on failure.
  void Write(long index, const std::uint8_t* rgba);
  void Write(long index, const std::vector<std::uint8_t>& rgba) { Write(index, rgba.data()); }
  void Commit() { committed_ = true; }

 private:
  OutputTarget target_;
  int width_, height_;
  int rawDescriptor_;
  std::vector<std::string> written_;
  bool committed_ = false;
};

// Where rendered frames go: one PNG, a numbered PNG sequence, a video file
// (.mkv, .mov, .mp4), or raw RGBA on standard output. Nothing is left behind
// when a run fails part-way: files written so far are removed unless the run
// commits them, and a video file appears only when complete.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "imaging/PngFile.h"
#include "tools/render/Rgba8TargetReader.h"
#include "tools/render/SignalLevels.h"
#include "tools/render/VideoFile.h"

enum class OutputKind { SingleImage, ImageSequence, RawStream, Video };

struct OutputTarget {
  OutputKind kind = OutputKind::SingleImage;
  std::string path;  // a file, a printf-style pattern with one %d, or "-"
};

// Reads the -o argument; throws UsageError for a malformed pattern, a
// sequence without a pattern, or a folder that does not exist or cannot be
// written.
OutputTarget ParseOutput(const std::string& argument, long frames);

// The file name of frame `index` of a validated sequence pattern.
std::string SequenceFileName(const std::string& pattern, long index);

// Throws UsageError when the folder a file would go into does not exist or
// cannot be written.
void RequireFolderOf(const std::string& path);

class FrameWriter {
 public:
  // Raw frames go to `rawDescriptor` (the original standard output; writing
  // to -1 fails as a closed standard output does). A video target needs
  // `video` (its path is the target's).
  FrameWriter(OutputTarget target, int width, int height, int rawDescriptor = -1,
              const VideoSettings* video = nullptr);
  // Removes every file written unless Commit() was called.
  ~FrameWriter();
  FrameWriter(const FrameWriter&) = delete;
  FrameWriter& operator=(const FrameWriter&) = delete;

  // Straight-alpha RGBA, width x height x 4 bytes, rows top-down; a raw
  // frame goes out in one write. Throws std::runtime_error on failure.
  void Write(long index, const std::uint8_t* rgba);
  void Write(long index, const std::vector<std::uint8_t>& rgba) { Write(index, rgba.data()); }
  // The same with rows `stride` bytes apart (negative for bottom-up rows).
  void Write(long index, FrameRows rows);
  // Straight-alpha 16-bit RGBA, rows top-down (16-bit PNG, deep video).
  void Write16(long index, const std::uint16_t* rgba);
  // Finishes a video file (renamed into place) and keeps every file.
  void Commit();
  // A cICP chunk for every PNG written from now on (what a signal's codes
  // are); their R, G and B then hold the codes by the chunk's range at the
  // PNG's depth (SignalLevels.h).
  void SetPngColour(const std::optional<PngColour>& colour);

 private:
  std::string PathOf(long index) const;
  // A signal's PNG values at `bits` (8 or 16); null without a signal.
  const SignalLevels* PngLevels(int bits);

  OutputTarget target_;
  int width_, height_;
  int rawDescriptor_;
  std::unique_ptr<VideoFile> video_;
  std::vector<std::uint8_t> scratch_;  // a bottom-up frame turned top-down for PNG
  std::vector<std::string> written_;
  std::optional<PngColour> pngColour_;
  std::optional<SignalLevels> pngLevels8_, pngLevels16_;
  std::vector<std::uint8_t> levelled8_;
  std::vector<std::uint16_t> levelled16_;
  bool committed_ = false;
};

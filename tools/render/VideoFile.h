// A video file written through FFmpeg's libraries (libavformat, libavcodec,
// libswscale): the container chosen by the file's extension, the codec by
// the caller, colour tags with the range stated (BT.709, or what the
// plug-in's signal holds: ColourTags.h), the exact frame rate
// as the stream's time base, and the start timecode as the file's
// "timecode" tag. The file is written under a hidden temporary name in the
// same folder and renamed only by Finish(), so that a failed or interrupted
// run leaves nothing behind. A frame whose bytes repeat the one before it is
// not converted again: the picture converted last goes to the encoder again.
//
// A file of a signal keeps its codes: RGB codecs get them through SignalLevels,
// YUV codecs through SignalYuv, each at the file's depth by the signal's
// range (never squeezed into narrow range a second time); a codec or
// container that cannot say the range is refused (Codec.h's RangeSaid).
// A PQ or HLG file also carries its mastering display and the content light
// level of its frames (Mastering.h), which must be measured before the file
// is opened: the header, and x265's SEI, hold them. The file measures its
// frames again as they are written and fails, leaving nothing, when they do
// not match what its header says.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "tools/render/Codec.h"
#include "tools/render/ContentLight.h"
#include "tools/render/SignalChoice.h"
#include "framestamp/FrameRate.h"

struct VideoSettings {
  std::string path;
  const Codec* codec = nullptr;
  int depth = 8;        // of the frames handed over: 8 (RGBA8) or more (RGBA 16-bit)
  // The depth the codec writes frames deeper than all it offers at (a
  // signal's frames for an 8-bit codec, rounded once on the way); 0: `depth`.
  int codecDepth = 0;
  bool alpha = false;   // keep the alpha channel where the codec can
  bool yuv420 = false;  // H.264's 4:2:0 instead of 4:4:4
  FrameRate rate;
  std::string timecode;  // empty for none
  std::optional<VideoSignal> signal;  // what the plug-in's "Signal" says the codes are
  std::optional<ContentLight> light;  // measured from the frames, for a PQ or HLG signal
};

// One line per codec for --help: its name, the containers that hold it
// (asked of libavformat, the extension's default marked *) and what it is for.
std::string CodecListing();

// Throws UsageError when the container the extension names cannot hold the
// codec, or this machine's FFmpeg lacks its encoder; both name what works.
// With a signal, also when the file would not say its range (or keep its
// codes: HAP), naming the codecs that do.
void CheckVideoSettings(const VideoSettings& settings, int width, int height);

// The pixel format the settings' codec is fed (Codec.h's ChooseFormat).
AVPixelFormat PixelFormatOf(const VideoSettings& settings);

class VideoFile {
 public:
  // Opens the temporary file and writes the container's header. Throws
  // UsageError for settings CheckVideoSettings refuses and
  // std::runtime_error naming FFmpeg's reason for anything else.
  VideoFile(const VideoSettings& settings, int width, int height);
  // Removes the temporary file unless Finish() succeeded.
  ~VideoFile();
  VideoFile(const VideoFile&) = delete;
  VideoFile& operator=(const VideoFile&) = delete;

  // One frame of straight-alpha 8-bit RGBA; `top` is the top row and rows are
  // `stride` bytes apart (negative for a frame stored bottom-up).
  void Write(const std::uint8_t* top, std::ptrdiff_t stride);
  // One frame of straight-alpha 16-bit RGBA, rows top-down, tightly packed.
  void Write16(const std::uint16_t* rgba);
  // Drains the encoder, writes the trailer and renames the file into place.
  void Finish();

  const std::string& TemporaryPath() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

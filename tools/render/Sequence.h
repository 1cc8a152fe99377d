// The render pipeline of veltrima-render: a sequence of frames drawn by a
// plug-in at exact moments and written out as PNG files, a video file or raw
// frames. main() reads its options into a plan and runs it; the tests and the
// benchmarks call the very same code.
#pragma once

#include <optional>
#include <vector>

#include "framestamp/FrameRate.h"
#include "hostkit/PluginLibrary.h"
#include "tools/render/FrameOutput.h"
#include "tools/render/FrameSource.h"
#include "tools/render/ParameterTable.h"
#include "tools/render/Progress.h"
#include "tools/render/RenderLimits.h"
#include "tools/render/RenderOptions.h"
#include "tools/render/Rgba8TargetReader.h"
#include "tools/render/SignalChoice.h"
#include "tools/render/VideoFile.h"

// Everything a sequence needs besides the plug-in.
struct SequencePlan {
  OutputTarget target;
  Size size;
  FrameRate rate;
  Clocking clocking = Clocking::SteppedLinked;
  int depth = 8;
  std::optional<VideoSettings> video;  // for a video file
  std::optional<VideoSignal> signal;   // the plug-in's "Signal", when it has one
  std::optional<PngColour> pngColour;  // the cICP chunk of the signal's PNGs
  // The linked plug-in's "Background" option and its "Transparent" value;
  // nullptr for a loaded module, whose frames alone tell (each is checked).
  const ParameterInfo* background = nullptr;
};

// Reads the output options into a plan; every mistake is a UsageError here,
// before a GL context or a file exists.
// `signal` is the plug-in's chosen "Signal", which tags the files and sets
// the depth a file of it needs.
SequencePlan PlanSequence(RenderOptions options, const Size& size, const FrameRate& rate,
                          bool linked, const std::optional<VideoSignal>& signal = std::nullopt);

// The ring's depth for a run of `frames` frames: three buffers let the
// read-back of one frame and the writing of another overlap the drawing.
int RingDepth(long frames);

// The 8-bit run's read-back ring: frames drawn into the 8-bit target go out
// as their bytes are, written oldest first once the ring is full, numbered on
// from `first`. With `checkAlpha` (a loaded module, whose alpha nothing tells
// in advance) each frame's alpha is checked as it is written; from the first
// frame that is not opaque on, the bytes are made straight on the CPU (exact
// where alpha is 0 or 255). Nothing is allocated per frame while frames stay
// opaque. The GL context must be current throughout.
class BytesRing {
 public:
  BytesRing(const Size& size, int depth, bool checkAlpha, long first, FrameWriter& writer,
            Progress& progress);
  BytesRing(const BytesRing&) = delete;
  BytesRing& operator=(const BytesRing&) = delete;

  // Queues the frame just drawn into `bytes`, first writing out the oldest
  // when every buffer is pending.
  void Add(const hostkit::RenderTarget& bytes);
  // Writes out every frame still pending.
  void Finish();
  // The first frame written that was not opaque, or -1.
  long NotOpaque() const { return notOpaque_; }

 private:
  void WriteOldest();

  Rgba8TargetReader reader_;
  int height_;
  std::size_t rowBytes_;
  bool checkAlpha_;
  FrameWriter& writer_;
  Progress& progress_;
  std::vector<std::uint8_t> straight_;  // only once a frame is not opaque
  long written_, notOpaque_ = -1;
};

// Renders `frames` frames of the plan with `values` sent after
// instantiation, and commits the output. Needs a current GL context; throws
// Interrupted when Ctrl-C stops the run (the output is removed).
void RenderSequence(const hostkit::PluginLibrary& plugin, const SequencePlan& plan,
                    const std::vector<ParameterValue>& values, long frames, bool quiet,
                    int rawDescriptor);

#include "tools/render/FrameSource.h"

#include <cmath>

#include "hostkit/StraightRgba8Reader.h"
#include "free/FrameClock.h"

namespace {

// The plug-in advances its clock by at most this much per frame.
constexpr std::int64_t kLongestStep = FrameClock::kMaxStepNanoseconds;

}  // namespace

std::int64_t FrameTime(long index, double fps) {
  return std::llround(static_cast<double>(index) * 1e9 / fps);
}

std::vector<std::uint8_t> ToStraightRgba8(const std::vector<float>& premultiplied) {
  std::vector<std::uint8_t> out(premultiplied.size());
  hostkit::StraightRgba8FromPremultiplied(premultiplied.data(), premultiplied.size(), out.data());
  return out;
}

FrameSource::FrameSource(const hostkit::PluginLibrary& plugin, int width, int height,
                         const std::vector<ParameterValue>& values)
    : width_(width), height_(height), host_(plugin, width, height) {
  for (const ParameterValue& v : values) host_.Set(v.id, v.value);
}

void FrameSource::Render(long index, double fps) {
  const std::int64_t target = FrameTime(index, fps);
  if (shownAt_ >= 0 && target - shownAt_ > kLongestStep) {
    // Hidden frames at 1x1: the clock does not depend on the output size.
    const std::int64_t start = shownAt_;
    const std::int64_t gap = target - start;
    const std::int64_t steps = (gap + kLongestStep - 1) / kLongestStep;
    host_.Resize({0, 0, 1, 1});
    for (std::int64_t step = 1; step < steps; ++step) DrawAt(start + gap * step / steps);
    host_.Resize({0, 0, width_, height_});
  }
  DrawAt(target);
}

void FrameSource::DrawAt(std::int64_t nanoseconds) {
  clock_.Set(nanoseconds);
  host_.RunFrames(1);
  shownAt_ = nanoseconds;
}

std::vector<std::uint8_t> FrameSource::StraightRgba8() const {
  return ToStraightRgba8(host_.Target().ReadOutput());
}

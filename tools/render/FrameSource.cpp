#include "tools/render/FrameSource.h"

#include <GL/glew.h>

#include <chrono>
#include <thread>

#include "hostkit/GLScoped.h"
#include "hostkit/SafeText.h"
#include "hostkit/StraightRgba8Reader.h"
#include "clock/ClockStep.h"

namespace {

// The linked plug-in advances its clock by at most this much per frame.
constexpr std::int64_t kLongestStep = kLongestClockStepNanoseconds;

// How long a file named by a text parameter may take to read before the
// first frame is drawn anyway.
constexpr auto kLongestFileRead = std::chrono::seconds(30);

// A plug-in that reads a file off the host's thread (MAP's "Map File") shows
// "LOADING" as the parameter's display until the file is read, and draws the
// last picture meanwhile, as a live host wants. A file has no audience to
// keep moving: it waits for the read, so its first frame shows the file.
void WaitWhileLoading(const hostkit::PluginLibrary& plugin, FFInstanceID instance,
                      const std::vector<ParameterValue>& values) {
  const auto limit = std::chrono::steady_clock::now() + kLongestFileRead;
  for (const ParameterValue& value : values) {
    if (!value.isText) continue;
    while (std::chrono::steady_clock::now() < limit) {
      // Any plug-in may answer here, so its answer is read without trust
      // (FF_FAIL, a dangling pointer or no terminator is simply not LOADING).
      const hostkit::SafeTextResult shown =
          hostkit::ReadText(plugin.GetParameterDisplay(instance, value.id).PointerValue);
      if (!shown.ok || shown.text != "LOADING") break;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
}

}  // namespace

std::vector<std::uint8_t> ToStraightRgba8(const std::vector<float>& premultiplied) {
  std::vector<std::uint8_t> out(premultiplied.size());
  hostkit::StraightRgba8FromPremultiplied(premultiplied.data(), premultiplied.size(), out.data());
  return out;
}

void SendValue(const hostkit::PluginLibrary& plugin, FFInstanceID instance,
               const ParameterValue& value) {
  if (value.isText)
    plugin.SetTextParameter(instance, value.id, value.text.c_str());
  else
    plugin.SetParameter(instance, value.id, value.value);
}

FrameSource::FrameSource(const hostkit::PluginLibrary& plugin, Clocking clocking, int width,
                         int height, const std::vector<ParameterValue>& values, bool bytes)
    : width_(width),
      height_(height),
      clocking_(clocking),
      // The stepped clock is installed before the instance reads any time.
      clock_(clocking == Clocking::SteppedLinked ? std::optional<SteppedClock>(std::in_place)
                                                 : std::nullopt),
      host_(plugin, width, height) {
  for (const ParameterValue& v : values) SendValue(plugin, host_.Id(), v);
  WaitWhileLoading(plugin, host_.Id(), values);
  if (bytes) bytes_.emplace(width, height, hostkit::PixelFormat::RGBA8);
}

void FrameSource::Render(long index, const FrameRate& rate, Surface surface) {
  if (clocking_ == Clocking::HostTime) {
    host_.Plugin().SetTime(host_.Id(), FrameSeconds(index, rate));
    DrawOnce(surface);
    return;
  }
  const std::int64_t target = FrameNanoseconds(index, rate);
  if (shownAt_ >= 0 && target - shownAt_ > kLongestStep) {
    // Hidden frames at 1x1: the clock does not depend on the output size.
    const std::int64_t start = shownAt_;
    const std::int64_t gap = target - start;
    const std::int64_t steps = (gap + kLongestStep - 1) / kLongestStep;
    host_.Resize({0, 0, 1, 1});
    for (std::int64_t step = 1; step < steps; ++step) DrawAt(start + gap * step / steps);
    host_.Resize({0, 0, width_, height_});
  }
  clock_->Set(target);
  DrawOnce(surface);
  shownAt_ = target;
}

void FrameSource::DrawAt(std::int64_t nanoseconds) {
  clock_->Set(nanoseconds);
  host_.RunFrames(1);
  shownAt_ = nanoseconds;
}

void FrameSource::DrawOnce(Surface surface) {
  if (surface == Surface::Float || !bytes_) {
    host_.RunFrames(1);
    return;
  }
  // The same call a host makes for its own 8-bit framebuffer.
  bytes_->Bind();
  ProcessOpenGLStruct frame{0, nullptr, bytes_->FramebufferName()};
  host_.Plugin().ProcessOpenGL(host_.Id(), frame);
}

std::vector<std::uint8_t> FrameSource::FloatFrameAsBytes() const {
  const hostkit::Viewport from = host_.Target().GetViewport();
  const hostkit::Viewport to = bytes_->GetViewport();
  {
    hostkit::gl::ScopedFramebufferBinding read(GL_READ_FRAMEBUFFER, host_.Target().FramebufferName());
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, bytes_->FramebufferName());
    // A blit converts each float to a byte as a draw's output is converted.
    glBlitFramebuffer(from.x, from.y, from.x + from.width, from.y + from.height, to.x, to.y,
                      to.x + to.width, to.y + to.height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  }
  return bytes_->ReadOutputRGBA8();
}

std::vector<std::uint8_t> FrameSource::StraightRgba8() const {
  return ToStraightRgba8(host_.Target().ReadOutput());
}

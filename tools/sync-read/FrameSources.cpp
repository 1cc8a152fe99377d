#include "tools/sync-read/FrameSources.h"

namespace {

// A capture source whose frames are handed on as luminance.
class LumaFrames final : public FrameSource {
 public:
  explicit LumaFrames(std::unique_ptr<CaptureSource> captures) : captures_(std::move(captures)) {}

  bool Next(InputFrame& frame) override {
    if (!captures_->Next(input_)) return false;
    frame = InputFrame{};
    frame.name = std::move(input_.name);
    frame.error = std::move(input_.error);
    if (!input_.frame.Empty()) frame.image = LumaFromCapture(input_.frame);
    return true;
  }

 private:
  std::unique_ptr<CaptureSource> captures_;
  CapturedInput input_;
};

}  // namespace

std::unique_ptr<FrameSource> OpenPngFiles(std::vector<std::string> paths) {
  return std::make_unique<LumaFrames>(OpenPngCaptures(std::move(paths)));
}

std::unique_ptr<FrameSource> OpenRawStream(const std::string& path, int width, int height) {
  return std::make_unique<LumaFrames>(OpenRawCaptures(path, width, height, RawFormat::Rgba));
}

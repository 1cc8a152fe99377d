#include "hostkit/HostInstance.h"

#include <string>

namespace hostkit {

namespace {

FFGLViewportStruct ToRecord(const Viewport& viewport) {
  return {static_cast<FFUInt32>(viewport.x), static_cast<FFUInt32>(viewport.y),
          static_cast<FFUInt32>(viewport.width), static_cast<FFUInt32>(viewport.height)};
}

}  // namespace

HostInstance::HostInstance(const PluginLibrary& plugin, int width, int height, PixelFormat format)
    : HostInstance(plugin, width, height, Viewport{0, 0, width, height}, format) {}

HostInstance::HostInstance(const PluginLibrary& plugin, int targetWidth, int targetHeight,
                           Viewport viewport, PixelFormat format)
    : plugin_(plugin), target_(targetWidth, targetHeight, format) {
  target_.SetViewport(viewport);
  instance_ = plugin_.Instantiate(ToRecord(viewport));
  if (!instance_)
    throw InstantiationError("the plug-in refused to instantiate at " +
                             std::to_string(viewport.width) + "x" +
                             std::to_string(viewport.height));
}

HostInstance::~HostInstance() {
  if (instance_) plugin_.Deinstantiate(instance_);
}

FFUInt32 HostInstance::Set(FFUInt32 id, float value) const {
  return plugin_.SetParameter(instance_, id, value);
}

float HostInstance::Get(FFUInt32 id) const { return plugin_.GetFloatParameter(instance_, id); }

FFUInt32 HostInstance::RunFrames(int count) {
  target_.Bind();
  ProcessOpenGLStruct frame{0, nullptr, target_.FramebufferName()};
  FFUInt32 answer = FF_FAIL;
  for (int i = 0; i < count; ++i) answer = plugin_.ProcessOpenGL(instance_, frame);
  return answer;
}

FFUInt32 HostInstance::Resize(Viewport viewport) {
  target_.SetViewport(viewport);
  return plugin_.Resize(instance_, ToRecord(viewport));
}

}  // namespace hostkit

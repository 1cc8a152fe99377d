#include "tools/render/LightPass.h"

#include <cstdint>

#include "tools/render/Interrupt.h"
#include "tools/render/Progress.h"
#include "tools/render/StraightRgba16.h"

ContentLight MeasureContentLight(const hostkit::PluginLibrary& plugin, const LightPassPlan& plan,
                                 const std::vector<ParameterValue>& values, bool quiet) {
  FrameSource source(plugin, plan.clocking, plan.width, plan.height, values);
  ContentLightMeter meter(plan.signal);
  std::vector<std::uint16_t> words;
  Progress progress(plan.frames, quiet);
  for (long n = 0; n < plan.frames; ++n) {
    StopIfInterrupted();
    source.Render(n, plan.rate, Surface::Float);
    const std::vector<float> floats = source.Target().ReadOutput();
    words.resize(floats.size());
    StraightRgba16FromPremultiplied(floats.data(), floats.size(), words.data());
    meter.AddFrame(words.data(), words.size() / 4);
    progress.Update(n + 1);
  }
  return meter.Result();
}

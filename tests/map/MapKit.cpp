#include "MapKit.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace {

// Switches of the plug-in: every boolean parameter it reports.
std::vector<std::string> SwitchNames() {
  std::vector<std::string> names;
  const FFUInt32 count = MapPlugin().GetNumParameters();
  for (FFUInt32 i = 0; i < count; ++i)
    if (MapPlugin().GetParameterType(i) == FF_TYPE_BOOLEAN)
      if (const char* name = MapPlugin().GetParameterName(i)) names.emplace_back(name);
  return names;
}

void Collect(const char* message) { MapLog().emplace_back(message ? message : "(null)"); }

}  // namespace

hostkit::PluginLibrary& MapPlugin() {
  static hostkit::PluginLibrary plugin(VELTRIMA_MAP_PLUGIN_PATH);
  static const bool logging = [] {
    plugin.SetLogCallback(&Collect);
    return true;
  }();
  (void)logging;
  return plugin;
}

hostkit::GLContext& MapContext() {
  static hostkit::GLContext context(hostkit::OptionsFromEnvironment());
  context.MakeCurrent();
  return context;
}

std::string LayoutPath(const std::string& name) {
  return std::string(VELTRIMA_MAP_LAYOUTS) + "/" + name;
}

FFUInt32 MapParam(const std::string& name) {
  const FFUInt32 count = MapPlugin().GetNumParameters();
  for (FFUInt32 i = 0; i < count; ++i) {
    const char* reported = MapPlugin().GetParameterName(i);
    if (reported && name == reported) return i;
  }
  ADD_FAILURE() << "the plug-in has no parameter \"" << name << "\"";
  return count;
}

std::vector<std::string>& MapLog() {
  static std::vector<std::string> messages;
  return messages;
}

Settings OnlySwitches(const std::vector<std::string>& on) {
  Settings settings;
  for (const std::string& name : SwitchNames()) {
    bool wanted = false;
    for (const std::string& o : on) wanted = wanted || o == name;
    settings.emplace_back(name, wanted ? 1.0f : 0.0f);
  }
  return settings;
}

MapInstance::MapInstance(int width, int height) {
  MapContext();
  // An 8-bit framebuffer, as a show's host has: the kept picture is 8-bit
  // too and every value lands on the byte a direct draw gives.
  host_ = std::make_unique<hostkit::HostInstance>(MapPlugin(), width, height,
                                                  hostkit::PixelFormat::RGBA8);
}

FFUInt32 MapInstance::SetFile(const std::string& path) {
  return MapPlugin().SetTextParameter(host_->Id(), MapParam("Map File"), path.c_str());
}

void MapInstance::Apply(const Settings& settings) {
  for (const auto& [name, value] : settings)
    EXPECT_EQ(host_->Set(MapParam(name), value), FF_SUCCESS) << name;
}

bool MapInstance::Updating() const {
  const FFMixed shown = MapPlugin().GetParameterDisplay(host_->Id(), MapParam("Map File"));
  const char* text = static_cast<const char*>(shown.PointerValue);
  return text && (std::strcmp(text, "LOADING") == 0 || std::strcmp(text, "UPDATING") == 0);
}

Pixels MapInstance::Frame() {
  // Frames go on until a read or a picture drawn part by part has ended.
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  do {
    EXPECT_EQ(host_->RunFrames(1), FF_SUCCESS);
    if (!Updating()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  } while (std::chrono::steady_clock::now() < limit);
  EXPECT_FALSE(Updating()) << "the picture never settled";
  return ReadPixels(host_->Target());
}

Pixels RenderMap(const std::string& file, const Settings& settings, int width, int height) {
  MapInstance map(width, height);
  EXPECT_EQ(map.SetFile(file), FF_SUCCESS);
  map.Apply(settings);
  return map.Frame();
}

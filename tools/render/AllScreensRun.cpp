#include "tools/render/AllScreensRun.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "hostkit/GLContext.h"
#include "tools/UsageError.h"
#include "tools/render/AllScreens.h"
#include "tools/render/RenderLimits.h"
#include "tools/render/Sequence.h"
#include "tools/render/Warnings.h"

namespace {

// The layout file the sets give the MAP plug-in (the last one wins, as it
// would in a host), with no --set of the screen, which --all-screens sets.
std::string LayoutPathOf(const ParameterTable& table, const std::vector<ParameterValue>& values) {
  const FFUInt32 file = table.Find(kMapFileParameterName).id;
  const FFUInt32 screen = table.Find(kMapScreenParameterName).id;
  std::string path;
  for (const auto& value : values) {
    if (value.id == file) path = value.text;
    if (value.id == screen)
      throw UsageError(std::string("--all-screens sets \"") + kMapScreenParameterName +
                       "\" itself, one PNG per screen; leave out its --set");
  }
  if (path.empty())
    throw UsageError(std::string("--all-screens needs the layout: --set \"") +
                     kMapFileParameterName + "=PATH\"");
  return path;
}

// Removes the PNGs already written unless Keep() is called: an error in a
// later screen leaves no part of the set behind.
class WrittenFiles {
 public:
  WrittenFiles() = default;
  WrittenFiles(const WrittenFiles&) = delete;
  WrittenFiles& operator=(const WrittenFiles&) = delete;
  ~WrittenFiles() {
    std::error_code ignored;
    for (const auto& path : paths_) std::filesystem::remove(path, ignored);
  }
  void Add(const std::string& path) { paths_.push_back(path); }
  void Keep() { paths_.clear(); }

 private:
  std::vector<std::string> paths_;
};

}  // namespace

void CheckAllScreensOptions(const RenderOptions& options) {
  if (options.plugin != "map")
    throw UsageError("--all-screens is the MAP plug-in's: use it with --plugin map");
  if (options.frames != 1)
    throw UsageError("--all-screens writes one still PNG per screen; leave out --frames");
  if (options.sizeGiven)
    throw UsageError("--all-screens renders each screen at its own canvas; leave out --size");
  if (options.output.empty() || options.output == "-" ||
      ParseOutput(options.output, 1).kind != OutputKind::SingleImage)
    throw UsageError("--all-screens needs -o NAME.png (it writes NAME-1.png, NAME-2.png, ...)");
}

int RenderAllScreens(const hostkit::PluginLibrary& plugin, const ParameterTable& table,
                     const RenderOptions& options, const FrameRate& rate,
                     const std::vector<ParameterValue>& values, int rawDescriptor) {
  const std::vector<ScreenImage> images = PlanScreenImages(LayoutPathOf(table, values),
                                                           options.output, &Warn);
  const ParameterInfo& screenParam = table.Find(kMapScreenParameterName);
  std::vector<SequencePlan> plans;
  for (const ScreenImage& image : images) {
    RenderOptions one = options;
    one.output = image.path;
    plans.push_back(PlanSequence(one, image.size, rate, false));
  }

  hostkit::GLContext context(hostkit::OptionsFromEnvironment());
  for (const ScreenImage& image : images) RequireWithinGLLimits(image.size);

  WrittenFiles written;
  for (std::size_t i = 0; i < images.size(); ++i) {
    std::vector<ParameterValue> screenValues = values;
    screenValues.push_back(table.ResolveValue(screenParam, std::to_string(images[i].screen)));
    RenderSequence(plugin, plans[i], screenValues, 1, true, rawDescriptor);
    written.Add(images[i].path);
  }
  written.Keep();
  return 0;
}

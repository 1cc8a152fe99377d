#include "tools/render/AllScreens.h"

#include <algorithm>
#include <climits>
#include <filesystem>

#include "map/layout/LayoutFile.h"
#include "tools/UsageError.h"

namespace {

std::string ScreenPath(const std::string& output, int screen) {
  const std::filesystem::path path(output);
  std::filesystem::path name = path.stem();
  name += "-" + std::to_string(screen);
  name += path.extension();
  return (path.parent_path() / name).string();
}

}  // namespace

std::vector<ScreenImage> PlanScreenImages(const layout::Layout& l, const std::string& layoutName,
                                          const std::string& output,
                                          void (*warn)(const std::string&)) {
  std::vector<ScreenImage> images;
  const int count = layout::ScreenCount(l);
  for (int screen = 1; screen <= count; ++screen) {
    const layout::Extent canvas = layout::ScreenCanvasExtent(l, screen);
    if (canvas.w <= 0 || canvas.h <= 0) {
      if (warn)
        warn(layoutName + ": screen " + std::to_string(screen) +
             " has no cabinets on the canvas and the file states no canvas: no PNG for it");
      continue;
    }
    // The parsers hold coordinates to +-kMaxCoordinate, so this only guards
    // the conversion; the GL limits are checked once a context exists.
    if (canvas.w > INT_MAX || canvas.h > INT_MAX)
      throw UsageError(layoutName + ": screen " + std::to_string(screen) + "'s canvas is too large");
    images.push_back({screen, {static_cast<int>(canvas.w), static_cast<int>(canvas.h)},
                      ScreenPath(output, screen)});
  }
  if (images.empty())
    throw UsageError(layoutName + ": no screen has a canvas to render");
  return images;
}

std::vector<ScreenImage> PlanScreenImages(const std::string& layoutPath, const std::string& output,
                                          void (*warn)(const std::string&)) {
  const layout::Result<layout::Layout> loaded = layout::LoadLayoutFile(layoutPath);
  const std::string& name = layoutPath;
  if (!loaded.ok()) throw UsageError(name + ": " + loaded.error().Message());
  return PlanScreenImages(loaded.value(), name, output, warn);
}

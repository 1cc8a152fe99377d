#include "map/layout/Layout.h"

#include <algorithm>
#include <map>

#include "map/layout/Limits.h"

namespace layout {

Extent CanvasExtent(const Layout& layout) {
  Extent extent{layout.canvasW, layout.canvasH};
  if (extent.w > 0 && extent.h > 0) return extent;
  Extent box;
  for (const Cabinet& c : layout.cabinets) {
    box.w = std::max(box.w, c.x + c.w);
    box.h = std::max(box.h, c.y + c.h);
  }
  return box;
}

Extent ScreenCanvasExtent(const Layout& layout, int screen) {
  Extent box;
  for (std::size_t index : CabinetsOfScreen(layout, screen)) {
    const Cabinet& c = layout.cabinets[index];
    box.w = std::max(box.w, c.x + c.w);
    box.h = std::max(box.h, c.y + c.h);
  }
  return {layout.canvasW > 0 ? layout.canvasW : box.w, layout.canvasH > 0 ? layout.canvasH : box.h};
}

int ScreenCount(const Layout& layout) {
  int count = static_cast<int>(layout.screenNames.size());
  for (const Cabinet& c : layout.cabinets) count = std::max(count, c.screen);
  return count;
}

std::vector<std::size_t> CabinetsOfScreen(const Layout& layout, int screen) {
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < layout.cabinets.size(); ++i)
    if (layout.cabinets[i].screen == screen) found.push_back(i);
  return found;
}

std::vector<PortChain> ChainsByPort(const Layout& layout) {
  // port -> (chain position -> cabinet index), both kept sorted by the map.
  std::map<int, std::map<int, std::size_t>> byPort;
  for (std::size_t i = 0; i < layout.cabinets.size(); ++i) {
    const Cabinet& c = layout.cabinets[i];
    if (c.port > 0 && c.chain > 0) byPort[c.port].emplace(c.chain, i);
  }
  std::vector<PortChain> chains;
  for (const auto& [port, positions] : byPort) {
    PortChain chain{port, {}};
    for (const auto& entry : positions) chain.cabinets.push_back(entry.second);
    chains.push_back(std::move(chain));
  }
  return chains;
}

std::string PortName(int port) {
  if (port < 1 || port > kMaxPorts) return std::string();
  return std::string(1, static_cast<char>('A' + port - 1));
}

}  // namespace layout

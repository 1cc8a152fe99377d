#include "map/ScreenPlan.h"

#include <algorithm>
#include <unordered_map>

ScreenPlan PlanScreen(const layout::Layout& l, int screen) {
  ScreenPlan plan;
  plan.screen = screen;
  plan.screenCount = layout::ScreenCount(l);
  if (screen >= 1 && static_cast<std::size_t>(screen) <= l.screenNames.size())
    plan.screenName = l.screenNames[static_cast<std::size_t>(screen - 1)];

  // Where each cabinet of the layout sits in this screen's list.
  std::unordered_map<std::size_t, std::size_t> placeOf;
  for (std::size_t index : layout::CabinetsOfScreen(l, screen)) {
    const layout::Cabinet& c = l.cabinets[index];
    placeOf[index] = plan.cabinets.size();
    plan.cabinets.push_back(&c);
    plan.indices.push_back(index);
    // The parsers hold positions and sizes to +-kMaxCoordinate, so edges fit an int.
    plan.rects.push_back({static_cast<int>(c.x), static_cast<int>(c.y),
                          static_cast<int>(c.x + c.w), static_cast<int>(c.y + c.h)});
  }
  const layout::Extent canvas = layout::ScreenCanvasExtent(l, screen);
  plan.canvasW = canvas.w;
  plan.canvasH = canvas.h;
  plan.overlaps = FindOverlaps(plan.rects);

  for (const layout::PortChain& chain : layout::ChainsByPort(l)) {
    // The chain's cabinets on this screen, in chain order.
    std::vector<std::size_t> here;
    for (std::size_t index : chain.cabinets) {
      const auto found = placeOf.find(index);
      if (found != placeOf.end()) here.push_back(found->second);
    }
    for (std::size_t i = 1; i < here.size(); ++i)
      plan.links.push_back({here[i - 1], here[i], chain.port});
  }
  return plan;
}

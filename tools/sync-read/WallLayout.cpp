#include "tools/sync-read/WallLayout.h"

#include <map>
#include <set>

namespace {

using layout::Cabinet;

// The screen most of each output's regions' cabinets lie on (ties to the
// lower screen); regions past the layout have no say.
std::map<std::uint32_t, int> ScreensByVote(const WallVerdict& verdict, const layout::Layout& wall) {
  std::map<std::uint32_t, std::map<int, int>> votes;
  for (const RegionVerdict& v : verdict.regions) {
    const RegionIdentity& id = v.region.code.identity;
    if (id.region < wall.cabinets.size()) ++votes[id.output][wall.cabinets[id.region].screen];
  }
  std::map<std::uint32_t, int> screens;
  for (const auto& [output, counts] : votes) {
    int best = 0;
    for (const auto& [screen, count] : counts)
      if (count > best) {
        best = count;
        screens[output] = screen;
      }
  }
  return screens;
}

std::string ScreenName(const layout::Layout& wall, int screen) {
  std::string name = "screen " + std::to_string(screen);
  const auto i = static_cast<std::size_t>(screen - 1);
  if (i < wall.screenNames.size() && !wall.screenNames[i].empty()) name += " (" + wall.screenNames[i] + ")";
  return name;
}

}  // namespace

std::string ScreenError(const layout::Layout& wall, std::optional<int> screen) {
  const int screens = layout::ScreenCount(wall);
  if (!screen || (*screen >= 1 && *screen <= screens)) return std::string();
  return "screen " + std::to_string(*screen) + " of " + std::to_string(screens) + ": the layout has no such screen";
}

std::string PlaceOnLayout(WallVerdict& verdict, const layout::Layout& wall, std::optional<int> screen) {
  if (std::string error = ScreenError(wall, screen); !error.empty()) return error;
  const std::map<std::uint32_t, int> voted = ScreensByVote(verdict, wall);
  verdict.onLayout = true;
  std::set<int> shownScreens;
  std::set<std::size_t> seen;
  for (RegionVerdict& v : verdict.regions) {
    const RegionIdentity& id = v.region.code.identity;
    auto refuse = [&](std::string why) { verdict.unplaced.push_back({id.output, id.region, std::move(why)}); };
    if (id.region >= wall.cabinets.size()) {
      refuse("the layout has " + std::to_string(wall.cabinets.size()) + " cabinets (regions 0 to " +
             std::to_string(wall.cabinets.size() - 1) + ")");
      continue;
    }
    const Cabinet& cabinet = wall.cabinets[id.region];
    const int expected = screen ? *screen : voted.at(id.output);
    shownScreens.insert(expected);
    if (cabinet.screen != expected) {
      refuse("cabinet " + cabinet.id + " is on " + ScreenName(wall, cabinet.screen) + ", not on " +
             ScreenName(wall, expected) +
             (screen ? std::string(" (--screen)") : ", where output " + std::to_string(id.output) + "'s other regions are"));
      continue;
    }
    v.cabinet = cabinet.id;
    v.port = layout::PortName(cabinet.port);
    seen.insert(id.region);
  }
  if (screen) shownScreens.insert(*screen);
  for (const int s : shownScreens)
    for (const std::size_t i : layout::CabinetsOfScreen(wall, s))
      if (!seen.count(i)) verdict.unseenCabinets.push_back(wall.cabinets[i].id);
  return std::string();
}

std::string PlacementNotes(const WallVerdict& verdict, std::size_t most) {
  std::string out;
  for (std::size_t i = 0; i < verdict.unplaced.size() && i < most; ++i) {
    const UnplacedRegion& u = verdict.unplaced[i];
    out += "region " + std::to_string(u.output) + "." + std::to_string(u.region) +
           " not placed on the layout: " + u.why + "\n";
  }
  if (verdict.unplaced.size() > most)
    out += std::to_string(verdict.unplaced.size() - most) + " more regions not placed on the layout\n";
  if (!verdict.unseenCabinets.empty()) {
    out += std::to_string(verdict.unseenCabinets.size()) + " cabinets of the layout not seen in the photo:";
    for (std::size_t i = 0; i < verdict.unseenCabinets.size() && i < most; ++i)
      out += " " + verdict.unseenCabinets[i];
    out += verdict.unseenCabinets.size() > most ? " ...\n" : "\n";
  }
  return out;
}

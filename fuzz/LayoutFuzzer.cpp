// Fuzzes the layout parsers: the first byte picks CSV, JSON or XML, the rest
// is the file. Beyond not crashing, every answer must keep the model's
// promises (sizes, ranges, chains) and every message must be printable in
// the wall's capitals font; a broken promise aborts, so the fuzzer reports it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "map/layout/Layout.h"
#include "map/layout/LayoutFormat.h"
#include "map/layout/Limits.h"

namespace {

void Require(bool promise) {
  if (!promise) std::abort();
}

void CheckMessage(const std::string& message) {
  Require(!message.empty());
  for (char c : message) Require(c >= ' ' && c <= '~' && !(c >= 'a' && c <= 'z'));
}

bool Within(long v, long most) { return v >= -most && v <= most; }

void CheckLayout(const layout::Layout& wall) {
  using namespace layout;
  Require(!wall.cabinets.empty() && wall.cabinets.size() <= kMaxCabinets);
  Require(wall.screenNames.size() <= kMaxCabinets);
  Require(wall.canvasW >= 0 && wall.canvasW <= kMaxCoordinate);
  Require(wall.canvasH >= 0 && wall.canvasH <= kMaxCoordinate);
  for (const Cabinet& c : wall.cabinets) {
    Require(!c.id.empty() && !c.label.empty());
    Require(Within(c.x, kMaxCoordinate) && Within(c.y, kMaxCoordinate));
    Require(c.w > 0 && c.w <= kMaxCoordinate && c.h > 0 && c.h <= kMaxCoordinate);
    Require(c.rot == 0 || c.rot == 90 || c.rot == 180 || c.rot == 270);
    Require(c.port >= 0 && c.port <= kMaxPorts);
    Require(c.chain >= 0 && c.chain <= static_cast<int>(kMaxCabinets));
    Require(c.chain == 0 || c.port > 0);
    Require(c.screen >= 1 && c.screen <= static_cast<int>(kMaxCabinets));
  }
  const int screens = ScreenCount(wall);
  Require(screens >= 1);
  std::size_t onScreens = 0;
  for (int s = 1; s <= screens; ++s) onScreens += CabinetsOfScreen(wall, s).size();
  Require(onScreens == wall.cabinets.size());
  for (const PortChain& chain : ChainsByPort(wall)) {
    Require(!chain.cabinets.empty() && !PortName(chain.port).empty());
    for (std::size_t i = 1; i < chain.cabinets.size(); ++i)
      Require(wall.cabinets[chain.cabinets[i - 1]].chain < wall.cabinets[chain.cabinets[i]].chain);
  }
  const Extent extent = CanvasExtent(wall);
  Require(extent.w >= 0 && extent.h >= 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  constexpr layout::LayoutFormat kFormats[] = {layout::LayoutFormat::Csv, layout::LayoutFormat::Json,
                                               layout::LayoutFormat::Xml};
  const layout::LayoutFormat format = kFormats[data[0] % 3];
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const auto result = layout::ParseLayout(text, format);
  if (result.ok()) CheckLayout(result.value());
  else CheckMessage(result.error().Message());
  return 0;
}

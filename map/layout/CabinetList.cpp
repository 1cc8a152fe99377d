#include "map/layout/CabinetList.h"

#include "map/layout/Limits.h"

namespace layout {

std::optional<LayoutError> CabinetList::Add(Cabinet cabinet, const CabinetPlace& place) {
  if (cabinets_.size() >= kMaxCabinets)
    return LayoutError::InFile(TooManyCabinetsMessage());
  if (cabinet.chain > 0) {
    const std::string chain = place.chainSubject + " " + std::to_string(cabinet.chain);
    if (cabinet.port == 0) return LayoutError{place.where, chain + " HAS NO PORT"};
    const auto [earlier, added] =
        chainPositions_.emplace(std::make_pair(cabinet.port, cabinet.chain), place.name);
    if (!added)
      return LayoutError{place.where,
                         chain + " OF PORT " + PortName(cabinet.port) + " REPEATS " + earlier->second};
  }
  if (cabinet.label.empty()) cabinet.label = cabinet.id;
  cabinets_.push_back(std::move(cabinet));
  return std::nullopt;
}

Result<std::vector<Cabinet>> CabinetList::Take() {
  if (cabinets_.empty()) return LayoutError::InFile("NO CABINETS");
  return std::move(cabinets_);
}

}  // namespace layout

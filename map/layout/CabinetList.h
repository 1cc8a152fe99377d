// Collects the cabinets a parser reads and checks what spans cabinets: the
// cabinet limit, chain positions (each needs a port, and each port's
// positions are unique), at least one cabinet. Shared by every parser so
// the rules and their messages live once.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "map/layout/Layout.h"
#include "map/layout/LayoutError.h"

namespace layout {

// How the messages about one cabinet name it.
struct CabinetPlace {
  std::string where;         // LayoutError::where of its chain faults: "LINE 9", "cabinets[4].chain"
  std::string chainSubject;  // "CHAIN", "CABINETS[4].CHAIN"
  std::string name;          // how a later repeat points back at it: "LINE 9", "CABINETS[4]"
};

class CabinetList {
 public:
  // Takes a fully read cabinet (its label defaults to its id here).
  std::optional<LayoutError> Add(Cabinet cabinet, const CabinetPlace& place);
  // The cabinets, or "NO CABINETS" when none was added.
  Result<std::vector<Cabinet>> Take();

 private:
  std::vector<Cabinet> cabinets_;
  // (port, chain position) -> the place of the cabinet that holds it.
  std::map<std::pair<int, int>, std::string> chainPositions_;
};

}  // namespace layout

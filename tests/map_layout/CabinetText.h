// Cabinets as one line of text each, so a table of expected cabinets reads
// like the file it came from and a failure shows every field.
#pragma once

#include <string>
#include <vector>

#include "map/layout/Layout.h"
#include "map/layout/LayoutError.h"

namespace layout_test {

// "id|label|x,y wxh|rot|port chain|screen", port by letter ("-" for none).
inline std::string CabinetText(const layout::Cabinet& c) {
  const std::string port = c.port ? layout::PortName(c.port) : "-";
  return c.id + "|" + c.label + "|" + std::to_string(c.x) + "," + std::to_string(c.y) + " " +
         std::to_string(c.w) + "x" + std::to_string(c.h) + "|" + std::to_string(c.rot) + "|" + port +
         " " + std::to_string(c.chain) + "|" + std::to_string(c.screen);
}

// Every cabinet of a parse, or the error's message as the only line.
inline std::vector<std::string> Lines(const layout::Result<layout::Layout>& result) {
  if (!result.ok()) return {"ERROR " + result.error().Message()};
  std::vector<std::string> lines;
  for (const layout::Cabinet& c : result.value().cabinets) lines.push_back(CabinetText(c));
  return lines;
}

// The message of a parse that should have failed, or "(parsed)".
inline std::string MessageOf(const layout::Result<layout::Layout>& result) {
  return result.ok() ? "(parsed)" : result.error().Message();
}

}  // namespace layout_test

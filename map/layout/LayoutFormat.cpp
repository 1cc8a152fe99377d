#include "map/layout/LayoutFormat.h"

#include <cstddef>
#include <string>

#include "map/layout/CsvLayout.h"
#include "map/layout/JsonLayout.h"
#include "map/layout/XmlLayout.h"

namespace layout {

std::optional<LayoutFormat> FormatOfPath(std::string_view path) {
  const std::size_t dot = path.find_last_of('.');
  const std::size_t slash = path.find_last_of("/\\");
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
    return std::nullopt;
  std::string extension(path.substr(dot + 1));
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (extension == "csv") return LayoutFormat::Csv;
  if (extension == "json") return LayoutFormat::Json;
  if (extension == "xml") return LayoutFormat::Xml;
  return std::nullopt;
}

LayoutFormat SniffFormat(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return LayoutFormat::Csv;
  if (text[first] == '{' || text[first] == '[') return LayoutFormat::Json;
  if (text[first] == '<') return LayoutFormat::Xml;
  return LayoutFormat::Csv;
}

Result<Layout> ParseLayout(std::string_view text, LayoutFormat format) {
  switch (format) {
    case LayoutFormat::Json: return ParseJsonLayout(text);
    case LayoutFormat::Xml: return ParseXmlLayout(text);
    case LayoutFormat::Csv: break;
  }
  return ParseCsvLayout(text);
}

}  // namespace layout

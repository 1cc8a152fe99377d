#include "map/layout/JsonLayout.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include <nlohmann/json.hpp>

#include "map/layout/CabinetFields.h"
#include "map/layout/CabinetList.h"
#include "map/layout/Limits.h"

namespace layout {

namespace {

using nlohmann::json;

// The deepest nesting of arrays and objects in the text, counted outside
// strings. Run before nlohmann/json sees the text, so a file of a million
// '[' is refused before it is built into a million nested arrays.
int NestingDepth(std::string_view text) {
  int depth = 0, deepest = 0;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') ++i;
      else if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      deepest = std::max(deepest, ++depth);
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return deepest;
}

// Line and column (1-based) of byte `position` (1-based, as nlohmann/json
// counts the byte it stopped at).
LayoutError SyntaxError(std::string_view text, std::size_t position) {
  const std::size_t end = std::min(position, text.size());
  std::size_t line = 1, column = 1;
  for (std::size_t i = 0; i + 1 < end; ++i) {
    if (text[i] == '\n') ++line, column = 1;
    else ++column;
  }
  return LayoutError::AtLine(line, "JSON SYNTAX ERROR AT COLUMN " + std::to_string(column));
}

// The field value of `node` (a number's text kept in `text`, which must
// outlive the value), or the "what" when its JSON type can hold none.
Fault ReadValue(const json& node, std::string_view subject, FieldValue& out, std::string& text) {
  out = FieldValue();
  if (node.is_null()) return std::nullopt;
  if (node.is_string()) {
    out.text = node.get_ref<const std::string&>();
    return std::nullopt;
  }
  if (!node.is_number()) return std::string(subject) + " IS NOT A NUMBER OR TEXT";
  text = node.dump();
  out.text = text;
  if (node.is_number_unsigned()) out.number = static_cast<double>(node.get<std::uint64_t>());
  else if (node.is_number_integer()) out.number = static_cast<double>(node.get<std::int64_t>());
  else out.number = node.get<double>();
  return std::nullopt;
}

std::optional<LayoutError> ReadCanvas(const json& root, Layout& layout) {
  const auto canvas = root.find("canvas");
  if (canvas == root.end() || canvas->is_null()) return std::nullopt;
  if (!canvas->is_object()) return LayoutError::AtPath("canvas", "CANVAS IS NOT AN OBJECT");
  for (const auto& [key, out] : {std::pair<const char*, long*>{"w", &layout.canvasW},
                                 std::pair<const char*, long*>{"h", &layout.canvasH}}) {
    const std::string path = std::string("canvas.") + key;
    const std::string subject = Capitals(path);
    const auto node = canvas->find(key);
    FieldValue value;
    std::string text;
    Fault fault = node == canvas->end() ? Fault() : ReadValue(*node, subject, value, text);
    if (!fault) fault = ReadSize(value, subject, *out);
    if (fault) return LayoutError::AtPath(path, *fault);
  }
  return std::nullopt;
}

std::optional<LayoutError> ReadScreens(const json& root, Layout& layout) {
  const auto screens = root.find("screens");
  if (screens == root.end() || screens->is_null()) return std::nullopt;
  if (!screens->is_array()) return LayoutError::AtPath("screens", "SCREENS IS NOT A LIST");
  if (screens->size() > kMaxCabinets)
    return LayoutError::AtPath("screens", "SCREENS HAS MORE THAN " + std::to_string(kMaxCabinets));
  for (std::size_t i = 0; i < screens->size(); ++i) {
    const json& name = (*screens)[i];
    if (!name.is_string()) {
      const std::string path = "screens[" + std::to_string(i) + "]";
      return LayoutError::AtPath(path, Capitals(path) + " IS NOT TEXT");
    }
    layout.screenNames.push_back(name.get<std::string>());
  }
  return std::nullopt;
}

std::optional<LayoutError> ReadCabinet(const json& node, std::size_t index, CabinetList& cabinets) {
  const std::string base = "cabinets[" + std::to_string(index) + "]";
  if (!node.is_object()) return LayoutError::AtPath(base, Capitals(base) + " IS NOT AN OBJECT");
  Cabinet cabinet;
  cabinet.sourceLine = index + 1;
  for (const FieldInfo& info : kCabinetFields) {
    const std::string path = base + "." + info.name;
    const std::string subject = Capitals(path);
    const auto member = node.find(info.name);
    FieldValue value;
    std::string text;
    Fault fault = member == node.end() ? Fault() : ReadValue(*member, subject, value, text);
    if (!fault) fault = SetField(cabinet, info.field, value, subject);
    if (fault) return LayoutError::AtPath(path, *fault);
  }
  return cabinets.Add(std::move(cabinet),
                      {base + ".chain", Capitals(base + ".chain"), Capitals(base)});
}

}  // namespace

Result<Layout> ParseJsonLayout(std::string_view text) {
  if (text.size() > kMaxFileBytes) return LayoutError::InFile(FileTooLargeMessage());
  if (NestingDepth(text) > kMaxJsonDepth)
    return LayoutError::InFile("JSON IS NESTED DEEPER THAN " + std::to_string(kMaxJsonDepth));

  json root;
  try {
    // Comments are not JSON; a byte-order mark is skipped by the parser.
    root = json::parse(text.begin(), text.end());
  } catch (const json::parse_error& e) {
    return SyntaxError(text, e.byte);
  } catch (const json::exception&) {
    // The only other failure of parsing: a number beyond a double.
    return LayoutError::InFile("JSON NUMBER IS TOO LARGE");
  }
  if (!root.is_object()) return LayoutError::InFile("FILE IS NOT A JSON OBJECT");

  const auto version = root.find("version");
  if (version != root.end() && !(version->is_number() && *version == 1)) {
    const std::string shown = version->is_number() ? QuoteForMessage(version->dump()) : "";
    return LayoutError::AtPath("version", "VERSION " + shown + (shown.empty() ? "" : " ") +
                                              "IS NOT SUPPORTED");
  }

  Layout layout;
  if (auto fault = ReadCanvas(root, layout)) return *fault;
  if (auto fault = ReadScreens(root, layout)) return *fault;

  const auto list = root.find("cabinets");
  if (list == root.end()) return LayoutError::AtPath("cabinets", "CABINETS IS MISSING");
  if (!list->is_array()) return LayoutError::AtPath("cabinets", "CABINETS IS NOT A LIST");
  if (list->size() > kMaxCabinets)
    return LayoutError::InFile(TooManyCabinetsMessage());
  CabinetList cabinets;
  for (std::size_t i = 0; i < list->size(); ++i)
    if (auto fault = ReadCabinet((*list)[i], i, cabinets)) return *fault;

  Result<std::vector<Cabinet>> all = cabinets.Take();
  if (!all.ok()) return all.error();
  layout.cabinets = std::move(all.value());
  return layout;
}

}  // namespace layout

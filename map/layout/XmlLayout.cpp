#include "map/layout/XmlLayout.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>
#include <string>

#include <pugixml.hpp>

#include "map/layout/Blanks.h"
#include "map/layout/CabinetList.h"
#include "map/layout/Limits.h"
#include "map/layout/NumberText.h"

namespace layout {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRightAngleToleranceDegrees = 0.5;
constexpr std::size_t kRectVertices = 4;

// Finds the 1-based line of byte offsets into the text. Elements are asked
// for in document order, so counting on from the last answer keeps a large
// file linear.
class LineCounter {
 public:
  explicit LineCounter(std::string_view text) : text_(text) {}
  std::size_t LineAt(std::ptrdiff_t offset) {
    const std::size_t end = std::min(static_cast<std::size_t>(std::max<std::ptrdiff_t>(offset, 0)),
                                     text_.size());
    if (end < counted_) counted_ = 0, line_ = 1;
    for (; counted_ < end; ++counted_) line_ += text_[counted_] == '\n';
    return line_;
  }

 private:
  std::string_view text_;
  std::size_t counted_ = 0, line_ = 1;
};

// Reads the parts of a slice, its faults placed at the line of the element
// at fault.
class Reader {
 public:
  explicit Reader(std::string_view text) : lines_(text) {}

  std::size_t LineOf(const pugi::xml_node& node) const { return lines_.LineAt(node.offset_debug()); }
  LayoutError At(const pugi::xml_node& node, std::string what) const {
    return LayoutError::AtLine(LineOf(node), std::move(what));
  }

  // A coordinate attribute, finite and within +-kMaxCoordinate.
  Result<double> Coordinate(const pugi::xml_node& node, const char* name) const {
    const pugi::xml_attribute attribute = node.attribute(name);
    const std::string subject = Capitals(node.name()) + " " + Capitals(name);
    if (!attribute) return At(node, subject + " IS MISSING");
    const std::optional<double> value = ReadNumber(TrimBlanks(attribute.value()), false);
    if (!value) return At(node, subject + " IS NOT A NUMBER");
    if (!(std::fabs(*value) <= static_cast<double>(kMaxCoordinate)))
      return At(node, subject + " IS OUTSIDE -" + std::to_string(kMaxCoordinate) + " TO " +
                          std::to_string(kMaxCoordinate));
    return *value;
  }

  // The rect's orientation attribute as 0, 90, 180 or 270.
  Result<int> Rotation(const pugi::xml_node& rect) const {
    const pugi::xml_attribute attribute = rect.attribute("orientation");
    if (!attribute) return 0;
    const std::optional<double> radians = ReadNumber(TrimBlanks(attribute.value()), false);
    const std::string shown = "ORIENTATION " + QuoteForMessage(TrimBlanks(attribute.value()));
    if (!radians || !std::isfinite(*radians)) return At(rect, shown + " IS NOT A NUMBER");
    // Whole turns come off before the conversion, so even an absurd angle
    // stays finite on its way to the quarter count.
    const double degrees = std::fmod(*radians, 2.0 * kPi) * 180.0 / kPi;  // about (-360, 360)
    const double quarters = std::round(degrees / 90.0);
    if (std::fabs(degrees - quarters * 90.0) > kRightAngleToleranceDegrees)
      return At(rect, shown + " IS NOT A MULTIPLE OF 90 DEGREES");
    return ((static_cast<int>(quarters) % 4 + 4) % 4) * 90;
  }

  // The cabinet a slice's InputRect covers.
  std::optional<LayoutError> Footprint(const pugi::xml_node& slice, Cabinet& cabinet) const {
    const pugi::xml_node rect = slice.child("InputRect");
    if (!rect) return At(slice, "SLICE HAS NO INPUTRECT");
    double left = 0, right = 0, top = 0, bottom = 0;
    std::size_t count = 0;
    for (const pugi::xml_node& v : rect.children("v")) {
      if (++count > kRectVertices) break;
      const Result<double> x = Coordinate(v, "x");
      if (!x.ok()) return x.error();
      const Result<double> y = Coordinate(v, "y");
      if (!y.ok()) return y.error();
      left = count == 1 ? x.value() : std::min(left, x.value());
      right = count == 1 ? x.value() : std::max(right, x.value());
      top = count == 1 ? y.value() : std::min(top, y.value());
      bottom = count == 1 ? y.value() : std::max(bottom, y.value());
    }
    if (count != kRectVertices)
      return At(rect, std::string("INPUTRECT HAS ") + (count > kRectVertices ? "MORE THAN " : "") +
                          std::to_string(std::min(count, kRectVertices)) + " VERTICES, NOT " +
                          std::to_string(kRectVertices));
    // Halves round upwards at every edge, so a shared edge rounds alike on
    // both sides of it.
    const auto pixel = [](double v) { return static_cast<long>(std::floor(v + 0.5)); };
    cabinet.x = pixel(left);
    cabinet.y = pixel(top);
    cabinet.w = pixel(right) - cabinet.x;
    cabinet.h = pixel(bottom) - cabinet.y;
    if (cabinet.w <= 0 || cabinet.h <= 0) return At(rect, "INPUTRECT HAS NO AREA");
    if (cabinet.w > kMaxCoordinate || cabinet.h > kMaxCoordinate)
      return At(rect, "INPUTRECT IS LARGER THAN " + std::to_string(kMaxCoordinate));
    // A slice turned on its way to the output (a section mounted sideways
    // to save cable) is often rotated on the OutputRect alone.
    const Result<int> inputRot = Rotation(rect);
    if (!inputRot.ok()) return inputRot.error();
    cabinet.rot = inputRot.value();
    if (cabinet.rot != 0) return std::nullopt;
    if (const pugi::xml_node output = slice.child("OutputRect")) {
      const Result<int> outputRot = Rotation(output);
      if (!outputRot.ok()) return outputRot.error();
      cabinet.rot = outputRot.value();
    }
    return std::nullopt;
  }

 private:
  mutable LineCounter lines_;
};

// The value of the first Param named "Name" in the slice's Params, or "".
std::string SliceName(const pugi::xml_node& slice) {
  for (const pugi::xml_node& params : slice.children("Params"))
    for (const pugi::xml_node& param : params.children("Param"))
      if (std::string_view(param.attribute("name").value()) == "Name")
        return param.attribute("value").value();
  return std::string();
}

}  // namespace

Result<Layout> ParseXmlLayout(std::string_view text) {
  if (text.size() > kMaxFileBytes) return LayoutError::InFile(FileTooLargeMessage());
  pugi::xml_document document;
  const pugi::xml_parse_result parsed = document.load_buffer(text.data(), text.size());
  if (!parsed)
    return LayoutError::AtLine(LineCounter(text).LineAt(parsed.offset),
                               "XML " + Capitals(parsed.description()));

  const Reader reader(text);
  const pugi::xml_node root = document.document_element();
  if (std::string_view(root.name()) != "XmlState")
    return LayoutError::InFile("ROOT IS NOT XMLSTATE");
  const pugi::xml_node setup = root.child("ScreenSetup");
  if (!setup) return reader.At(root, "NO SCREENSETUP");
  const pugi::xml_node screens = setup.child("screens");
  if (!screens) return reader.At(setup, "SCREENSETUP HAS NO SCREENS");

  Layout layout;
  CabinetList cabinets;
  for (const pugi::xml_node& screen : screens.children("Screen")) {
    if (layout.screenNames.size() >= kMaxCabinets)
      return reader.At(screen, "MORE THAN " + std::to_string(kMaxCabinets) + " SCREENS");
    layout.screenNames.push_back(screen.attribute("name").value());
    int sliceNumber = 0;
    for (const pugi::xml_node& slice : screen.child("layers").children("Slice")) {
      ++sliceNumber;
      Cabinet cabinet;
      cabinet.screen = static_cast<int>(layout.screenNames.size());
      cabinet.sourceLine = reader.LineOf(slice);
      cabinet.id = SliceName(slice);
      if (cabinet.id.empty()) cabinet.id = "Slice " + std::to_string(sliceNumber);
      if (auto fault = reader.Footprint(slice, cabinet)) return *fault;
      const std::string place = "LINE " + std::to_string(cabinet.sourceLine);
      if (auto fault = cabinets.Add(std::move(cabinet), {place, "CHAIN", place})) return *fault;
    }
  }

  Result<std::vector<Cabinet>> all = cabinets.Take();
  if (!all.ok()) return all.error();
  layout.cabinets = std::move(all.value());
  return layout;
}

}  // namespace layout
